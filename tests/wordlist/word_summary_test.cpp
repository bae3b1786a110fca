// The kept word-count summary: exact after every kind of change, the same
// lists as the grouping queries, and created or removed all at once.
#include <gtest/gtest.h>

#include "concordance/hit_deletion.h"
#include "corpus/corpus_fakes.h"
#include "corpus/file_import.h"
#include "corpus/file_removal.h"
#include "corpus/stopword_removal.h"
#include "html/report_pages.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"
#include "wordlist/word_deletion.h"
#include "wordlist/word_list.h"
#include "wordlist/word_summary.h"

namespace zorvia {
namespace {

using test::QueryRows;
using Rows = std::vector<std::u16string>;

Rows Schema(CCorpusDatabase& db) { return QueryRows(db, u"SELECT type, name, sql FROM sqlite_master ORDER BY name"); }

void SpeedUp(CCorpusDatabase& db) {
    test::FakeProgress progress;
    const SpeedUpOutcome outcome = CreateSpeedUp(db, progress);
    ASSERT_EQ(outcome.result, SpeedUpResult::Done) << test::N(outcome.errorText);
    ASSERT_TRUE(HasWordSummary(db));
}

void ExpectSummaryMatchesCorpus(CCorpusDatabase& db) {
    ASSERT_TRUE(HasWordSummary(db));
    EXPECT_EQ(QueryRows(db, u"SELECT word_upper, n FROM word_count ORDER BY word_upper"),
              QueryRows(db, u"SELECT word_upper, count(*) FROM word GROUP BY word_upper ORDER BY word_upper"));
    EXPECT_EQ(QueryRows(db, u"SELECT word, n FROM word_form_count ORDER BY word"),
              QueryRows(db, u"SELECT word, count(*) FROM word GROUP BY word ORDER BY word"));
    EXPECT_EQ(QueryRows(db, u"SELECT n FROM corpus_count ORDER BY item"),
              QueryRows(db, u"SELECT count(*) FROM original_file UNION ALL "
                            u"SELECT count(*) FROM (SELECT DISTINCT word FROM word) UNION ALL "
                            u"SELECT count(*) FROM line UNION ALL SELECT count(*) FROM word"));
}

TEST(WordSummary, TriggersKeepItEqualToTheGroupingAfterEveryChange) {
    test::TempDir dir;
    CCorpusDatabase db;
    test::FakePrompt prompt;
    test::FakeProgress progress;
    test::FakeStatus status;
    test::OpenCorpus(db, dir.File("c.zorviacorpusdb"));
    const int first = test::AddFile(db, "/a.txt", {"The cat and the Dog", "", "a DOG, the dog's bone"});
    SpeedUp(db);
    ExpectSummaryMatchesCorpus(db);

    const auto import = [&](const char* name, const std::string& bytes) {
        EXPECT_EQ(ImportOneFile(db, dir.Write(name, bytes), prompt, progress, status).result, ImportResult::Committed);
    };
    const struct {
        const char* change;
        std::function<void()> run;
    } changes[] = {
        {"import", [&] { import("b.txt", "the Cat sat\r\nnew words here\r\nThe end\r\n"); }},
        {"html import", [&] { import("c.html", "<p>The <b>cat</b> &amp; the hat</p>\n<script>x</script>\n"); }},
        {"cancelled import",
         [&] {
             test::FakeProgress cancelling;
             cancelling.cancelAtPump = 2;
             EXPECT_EQ(ImportOneFile(db, dir.Write("d.txt", "one two\nthree four\nfive\n"), prompt, cancelling, status)
                           .result,
                       ImportResult::Cancelled);
         }},
        {"file removal",
         [&] {
             prompt.answers = {PromptAnswer::Yes};
             EXPECT_EQ(RemoveRegisteredFile(db, first, prompt), FileRemovalResult::Removed);
         }},
        {"stop words",
         [&] {
             EXPECT_EQ(DeleteWordsInFile(db, dir.Write("ignore.txt", "THE, sat\nnothing\n"), prompt, progress, status,
                                         {})
                           .result,
                       StopWordResult::Deleted);
         }},
        {"hit deletion",
         [&] {
             EXPECT_TRUE(DeleteHitFromCorpus(db, test::QueryInt(db, u"SELECT min(wid) FROM word WHERE word_upper='CAT'"))
                             .deleted());
         }},
        {"word deletion", [&] { EXPECT_TRUE(DeleteWordsFromCorpus(db, {u"cat", u"new"}).deleted); }},
        // Writers that know nothing of the summary.
        {"update", [&] { EXPECT_TRUE(db.Exec(u"UPDATE word SET word = 'Hat', word_upper = 'HAT' WHERE word_upper = 'END'")); }},
        {"unchanged update", [&] { EXPECT_TRUE(db.Exec(u"UPDATE word SET word = word, word_upper = word_upper")); }},
        {"insert or replace",
         [&] { EXPECT_TRUE(db.Exec(u"INSERT OR REPLACE INTO word VALUES (NULL, 1, 'here', 'HERE'), (NULL, 1, 'x', 'X')")); }},
        {"everything", [&] { EXPECT_TRUE(db.Exec(u"DELETE FROM word") && db.Exec(u"DELETE FROM line")); }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.change);
        change.run();
        ExpectSummaryMatchesCorpus(db);
    }
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM word_count"), 0);
}

// Two corpora with the same rows, one with the summary: counts that tie,
// words that differ only in length or case, a prefix matched by thousands of
// words and by a handful, and GLOB's pattern characters.
class SummaryLists : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::string> lines;
        for (int i = 0; i < 4500; ++i) {
            char word[8];
            std::snprintf(word, sizeof word, "K%04d", i * 7 % 4500);
            std::string line;
            for (int n = 0; n <= i % 4; ++n) line += std::string(n % 2 ? " k" : " K") + (word + 1);
            if (i % 9 == 0) line += " Kx";
            lines.push_back(line);
        }
        lines.push_back("the The THE of a an an a of Of apple apples APPLY ab[c a*b a?c 日本 日本語");
        for (CCorpusDatabase* db : {&plain, &summary}) {
            test::OpenCorpus(*db);
            test::AddFile(*db, "/k.txt", lines);
            test::AddFile(*db, "/b.txt", {"the apple", "K0007 K0007 kx"});
        }
        SpeedUp(summary);
    }
    void ExpectSameLists() {
        EXPECT_FALSE(HasWordSummary(plain));
        const auto words = [](const std::vector<WordListRow>& rows) {
            Rows out;
            for (const WordListRow& row : rows) out.push_back(row.word + u"|" + FormatInt(row.count));
            return out;
        };
        for (int limit : {20, 5000}) {
            EXPECT_EQ(words(QueryFrequencyTable(summary, limit)), words(QueryFrequencyTable(plain, limit)));
            for (const char16_t* prefix : {u"", u"k", u"K00", u"k1", u"kx", u"K4499", u"a", u"ap", u"日", u"*", u"?",
                                           u"[", u"a[", u"k*9", u"k?1", u"[ak]", u"*e", u"k0[0-2]", u"a*", u"'"}) {
                SCOPED_TRACE(test::N(prefix));
                EXPECT_EQ(words(QueryWordsStartingWith(summary, prefix, limit)),
                          words(QueryWordsStartingWith(plain, prefix, limit)));
            }
        }
        EXPECT_EQ(BuildCompleteWordList(summary, u"").page, BuildCompleteWordList(plain, u"").page);
        EXPECT_EQ(BuildVersionPage(summary, false, u"", nullptr), BuildVersionPage(plain, false, u"", nullptr));
    }
    CCorpusDatabase plain;
    CCorpusDatabase summary;
};

TEST_F(SummaryLists, AreTheGroupingQueriesRowForRow) {
    ASSERT_GT(QueryWordsStartingWith(plain, u"k", 5000).size(), 4096u);  // enough to rank rather than sort
    ExpectSameLists();
    // Deletions empty some groups and change the order of others.
    test::FakePrompt prompt;
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    for (CCorpusDatabase* db : {&plain, &summary}) {
        EXPECT_TRUE(DeleteWordsFromCorpus(*db, {u"k0007", u"the", u"k1000"}).deleted);
        EXPECT_EQ(RemoveRegisteredFile(*db, 2, prompt), FileRemovalResult::Removed);
        EXPECT_TRUE(db->Exec(u"DELETE FROM word WHERE wid % 5 = 0"));
    }
    ExpectSameLists();
}

// Everything or nothing: a cancel at any pump, a statement that fails, a
// commit that cannot take its lock, a transaction of someone else.
TEST(WordSummary, CreationAndRemovalChangeAllOrNothing) {
    test::TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
    CCorpusDatabase db;
    test::OpenCorpus(db, path);
    std::vector<std::string> lines(3000, "alpha Beta gamma delta alpha epsilon zeta Eta theta iota");
    test::AddFile(db, "/a.txt", lines);
    ASSERT_TRUE(db.Exec(u"CREATE TABLE other_feature ( x )"));
    const Rows schema = Schema(db);
    const std::string corpus = test::DumpCorpus(db);
    const auto unchanged = [&] {
        EXPECT_EQ(Schema(db), schema);
        EXPECT_EQ(test::DumpCorpus(db), corpus);
        EXPECT_TRUE(test::NoTransactionOpen(db));
    };

    test::FakeProgress counting;
    ASSERT_EQ(CreateSpeedUp(db, counting).result, SpeedUpResult::Done);
    ASSERT_EQ(RemoveSpeedUp(db).result, SpeedUpResult::Done);
    unchanged();
    int interrupted = 0;
    for (int pump = 1; pump <= counting.pumps; ++pump) {
        SCOPED_TRACE(pump);
        test::FakeProgress progress;
        progress.cancelAtPump = pump;
        const SpeedUpOutcome outcome = CreateSpeedUp(db, progress);
        EXPECT_EQ(outcome.result, SpeedUpResult::Cancelled);
        EXPECT_EQ(progress.ends, 1);
        unchanged();
        if (outcome.errorText == u"interrupted") ++interrupted;
    }
    // Some pumps came from inside the long statements, and their cancel
    // interrupted them.
    EXPECT_GT(interrupted, 0);

    CCorpusDatabase reader;
    ASSERT_TRUE(reader.Open(path));
    const struct {
        const char* fault;
        const char16_t* setup;
        const char16_t* cleanup;
        const char16_t* error;
    } faults[] = {
        {"first statement", u"CREATE TABLE word_lid ( x )", u"DROP TABLE word_lid", u"already a table named word_lid"},
        {"late statement", u"CREATE TABLE word_count_rank ( x )", u"DROP TABLE word_count_rank",
         u"already a table named word_count_rank"},
        {"commit", nullptr, nullptr, u"locked"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.fault);
        ASSERT_TRUE(!fault.setup || db.Exec(fault.setup));
        const Rows before = Schema(db);
        ASSERT_TRUE(fault.setup || (reader.Exec(u"BEGIN") && reader.Exec(u"SELECT count(*) FROM word")));
        test::FakeProgress progress;
        const SpeedUpOutcome outcome = CreateSpeedUp(db, progress);
        ASSERT_TRUE(fault.setup || reader.Exec(u"COMMIT"));
        EXPECT_EQ(outcome.result, SpeedUpResult::Failed);
        EXPECT_NE(outcome.errorText.find(fault.error), std::u16string::npos) << test::N(outcome.errorText);
        EXPECT_EQ(progress.ends, 1);
        EXPECT_EQ(Schema(db), before);
        ASSERT_TRUE(!fault.cleanup || db.Exec(fault.cleanup));
        unchanged();
    }

    SpeedUp(db);
    const Rows optimized = Schema(db);
    ASSERT_TRUE(reader.Exec(u"BEGIN") && reader.Exec(u"SELECT count(*) FROM word"));
    SpeedUpOutcome outcome = RemoveSpeedUp(db);
    ASSERT_TRUE(reader.Exec(u"COMMIT"));
    EXPECT_EQ(outcome.result, SpeedUpResult::Failed);
    EXPECT_EQ(outcome.errorText, u"database is locked");
    EXPECT_EQ(Schema(db), optimized);
    EXPECT_TRUE(test::NoTransactionOpen(db));
    // Inside someone else's transaction neither begins; that one stays open.
    ASSERT_TRUE(db.Exec(u"BEGIN TRANSACTION"));
    EXPECT_EQ(RemoveSpeedUp(db).result, SpeedUpResult::Failed);
    test::FakeProgress progress;
    EXPECT_EQ(CreateSpeedUp(db, progress).result, SpeedUpResult::Failed);
    EXPECT_TRUE(db.Exec(u"COMMIT"));
    EXPECT_EQ(Schema(db), optimized);

    // A second run builds the summary afresh: a stale count is mended.
    ASSERT_TRUE(db.Exec(u"UPDATE word_count SET n = 1"));
    SpeedUp(db);
    ExpectSummaryMatchesCorpus(db);
    ASSERT_EQ(RemoveSpeedUp(db).result, SpeedUpResult::Done);
    unchanged();
}

}  // namespace
}  // namespace zorvia
