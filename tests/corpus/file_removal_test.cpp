#include "corpus/file_removal.h"

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

std::int64_t g_now = 0;
std::int64_t Now() { return g_now; }

class FileRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDatabaseWithSchema(db, dir.File("c.zorviacorpusdb")));
        SetRegistrationClockForTesting(&Now);
    }
    void TearDown() override { SetRegistrationClockForTesting(nullptr); }

    int Register(const std::string& name, const std::string& text, std::int64_t when) {
        g_now = when;
        FakeProgress progress;
        FakeStatus status;
        const ImportOutcome outcome = ImportOneFile(db, dir.Write(name, text), prompt, progress, status);
        EXPECT_EQ(outcome.result, ImportResult::Committed);
        return outcome.oid;
    }
    std::string DumpOf(int oid) {
        std::string dump;
        const std::u16string id = FormatInt(oid);
        for (const std::u16string& sql :
             {u"SELECT * FROM original_file WHERE oid=" + id, u"SELECT * FROM line WHERE oid=" + id + u" ORDER BY lid",
              u"SELECT * FROM word WHERE lid IN (SELECT lid FROM line WHERE oid=" + id + u") ORDER BY wid"}) {
            EXPECT_TRUE(db.Exec(sql));
            for (int r = 0; r < db.GetRowCount(); ++r)
                for (int c = 0; c < db.GetColumnCount(); ++c) dump += test::N(db.GetCell(r, c)) + "|";
            dump += "\n";
        }
        return dump;
    }

    TempDir dir;
    CCorpusDatabase db;
    FakePrompt prompt;
};

TEST_F(FileRemovalTest, ListIsInOrderOfRegistrationWithFullPaths) {
    EXPECT_TRUE(ListRegisteredFiles(db).empty());
    const int late = Register("late.txt", "x\n", 2000);
    const int early = Register("early.html", "y\n", 1000);
    const auto files = ListRegisteredFiles(db);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].oid, early);
    EXPECT_EQ(files[0].path, dir.File("early.html"));
    EXPECT_EQ(files[0].date, 1000);
    EXPECT_EQ(files[1].oid, late);
    EXPECT_EQ(files[1].date, 2000);
}

TEST_F(FileRemovalTest, YesRemovesTheFileWithItsLinesAndWordsAndNothingElse) {
    const int keep = Register("keep.txt", "shared words\nmore here\n", 1);
    const int drop = Register("drop.txt", "shared words\n\ngone too\n", 2);
    const int keep2 = Register("keep2.txt", "last one\n", 3);
    const std::string kept = DumpOf(keep) + DumpOf(keep2);

    prompt.answers = {PromptAnswer::Yes};
    EXPECT_EQ(RemoveRegisteredFile(db, drop, prompt), FileRemovalResult::Removed);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, dir.File("drop.txt") + u" を削除してもよろしいですか？");
    EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(DumpOf(drop), "\n\n\n");
    EXPECT_EQ(DumpOf(keep) + DumpOf(keep2), kept);
    ASSERT_TRUE(db.Exec(u"SELECT count(*) FROM word"));
    EXPECT_EQ(db.GetCellInt(0, 0), 6);

    // Gone meanwhile: nothing asked, nothing shown.
    prompt.messages.clear();
    EXPECT_EQ(RemoveRegisteredFile(db, drop, prompt), FileRemovalResult::NotFound);
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(FileRemovalTest, AnythingButYesKeepsTheFile) {
    const int oid = Register("a.txt", "a b\n", 1);
    const std::string before = DumpCorpus(db);
    prompt.answers = {PromptAnswer::No};
    EXPECT_EQ(RemoveRegisteredFile(db, oid, prompt), FileRemovalResult::Declined);
    EXPECT_EQ(DumpCorpus(db), before);
}

class FileRemovalFaultTest : public FileRemovalTest {
protected:
    void SetUp() override {
        FileRemovalTest::SetUp();
        oid = Register("a.txt", "alpha beta\ngamma\n", 1);
        Register("b.txt", "other\n", 2);
        prompt.answers = {PromptAnswer::Yes};
    }
    void ExpectKept(const char16_t* sqliteText) {
        ASSERT_EQ(prompt.messages.size(), 2u);
        const std::u16string& text = prompt.messages[1].text;
        EXPECT_EQ(text.rfind(u"ファイルを削除できませんでした。", 0), 0u) << test::N(text);
        EXPECT_NE(text.find(sqliteText), std::u16string::npos) << test::N(text);
        EXPECT_EQ(DumpCorpus(db), before);
    }
    int oid = 0;
    std::string before;
};

TEST_F(FileRemovalFaultTest, AFailingDeleteRollsBackTheWordsAlreadyDeleted) {
    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER keep_lines BEFORE DELETE ON line "
                        u"BEGIN SELECT RAISE(ABORT, 'lines are kept'); END"));
    before = DumpCorpus(db);
    EXPECT_EQ(RemoveRegisteredFile(db, oid, prompt), FileRemovalResult::Failed);
    ExpectKept(u"lines are kept");
}

TEST_F(FileRemovalFaultTest, AFailingCommitIsNotARemoval) {
    before = DumpCorpus(db);
    CCorpusDatabase reader;
    ASSERT_TRUE(reader.Open(dir.File("c.zorviacorpusdb")));
    ASSERT_TRUE(reader.Exec(u"BEGIN"));
    ASSERT_TRUE(reader.Exec(u"SELECT count(*) FROM line"));
    EXPECT_EQ(RemoveRegisteredFile(db, oid, prompt), FileRemovalResult::Failed);
    ASSERT_TRUE(reader.Exec(u"COMMIT"));
    ExpectKept(u"locked");
}

TEST_F(FileRemovalFaultTest, ABeginInsideAnotherTransactionDoesNotRollThatBack) {
    ASSERT_TRUE(db.Exec(u"BEGIN TRANSACTION"));
    ASSERT_TRUE(db.Exec(u"INSERT INTO original_file VALUES( NULL, 'outer', 3, '' )"));
    before = DumpCorpus(db);
    EXPECT_EQ(RemoveRegisteredFile(db, oid, prompt), FileRemovalResult::Failed);
    ExpectKept(u"within a transaction");
    EXPECT_TRUE(db.Exec(u"COMMIT"));  // still open, with its row
    EXPECT_EQ(ListRegisteredFiles(db).size(), 3u);
}

}  // namespace
}  // namespace zorvia
