// The kept word-count summary: exact after every kind of change, the same
// lists as the grouping queries, and created or removed all at once.
#include <gtest/gtest.h>

#include "concordance/hit_deletion.h"
#include "corpus_fakes.h"
#include "corpus/file_import.h"
#include "corpus/file_removal.h"
#include "corpus/stopword_removal.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"
#include "wordlist/word_deletion.h"
#include "corpus/word_summary.h"

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
    EXPECT_EQ(QueryRows(db, u"SELECT * FROM word_form_count ORDER BY word_upper, word"),
              QueryRows(db, u"SELECT word_upper, word, count(*) FROM word GROUP BY word_upper, word "
                            u"ORDER BY word_upper, word"));
    EXPECT_EQ(QueryRows(db, u"SELECT word, n FROM word_form ORDER BY word"),
              QueryRows(db, u"SELECT word, count(DISTINCT word_upper) FROM word GROUP BY word ORDER BY word"));
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
        // A writer that stores a form with another fold: the form is still
        // one distinct word.
        {"second fold", [&] { EXPECT_TRUE(db.Exec(u"INSERT INTO word VALUES (NULL, 1, 'hat', 'XHAT')")); }},
        {"stop words",
         [&] {
             EXPECT_EQ(DeleteWordsInFile(db, dir.Write("ignore.txt", "THE, sat xhat\nnothing\n"), prompt, progress, status,
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
        // A batch that deletes old rows and some of its own new ones.
        {"batch",
         [&] {
             SummaryBatch batch;
             EXPECT_TRUE(db.Exec(u"BEGIN") && batch.Begin(db) && !HasWordSummary(db));
             const std::pair<std::u16string, std::u16string> rows[] = {
                 {u"new1", u"NEW1"}, {u"New2", u"NEW2"}, {u"Here", u"HERE"}, {u"dog", u"DOG"}, {u"New2", u"X"}};
             for (const auto& [word, folded] : rows) {
                 EXPECT_TRUE(db.Exec(u"INSERT INTO word VALUES (NULL, 1, '" + word + u"', '" + folded + u"')"));
                 batch.Inserted(word, folded);
             }
             const std::u16string condition = u"word_upper IN ('HERE', 'NEW1')";
             EXPECT_TRUE(batch.BeforeDelete(condition) && db.Exec(u"DELETE FROM word WHERE " + condition));
             EXPECT_TRUE(batch.DeletingFoldedWord(u"DOG") && db.Exec(u"DELETE FROM word WHERE word_upper = 'DOG'"));
             EXPECT_TRUE(batch.Finish() && db.Exec(u"COMMIT"));
         }},
        // A batch given up halfway: the rollback brings back the triggers
        // and the counts as they were.
        {"rolled back batch",
         [&] {
             SummaryBatch batch;
             EXPECT_TRUE(db.Exec(u"BEGIN") && batch.Begin(db));
             EXPECT_TRUE(db.Exec(u"INSERT INTO word VALUES (NULL, 1, 'lost', 'LOST')"));
             batch.Inserted(u"lost", u"LOST");
             EXPECT_TRUE(batch.BeforeDelete(u"word_upper = 'DOG'") && db.Exec(u"DELETE FROM word WHERE word_upper = 'DOG'"));
             EXPECT_TRUE(db.Exec(u"ROLLBACK"));
         }},
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
