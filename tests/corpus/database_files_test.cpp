#include "corpus/database_files.h"

#include <gtest/gtest.h>

#include "platform/program_dir.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::TempDir;
using test::TraceCapture;

TEST(DatabaseFiles, SchemaIsCreatedOnceAndReopeningLogsFiveFailuresAndKeepsTheData) {
    TempDir dir;
    const auto path = dir.File("c.zorviacorpusdb");
    {
        CCorpusDatabase db;
        TraceCapture trace;
        ASSERT_TRUE(OpenDatabaseWithSchema(db, path));
        EXPECT_EQ(trace.Count("exec error"), 0);
        ASSERT_TRUE(db.Exec(u"SELECT name, sql FROM sqlite_master ORDER BY rowid"));
        ASSERT_EQ(db.GetRowCount(), 5);
        const char16_t* names[] = {u"original_file", u"line", u"word", u"word_word_upper", u"line_line_no"};
        for (int r = 0; r < 5; ++r) EXPECT_EQ(db.GetCell(r, 0), names[r]);
        // The stored schema text is the statement as sent, blanks and all.
        EXPECT_EQ(db.GetCell(1, 1), kSchemaStatements[1]);
        ASSERT_TRUE(db.Exec(u"INSERT INTO original_file VALUES( NULL, 'a.txt', 0,'' )"));
    }
    CCorpusDatabase db;
    TraceCapture trace;
    EXPECT_TRUE(OpenDatabaseWithSchema(db, path));
    EXPECT_EQ(trace.Count("exec error : "), 5);
    EXPECT_EQ(trace.Count("open db : "), 1);
    ASSERT_TRUE(db.Exec(u"SELECT count(*) FROM original_file"));
    EXPECT_EQ(db.GetCellInt(0, 0), 1);

    // A failed open is traced once and leaves nothing open.
    EXPECT_FALSE(OpenDatabaseWithSchema(db, dir.File("no/such/dir/b.zorviacorpusdb")));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(trace.Count("open error : "), 1);
    EXPECT_EQ(trace.Count("exec error : "), 5);
}

TEST(DatabaseFiles, StartupPathFallsBackToTheDefaultFile) {
    TempDir dir;
    SetProgramDirectoryForTesting(dir.File("prog"));
    const std::u16string expected = dir.File("prog/x.zorviacorpusdb");
    EXPECT_EQ(StartupDatabasePath(u""), expected);
    EXPECT_EQ(StartupDatabasePath(dir.File("deleted.zorviacorpusdb")), expected);
    const auto existing = dir.Write("kept.zorviacorpusdb", "");
    EXPECT_EQ(StartupDatabasePath(existing), existing);
    SetProgramDirectoryForTesting(u"");
}

TEST(DatabaseFiles, GuardTellsTheUserOnceAndOnlyWhenNothingIsOpen) {
    test::FakePrompt prompt;
    CCorpusDatabase db;
    EXPECT_FALSE(CheckDatabaseOpen(db, prompt));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, u"データベースが開かれていません");
    EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::Ok);
    ASSERT_TRUE(db.Open(u":memory:"));
    EXPECT_TRUE(CheckDatabaseOpen(db, prompt));
    EXPECT_EQ(prompt.messages.size(), 1u);
}

}  // namespace
}  // namespace zorvia
