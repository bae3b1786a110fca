// Removing a registered file, and removing the words of a list file.
#include <gtest/gtest.h>

#include "corpus/file_removal.h"
#include "corpus/stopword_removal.h"
#include "corpus_fakes.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::DumpCorpus;
using test::FakePrompt;
using test::FakeProgress;
using test::FakeStatus;
using test::TempDir;
using test::TraceCapture;
using Texts = std::vector<std::u16string>;

// The window's file removal dialog shows the list, the question and a
// removal. Here: a No, a file gone meanwhile, and a failure anywhere, which
// rolls back what was deleted and says why.
TEST(RemoveRegisteredFile, KeepsTheFileAfterANoOrAFailure) {
    TempDir dir;
    CCorpusDatabase db;
    FakePrompt prompt;
    test::OpenCorpus(db, dir.File("c.zorviacorpusdb"));
    const int oid = test::AddFile(db, "/a.txt", {"alpha beta", "gamma"});
    test::AddFile(db, "/b.txt", {"other"});
    const std::string before = DumpCorpus(db);
    prompt.answers = {PromptAnswer::No};
    EXPECT_EQ(RemoveRegisteredFile(db, oid, prompt), FileRemovalResult::Declined);
    EXPECT_EQ(DumpCorpus(db), before);
    EXPECT_EQ(RemoveRegisteredFile(db, 99, prompt), FileRemovalResult::NotFound);
    EXPECT_EQ(prompt.messages.size(), 1u);  // nothing asked about a file that is gone

    const std::u16string failed = u"ファイルを削除できませんでした。";
    test::ExpectEachFaultChangesNothing(
        db, dir.File("c.zorviacorpusdb"), prompt,
        {{"line delete", u"CREATE TRIGGER t BEFORE DELETE ON line BEGIN SELECT RAISE(ABORT, 'kept'); END", false,
          failed, u"kept"},
         {"commit", nullptr, true, failed, u"locked"},
         {"begin", u"BEGIN TRANSACTION", false, failed, u"within a transaction"}},
        2, [&] {
            prompt.answers = {PromptAnswer::Yes};
            EXPECT_EQ(RemoveRegisteredFile(db, oid, prompt), FileRemovalResult::Failed);
        });
}

class StopWordTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::OpenCorpus(db, dir.File("c.zorviacorpusdb"));
        test::AddFile(db, "/corpus.txt", {"The cat and a dog", "An apple, the end", "Don't go"});
        before = DumpCorpus(db);
    }
    StopWordOutcome Run(const std::string& listBytes) {
        prompt.messages.clear();
        return DeleteWordsInFile(db, dir.Write("ignore.txt", listBytes), prompt, progress, status,
                                 [this] { ++statisticsShown; });
    }
    std::string Remaining() {
        std::string words;
        for (const auto& word : test::QueryRows(db, u"SELECT word_upper FROM word ORDER BY wid"))
            words += test::N(word) + " ";
        return words;
    }

    TempDir dir;
    CCorpusDatabase db;
    FakePrompt prompt;
    FakeProgress progress;
    FakeStatus status;
    int statisticsShown = 0;
    std::string before;
};

TEST_F(StopWordTest, EveryListedWordIsDeletedWhateverItsCase) {
    TraceCapture trace;
    // "don't" is two words, don and t.
    const StopWordOutcome outcome = Run("the, a; an\r\n\r\ndon't\n");
    ASSERT_EQ(outcome.result, StopWordResult::Deleted);
    EXPECT_EQ(outcome.statements, 5);
    EXPECT_EQ(Remaining(), "CAT AND DOG APPLE END GO ");
    EXPECT_EQ(statisticsShown, 1);
    EXPECT_EQ(prompt.Texts(), Texts{u"削除しました"});
    EXPECT_EQ(progress.texts, (Texts{u"counting...", u"deleting...", u"loading... (line : 0)", u"commiting...",
                                     u"retrieving db info..."}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1000}));
    EXPECT_EQ(status.texts, (Texts{u"loading...", u"loading... (line : 0)", u"commit..."}));
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{" file-line-count : 4\n", " delete : THE\n", " delete : A\n",
                                                       " delete : AN\n", " delete : DON\n", " delete : T\n"}));

    // An empty list: N is 1, no statement, still committed and reported.
    EXPECT_EQ(Run("").result, StopWordResult::Deleted);
    EXPECT_EQ(prompt.Texts(), Texts{u"削除しました"});
}

TEST_F(StopWordTest, CancelRollsBackEveryDeletionSoFar) {
    std::string list;
    for (const char* word : {"the", "cat", "and", "a", "dog"}) list += std::string(word) + std::string(100, '\n');
    progress.cancelAtPump = 4;  // at line 300, after the, cat and and were deleted
    const StopWordOutcome outcome = Run(list);
    EXPECT_EQ(outcome.result, StopWordResult::Cancelled);
    EXPECT_EQ(outcome.statements, 3);
    EXPECT_EQ(DumpCorpus(db), before);
    EXPECT_EQ(statisticsShown, 0);
    EXPECT_EQ(prompt.Texts(), Texts{u"中止しました"});
    EXPECT_EQ(progress.texts, (Texts{u"counting...", u"deleting...", u"loading... (line : 0)",
                                     u"loading... (line : 100)", u"loading... (line : 200)",
                                     u"loading... (line : 300)", u"ABORTING..."}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 199, 399, 598}));  // of 501
}

TEST_F(StopWordTest, AListAtTheLineLimitGetsNoQuestionAndFullProgress) {
    TraceCapture trace;
    // 10,000,000 lines read, one more never.
    EXPECT_EQ(Run(std::string(9'999'999, '\n') + "cat\ndog\n").result, StopWordResult::Deleted);
    EXPECT_EQ(trace.Count(" file-line-count : 0"), 1);
    EXPECT_EQ(prompt.Texts(), Texts{u"削除しました"});
    EXPECT_EQ(Remaining(), "THE AND A DOG AN APPLE THE END DON T GO ");
    EXPECT_FALSE(progress.positionsOutOfOrder);
    EXPECT_EQ(progress.lastPosition, 1000);
}

// Nothing is deleted when a statement fails, and "削除しました" is not said.
TEST_F(StopWordTest, AFailingStatementDeletesNothing) {
    test::ExpectEachFaultChangesNothing(
        db, dir.File("c.zorviacorpusdb"), prompt,
        {{"delete",
          u"CREATE TRIGGER t BEFORE DELETE ON word WHEN OLD.word_upper = 'CAT' BEGIN SELECT RAISE(ABORT, 'cats stay'); END",
          false, u"単語の削除に失敗しました。", u"cats stay"},
         {"commit", nullptr, true, u"単語の削除を確定できませんでした。", u"locked"},
         {"begin", u"BEGIN TRANSACTION", false, u"データベースの更新を開始できませんでした。", u"within a transaction"}},
        1, [&] {
            progress = FakeProgress();
            EXPECT_EQ(Run("the\ncat\ndog\n").result, StopWordResult::Failed);
            EXPECT_EQ(progress.begins, progress.ends);
        });
    EXPECT_EQ(statisticsShown, 0);
}

}  // namespace
}  // namespace zorvia
