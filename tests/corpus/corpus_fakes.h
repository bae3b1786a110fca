// Stand-ins for the progress window and the status bar in the corpus
// tests, and a full dump of the corpus tables to compare states with.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"
#include "platform/text_convert.h"

namespace zorvia::test {

// Records what an operation shows. Runs of millions of lines set
// `keepTexts` false: then only the last text and the shape of the
// positions are kept.
class FakeProgress : public IProgressSink {
public:
    void Begin() override { ++begins; }
    void SetText(const std::u16string& text) override {
        if (keepTexts) texts.push_back(text);
        lastText = text;
    }
    void SetPosition(int permille) override {
        if (keepTexts) positions.push_back(permille);
        if (permille < lastPosition || permille > 1000) positionsOutOfOrder = true;
        lastPosition = permille;
    }
    bool Pump() override {
        ++pumps;
        return !(cancelAtPump > 0 && pumps >= cancelAtPump);
    }
    void End() override { ++ends; }

    bool keepTexts = true;
    std::vector<std::u16string> texts;
    std::u16string lastText;
    std::vector<int> positions;
    int lastPosition = 0;
    bool positionsOutOfOrder = false;
    int begins = 0;
    int ends = 0;
    int pumps = 0;
    int cancelAtPump = 0;  // this pump (from 1) and every later one cancel
};

class FakeStatus : public IStatusText {
public:
    void SetStatusText(const std::u16string& text) override {
        if (keepTexts) texts.push_back(text);
        last = text;
    }
    bool keepTexts = true;
    std::vector<std::u16string> texts;
    std::u16string last;
};

// Every row of the three corpus tables, in id order.
inline std::string DumpCorpus(CCorpusDatabase& db) {
    std::string dump;
    for (const char16_t* sql : {u"SELECT * FROM original_file ORDER BY oid", u"SELECT * FROM line ORDER BY lid",
                                u"SELECT * FROM word ORDER BY wid"}) {
        if (!db.Exec(sql)) return "<dump failed: " + WideToUtf8(db.GetErrorText()) + ">";
        for (int r = 0; r < db.GetRowCount(); ++r) {
            for (int c = 0; c < db.GetColumnCount(); ++c) dump += WideToUtf8(db.GetCell(r, c)) + "|";
            dump += "\n";
        }
        dump += "--\n";
    }
    return dump;
}

}  // namespace zorvia::test
