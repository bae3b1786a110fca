#include "corpus/database_files.h"

#include <gtest/gtest.h>

#include "platform/program_dir.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::FakePrompt;
using test::TempDir;
using test::TraceCapture;

TEST(DatabaseFiles, NewFileGetsTheThreeTablesAndTwoIndexes) {
    TempDir dir;
    CCorpusDatabase db;
    TraceCapture trace;
    ASSERT_TRUE(OpenDatabaseWithSchema(db, dir.File("c.zorviacorpusdb")));
    EXPECT_EQ(trace.Count("exec error"), 0);
    ASSERT_TRUE(db.Exec(u"SELECT type, name, sql FROM sqlite_master ORDER BY rowid"));
    ASSERT_EQ(db.GetRowCount(), 5);
    EXPECT_EQ(db.GetCell(0, 1), u"original_file");
    EXPECT_EQ(db.GetCell(1, 1), u"line");
    EXPECT_EQ(db.GetCell(2, 1), u"word");
    EXPECT_EQ(db.GetCell(3, 1), u"word_word_upper");
    EXPECT_EQ(db.GetCell(4, 1), u"line_line_no");
    // The stored schema text is the statement as sent, blanks and all.
    EXPECT_EQ(db.GetCell(1, 2), kSchemaStatements[1]);
}

TEST(DatabaseFiles, ReopeningAnExistingCorpusLogsFiveFailuresAndKeepsTheData) {
    TempDir dir;
    const auto path = dir.File("c.zorviacorpusdb");
    {
        CCorpusDatabase db;
        ASSERT_TRUE(OpenDatabaseWithSchema(db, path));
        ASSERT_TRUE(db.Exec(u"INSERT INTO original_file VALUES( NULL, 'a.txt', 0,'' )"));
    }
    CCorpusDatabase db;
    TraceCapture trace;
    EXPECT_TRUE(OpenDatabaseWithSchema(db, path));
    EXPECT_EQ(trace.Count("exec error : "), 5);
    EXPECT_EQ(trace.Count("open db : "), 1);
    ASSERT_TRUE(db.Exec(u"SELECT count(*) FROM original_file"));
    EXPECT_EQ(db.GetCellInt(0, 0), 1);
}

TEST(DatabaseFiles, OpenWithoutSchemaCreatesNothing) {
    TempDir dir;
    CCorpusDatabase db;
    ASSERT_TRUE(OpenDatabase(db, dir.File("plain.db")));
    EXPECT_FALSE(db.Exec(u"SELECT count(*) FROM word"));
    EXPECT_NE(db.GetErrorText().find(u"no such table"), std::u16string::npos);
    ASSERT_TRUE(db.Exec(u"SELECT count(*) FROM sqlite_master"));
    EXPECT_EQ(db.GetCellInt(0, 0), 0);
}

TEST(DatabaseFiles, AFailedOpenLeavesNothingOpenEvenIfAFileWasOpenBefore) {
    TempDir dir;
    CCorpusDatabase db;
    ASSERT_TRUE(OpenDatabaseWithSchema(db, dir.File("a.zorviacorpusdb")));
    TraceCapture trace;
    EXPECT_FALSE(OpenDatabaseWithSchema(db, dir.File("no/such/dir/b.zorviacorpusdb")));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(trace.Count("open error : "), 1);
    EXPECT_EQ(trace.Count("exec error : "), 0);
}

TEST(DatabaseFiles, StartupPathFallsBackToTheDefaultFile) {
    TempDir dir;
    SetProgramDirectoryForTesting(dir.File("prog"));
    const std::u16string expected = dir.File("prog/x.zorviacorpusdb");
    EXPECT_EQ(DefaultDatabasePath(), expected);
    EXPECT_EQ(StartupDatabasePath(u""), expected);
    EXPECT_EQ(StartupDatabasePath(dir.File("deleted.zorviacorpusdb")), expected);
    const auto existing = dir.Write("kept.zorviacorpusdb", "");
    EXPECT_EQ(StartupDatabasePath(existing), existing);
    SetProgramDirectoryForTesting(u"");
}

TEST(DatabaseFiles, GuardTellsTheUserOnceAndOnlyWhenNothingIsOpen) {
    FakePrompt prompt;
    CCorpusDatabase db;
    EXPECT_FALSE(CheckDatabaseOpen(db, prompt));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, u"データベースが開かれていません");
    EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::Ok);
    ASSERT_TRUE(db.Open(u":memory:"));
    EXPECT_TRUE(CheckDatabaseOpen(db, prompt));
    EXPECT_EQ(prompt.messages.size(), 1u);
}

TEST(PromptForFile, OpenModeCountsOnlyExistingPathsSaveModeAnyPath) {
    TempDir dir;
    const auto existing = dir.Write("a.zorviacorpusdb", "");
    FakePrompt prompt;
    prompt.files = {existing, dir.File("gone.zorviacorpusdb"), std::nullopt, dir.File("new.zorviacorpusdb")};
    EXPECT_EQ(PromptForFile(prompt, DatabaseFileRequest(false)), existing);
    EXPECT_EQ(PromptForFile(prompt, DatabaseFileRequest(false)), std::nullopt);
    EXPECT_EQ(PromptForFile(prompt, DatabaseFileRequest(true)), std::nullopt);
    EXPECT_EQ(PromptForFile(prompt, DatabaseFileRequest(true)), dir.File("new.zorviacorpusdb"));
    ASSERT_EQ(prompt.fileRequests.size(), 4u);
    const FileRequest& open = prompt.fileRequests[0];
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.title, u"コーパスデータベースのファイルを選択してください");
    ASSERT_EQ(open.filters.size(), 2u);
    EXPECT_EQ(open.filters[0].display, u"コーパスデータベース (*.zorviacorpusdb)");
    EXPECT_EQ(open.filters[1].pattern, u"*.*");
    EXPECT_EQ(open.defaultPattern, u"*.zorviacorpusdb");
    EXPECT_EQ(prompt.fileRequests[2].title, u"コーパスデータベースのファイル名を指定してください");
}

}  // namespace
}  // namespace zorvia
