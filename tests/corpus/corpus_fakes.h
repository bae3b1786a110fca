// Stand-ins for the progress window and the status bar in the corpus
// tests, and a full dump of the corpus tables to compare states with.
#pragma once

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"
#include "platform/text_convert.h"

namespace zorvia::test {

// Records what an operation shows. Large runs set `keepTexts` false so that
// only the counts, the last text and the shape of the positions are kept.
class FakeProgress : public IProgressSink {
public:
    void Begin() override {
        ++begins;
        shown = true;
    }
    void SetText(const std::u16string& text) override {
        lastText = text;
        if (keepTexts) texts.push_back(text);
    }
    void SetPosition(int permille) override {
        if (keepTexts) positions.push_back(permille);
        minPosition = std::min(minPosition, permille);
        maxPosition = std::max(maxPosition, permille);
        if (permille < lastPosition) positionsWentBack = true;
        lastPosition = permille;
    }
    bool Pump() override {
        ++pumps;
        if (onPump) onPump(pumps);
        return !(cancelAtPump > 0 && pumps >= cancelAtPump);
    }
    void End() override {
        ++ends;
        shown = false;
    }

    bool keepTexts = true;
    std::vector<std::u16string> texts;
    std::vector<int> positions;
    std::u16string lastText;
    int minPosition = INT_MAX;
    int maxPosition = INT_MIN;
    int lastPosition = INT_MIN;
    bool positionsWentBack = false;
    int begins = 0;
    int ends = 0;
    int pumps = 0;
    bool shown = false;
    // The n-th pump (from 1) and every later one report a cancel.
    int cancelAtPump = 0;
    // Runs inside each pump with its number, as other commands can.
    std::function<void(int)> onPump;
};

class FakeStatus : public IStatusText {
public:
    void SetStatusText(const std::u16string& text) override {
        last = text;
        if (keepTexts) texts.push_back(text);
    }
    bool keepTexts = true;
    std::vector<std::u16string> texts;
    std::u16string last;
};

// Every row of the three corpus tables, in id order, one line per row.
inline std::string DumpCorpus(CCorpusDatabase& db) {
    std::string dump;
    for (const char16_t* sql : {u"SELECT * FROM original_file ORDER BY oid", u"SELECT * FROM line ORDER BY lid",
                                u"SELECT * FROM word ORDER BY wid"}) {
        if (!db.Exec(sql)) return "<dump failed: " + WideToUtf8(db.GetErrorText()) + ">";
        dump += WideToUtf8(sql) + "\n";
        for (int r = 0; r < db.GetRowCount(); ++r) {
            for (int c = 0; c < db.GetColumnCount(); ++c) dump += WideToUtf8(db.GetCell(r, c)) + "|";
            dump += "\n";
        }
    }
    return dump;
}

}  // namespace zorvia::test
