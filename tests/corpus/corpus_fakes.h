// Stand-ins for the progress window and the status bar in the corpus
// tests, a full dump of the corpus tables to compare states with, and
// failures injected into the corpus operations.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"
#include "platform/text_convert.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia::test {

// Records what an operation shows: the first 1000 texts and positions (runs
// of millions of lines would not fit), the last ones, and whether the
// positions ever went back or past the end.
class FakeProgress : public IProgressSink {
public:
    void Begin() override { ++begins; }
    void SetText(const std::u16string& text) override {
        if (texts.size() < 1000) texts.push_back(text);
        lastText = text;
    }
    void SetPosition(int permille) override {
        if (positions.size() < 1000) positions.push_back(permille);
        if (permille < lastPosition || permille > 1000) positionsOutOfOrder = true;
        lastPosition = permille;
    }
    bool Pump() override { return !(++pumps >= cancelAtPump && cancelAtPump > 0); }
    void End() override { ++ends; }

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
        if (texts.size() < 1000) texts.push_back(text);
        last = text;
    }
    std::vector<std::u16string> texts;
    std::u16string last;
};

// Every row of the three corpus tables, in id order.
inline std::string DumpCorpus(CCorpusDatabase& db) {
    std::string dump;
    for (const char16_t* table : {u"original_file ORDER BY oid", u"line ORDER BY lid", u"word ORDER BY wid"}) {
        for (const std::u16string& row : QueryRows(db, u"SELECT * FROM " + std::u16string(table)))
            dump += WideToUtf8(row) + "\n";
        dump += "--\n";
    }
    return dump;
}

// A statement of an operation made to fail. `setup` runs on the operation's
// connection: a trigger named t, or a BEGIN that makes the operation's own
// BEGIN fail. With `readerHolds` another connection reads meanwhile, so
// that the COMMIT cannot take its lock.
struct InjectedFault {
    const char* name;
    const char16_t* setup;
    bool readerHolds;
    std::u16string message;  // how the message shown begins
    const char16_t* sqlite;  // what it quotes of SQLite's error
};

// Runs `operation` under each fault. Every failure must end with `messages`
// messages shown, the last naming it; leave the corpus as it was; and leave
// no transaction of its own open, nor end one it did not begin.
inline void ExpectEachFaultChangesNothing(CCorpusDatabase& db, const std::u16string& path, FakePrompt& prompt,
                                          const std::vector<InjectedFault>& faults, std::size_t messages,
                                          const std::function<void()>& operation) {
    CCorpusDatabase reader;
    ASSERT_TRUE(reader.Open(path));
    for (const InjectedFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ASSERT_TRUE(!fault.setup || db.Exec(fault.setup));
        ASSERT_TRUE(!fault.readerHolds || (reader.Exec(u"BEGIN") && reader.Exec(u"SELECT count(*) FROM word")));
        const std::string before = DumpCorpus(db);
        prompt.messages.clear();
        operation();
        ASSERT_TRUE(!fault.readerHolds || reader.Exec(u"COMMIT"));
        ASSERT_EQ(prompt.messages.size(), messages);
        const std::u16string& shown = prompt.messages.back().text;
        EXPECT_EQ(shown.rfind(fault.message, 0), 0u) << WideToUtf8(shown);
        EXPECT_NE(shown.find(fault.sqlite), std::u16string::npos) << WideToUtf8(shown);
        EXPECT_EQ(DumpCorpus(db), before);
        const bool outerBegun = fault.setup && std::u16string_view(fault.setup).starts_with(u"BEGIN");
        EXPECT_TRUE(outerBegun ? db.Exec(u"COMMIT") : NoTransactionOpen(db));
        ASSERT_TRUE(db.Exec(u"DROP TRIGGER IF EXISTS t"));
    }
}

}  // namespace zorvia::test
