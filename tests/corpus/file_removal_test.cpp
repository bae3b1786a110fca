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
        return ImportOneFile(db, dir.Write(name, text), prompt, progress, status).oid;
    }
    int Count(const char16_t* sql) {
        EXPECT_TRUE(db.Exec(sql));
        return db.GetCellInt(0, 0);
    }

    TempDir dir;
    CCorpusDatabase db;
    FakePrompt prompt;
};

// The window's file removal dialog shows the list and the question.
TEST_F(FileRemovalTest, RemovesOnlyTheChosenFileAfterAYes) {
    const int early = Register("early.html", "shared words\n\nearly one\n", 1000);
    Register("late.txt", "shared words\nlate\n", 2000);
    const std::string before = DumpCorpus(db);
    prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    EXPECT_EQ(RemoveRegisteredFile(db, early, prompt), FileRemovalResult::Declined);
    EXPECT_EQ(DumpCorpus(db), before);
    EXPECT_EQ(RemoveRegisteredFile(db, early, prompt), FileRemovalResult::Removed);
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 1);
    EXPECT_EQ(Count(u"SELECT count(*) FROM line WHERE oid=2"), 2);
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 3);
    // Gone meanwhile: nothing asked, nothing shown.
    EXPECT_EQ(RemoveRegisteredFile(db, early, prompt), FileRemovalResult::NotFound);
    EXPECT_EQ(prompt.messages.size(), 2u);
}

// A failure anywhere rolls back what was deleted and says why; the file
// stays registered with all its rows.
TEST_F(FileRemovalTest, AFailingStatementKeepsTheFile) {
    const int oid = Register("a.txt", "alpha beta\ngamma\n", 1);
    Register("b.txt", "other\n", 2);
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

}  // namespace
}  // namespace zorvia
