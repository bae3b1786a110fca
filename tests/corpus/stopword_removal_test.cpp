#include "corpus/stopword_removal.h"

#include <gtest/gtest.h>

#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus_fakes.h"
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

class StopWordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDatabaseWithSchema(db, dir.File("c.zorviacorpusdb")));
        FakeProgress importProgress;
        FakeStatus importStatus;
        ASSERT_TRUE(ImportFile(db, dir.Write("corpus.txt", "The cat and a dog\nAn apple, the end\nDon't go\n"),
                               prompt, importProgress, importStatus));
        before = DumpCorpus(db);
    }

    StopWordOutcome Run(const std::string& listBytes) {
        return DeleteWordsInFile(db, dir.Write("ignore.txt", listBytes), prompt, progress, status,
                                 [this] { ++statisticsShown; });
    }
    // The remaining word_upper values in reading order.
    std::string Remaining() {
        EXPECT_TRUE(db.Exec(u"SELECT word_upper FROM word ORDER BY wid"));
        std::string words;
        for (int r = 0; r < db.GetRowCount(); ++r) words += test::N(db.GetCell(r, 0)) + " ";
        return words;
    }
    int LineCount() {
        EXPECT_TRUE(db.Exec(u"SELECT count(*) FROM line"));
        return db.GetCellInt(0, 0);
    }
    Texts MessageTexts() const {
        Texts texts;
        for (const auto& m : prompt.messages) texts.push_back(m.text);
        return texts;
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
    const StopWordOutcome outcome = Run("the, a; an\r\n\r\n");
    ASSERT_EQ(outcome.result, StopWordResult::Deleted);
    EXPECT_EQ(outcome.statements, 3);
    EXPECT_EQ(Remaining(), "CAT AND DOG APPLE END DON T GO ");
    EXPECT_EQ(LineCount(), 3);
    EXPECT_EQ(statisticsShown, 1);
    EXPECT_EQ(MessageTexts(), Texts{u"削除しました"});
    EXPECT_EQ(progress.texts, (Texts{u"counting...", u"deleting...", u"loading... (line : 0)", u"commiting...",
                                     u"retrieving db info..."}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1000}));
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(status.texts, (Texts{u"loading...", u"loading... (line : 0)", u"commit..."}));
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{" file-line-count : 3\n", " delete : THE\n", " delete : A\n",
                                                       " delete : AN\n"}));
}

TEST_F(StopWordTest, ApostropheCutsAListedWordInTwo) {
    ASSERT_EQ(Run("don't").result, StopWordResult::Deleted);
    EXPECT_EQ(Remaining(), "THE CAT AND A DOG AN APPLE THE END GO ");
}

TEST_F(StopWordTest, Utf16ListDeletesItsFirstWordToo) {
    std::string bytes = "\xff\xfe";
    for (char16_t c : std::u16string(u"cat\r\ndog\r\n")) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    ASSERT_EQ(Run(bytes).result, StopWordResult::Deleted);
    EXPECT_EQ(Remaining(), "THE AND A AN APPLE THE END DON T GO ");
}

TEST_F(StopWordTest, EmptyListCommitsNothingAndSaysDeleted) {
    TraceCapture trace;
    const StopWordOutcome outcome = Run("");
    EXPECT_EQ(outcome.result, StopWordResult::Deleted);
    EXPECT_EQ(outcome.statements, 0);
    EXPECT_EQ(trace.lines(), std::vector<std::string>{" file-line-count : 1\n"});
    EXPECT_EQ(MessageTexts(), Texts{u"削除しました"});
    EXPECT_EQ(DumpCorpus(db), before);
}

TEST_F(StopWordTest, AskedFromOneHundredThousandLinesOn) {
    // 99,999 lines: no question.
    ASSERT_EQ(Run(std::string(99'998, '\n') + "cat\n").result, StopWordResult::Deleted);
    EXPECT_EQ(MessageTexts(), Texts{u"削除しました"});
    EXPECT_EQ(progress.pumps, 1000 + 2);

    // 100,000 lines: asked; No rolls back.
    prompt.messages.clear();
    prompt.answers = {PromptAnswer::No};
    const std::string afterCat = DumpCorpus(db);
    const std::string large = std::string(99'999, '\n') + "dog\n";
    EXPECT_EQ(Run(large).result, StopWordResult::Cancelled);
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[0].text, u"ファイルが１０万行以上あります。読み込みを続けますか？");
    EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompt.messages[1].text, u"中止しました");
    EXPECT_EQ(progress.lastText, u"ABORTING...");
    EXPECT_EQ(DumpCorpus(db), afterCat);

    // Yes goes on.
    prompt.messages.clear();
    prompt.answers = {PromptAnswer::Yes};
    EXPECT_EQ(Run(large).result, StopWordResult::Deleted);
    EXPECT_EQ(Remaining(), "THE AND A AN APPLE THE END DON T GO ");
}

TEST_F(StopWordTest, CancelRollsBackEveryDeletionSoFar) {
    std::string list;
    for (const char* word : {"the", "cat", "and", "a", "dog", "an", "apple", "end", "don", "t", "go"}) {
        list += std::string(word) + "\n" + std::string(99, '\n');
    }
    progress.cancelAtPump = 4;  // at line 300, after the/cat/and were deleted
    const StopWordOutcome outcome = Run(list);
    EXPECT_EQ(outcome.result, StopWordResult::Cancelled);
    EXPECT_EQ(outcome.statements, 3);
    EXPECT_EQ(DumpCorpus(db), before);
    EXPECT_EQ(statisticsShown, 0);
    EXPECT_EQ(MessageTexts(), Texts{u"中止しました"});
    // The texts show the line every hundred lines.
    EXPECT_EQ(progress.texts, (Texts{u"counting...", u"deleting...", u"loading... (line : 0)",
                                     u"loading... (line : 100)", u"loading... (line : 200)",
                                     u"loading... (line : 300)", u"ABORTING..."}));
    EXPECT_EQ(status.last, u"loading... (line : 300)");
}

TEST_F(StopWordTest, AListAtTheLineLimitGetsNoQuestionAndFullProgress) {
    progress.keepTexts = false;
    status.keepTexts = false;
    TraceCapture trace;
    // 10,000,000 lines and one more that is never read.
    const StopWordOutcome outcome = Run(std::string(9'999'999, '\n') + "cat\ndog\n");
    EXPECT_EQ(outcome.result, StopWordResult::Deleted);
    EXPECT_EQ(trace.Count(" file-line-count : 0"), 1);
    EXPECT_EQ(MessageTexts(), Texts{u"削除しました"});
    EXPECT_EQ(Remaining(), "THE AND A DOG AN APPLE THE END DON T GO ");
    EXPECT_FALSE(progress.positionsWentBack);
    EXPECT_EQ(progress.minPosition, 0);
    EXPECT_EQ(progress.maxPosition, 1000);
}

class StopWordFaultTest : public StopWordTest {
protected:
    void ExpectNothingDeleted(const StopWordOutcome& outcome, const char16_t* what, const char16_t* sqliteText) {
        EXPECT_EQ(outcome.result, StopWordResult::Failed);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0].text.rfind(what, 0), 0u) << test::N(prompt.messages[0].text);
        EXPECT_NE(prompt.messages[0].text.find(sqliteText), std::u16string::npos);
        EXPECT_EQ(statisticsShown, 0);
        EXPECT_EQ(progress.begins, progress.ends);
        EXPECT_EQ(DumpCorpus(db), before);
    }
};

TEST_F(StopWordFaultTest, AFailingCommitIsNotADeletion) {
    CCorpusDatabase reader;
    ASSERT_TRUE(reader.Open(dir.File("c.zorviacorpusdb")));
    ASSERT_TRUE(reader.Exec(u"BEGIN"));
    ASSERT_TRUE(reader.Exec(u"SELECT count(*) FROM word"));
    const StopWordOutcome outcome = Run("the\ncat\n");
    ASSERT_TRUE(reader.Exec(u"COMMIT"));
    ExpectNothingDeleted(outcome, u"単語の削除を確定できませんでした。", u"locked");
}

TEST_F(StopWordFaultTest, AFailingDeleteStopsTheRun) {
    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER keep_cats BEFORE DELETE ON word WHEN OLD.word_upper = 'CAT' "
                        u"BEGIN SELECT RAISE(ABORT, 'cats stay'); END"));
    before = DumpCorpus(db);
    TraceCapture trace;
    const StopWordOutcome outcome = Run("the\ncat\ndog\n");
    ExpectNothingDeleted(outcome, u"単語の削除に失敗しました。", u"cats stay");
    EXPECT_EQ(outcome.statements, 2);
    EXPECT_EQ(trace.Count("exec error : cats stay"), 1);
    EXPECT_EQ(trace.Count(" delete : CAT"), 1);
}

TEST_F(StopWordFaultTest, ABeginInsideAnotherTransactionStopsBeforeAnything) {
    ASSERT_TRUE(db.Exec(u"BEGIN TRANSACTION"));
    const StopWordOutcome outcome = Run("the\n");
    EXPECT_EQ(progress.begins, 0);
    ExpectNothingDeleted(outcome, u"データベースの更新を開始できませんでした。", u"within a transaction");
    EXPECT_TRUE(db.Exec(u"COMMIT"));
}

TEST_F(StopWordTest, AListThatCannotBeOpenedEndsSilently) {
    const StopWordOutcome outcome = DeleteWordsInFile(db, dir.File("missing.txt"), prompt, progress, status, {});
    EXPECT_EQ(outcome.result, StopWordResult::OpenFailed);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(progress.begins, 0);
    EXPECT_TRUE(db.Exec(u"BEGIN TRANSACTION"));  // none left open
    EXPECT_TRUE(db.Exec(u"ROLLBACK"));
}

TEST(StopWordFileRequest, OffersIgnoreTxt) {
    const FileRequest request = StopWordFileRequest();
    EXPECT_EQ(request.title, u"削除する単語が記述されたファイルを選択してください");
    EXPECT_EQ(request.initialName, u"ignore.txt");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].display, u"テキストファイル (*.txt)");
    EXPECT_EQ(request.defaultPattern, u"*.txt");
}

}  // namespace
}  // namespace zorvia
