// The database object, the corpus files and their registration dates.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <climits>

#include "corpus/corpus_database.h"
#include "corpus/database_files.h"
#include "corpus/registered_files.h"
#include "platform/file_status.h"
#include "platform/program_dir.h"
#include "platform/text_convert.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::TempDir;
using test::W;
using test::TraceCapture;
using test::ScopedTimeZone;

class CorpusDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.Open(u":memory:")); }
    CCorpusDatabase db;
};

TEST_F(CorpusDatabaseTest, ResultsHoldTheRowsWithTheFirstRowsNamesAndStatementsWithoutRowsNone) {
    ASSERT_TRUE(db.Exec(u"SELECT 1 AS a, 2 AS b UNION ALL SELECT 3, 4 UNION ALL SELECT 5, 6"));
    EXPECT_EQ(db.GetRowCount(), 3);
    EXPECT_EQ(db.GetColumnNames(), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(db.GetCellInt(2, 1), 6);
    EXPECT_TRUE(db.Exec(u"CREATE TABLE t (a TEXT, b INTEGER)"));
    EXPECT_EQ(db.GetRowCount(), 0);
    EXPECT_TRUE(db.GetColumnNames().empty());
    EXPECT_TRUE(db.Exec(u"SELECT a FROM t WHERE b = 99"));
    EXPECT_EQ(db.GetRowCount(), 0);
    EXPECT_TRUE(db.GetColumnNames().empty());
    ASSERT_TRUE(db.Exec(u"SELECT count(*) FROM t"));
    ASSERT_EQ(db.GetRowCount(), 1);
    EXPECT_EQ(db.GetCell(0, 0), u"0");
}

TEST_F(CorpusDatabaseTest, CellsAndRowIdsReadAsIntegersTheWayTheCallersExpect) {
    ASSERT_TRUE(db.Exec(u"SELECT NULL, '12abc', '  -7', '+3', 'x9', 4294967297, ''"));
    EXPECT_EQ(db.GetCell(0, 0), u"");
    const int expected[] = {0, 12, -7, 3, 0, 1 /* wraps like a 32-bit conversion */, 0};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(db.GetCellInt(0, c), expected[c]) << c;
    // Cells that do not exist read as empty and 0 rather than crashing.
    EXPECT_EQ(db.GetCell(3, 0), u"");
    EXPECT_EQ(db.GetCellInt(0, 42), 0);

    // The last row id is its low 32 bits.
    ASSERT_TRUE(db.Exec(u"CREATE TABLE t (id INTEGER PRIMARY KEY, a TEXT)"));
    for (const auto& [id, low] : {std::pair{u"NULL", 1}, {u"4294967298", 2}, {u"2147483648", -2147483647 - 1}}) {
        ASSERT_TRUE(db.Exec(u"INSERT INTO t VALUES (" + std::u16string(id) + u", 'a')"));
        EXPECT_EQ(db.GetLastInsertRowId(), low);
    }
}

TEST_F(CorpusDatabaseTest, TextRoundTripsThroughUtf8IncludingQuotesAndSupplementaryCharacters) {
    ASSERT_TRUE(db.Exec(u"CREATE TABLE t (a TEXT)"));
    const std::u16string text = W("Don't '' 日本語 \xF0\x9D\x90\x80 \xF0\x9F\x98\x80 \"naïve\\%_*?[");
    ASSERT_TRUE(db.Exec(u"INSERT INTO t VALUES ('" + EscapeSqlText(text) + u"')"));
    ASSERT_TRUE(db.Exec(u"SELECT a, length(a), hex(a) FROM t"));
    EXPECT_EQ(db.GetCell(0, 0), text);
    // SQLite counts code points: the two surrogate pairs went in as one
    // 4-byte sequence each.
    EXPECT_EQ(db.GetCellInt(0, 1), static_cast<int>(text.size()) - 2);
    EXPECT_NE(db.GetCell(0, 2).find(u"F09D9080"), std::u16string::npos);
}

TEST_F(CorpusDatabaseTest, ErrorTextSurvivesLaterSuccessAndRowsBeforeAFailureStay) {
    EXPECT_FALSE(db.Exec(u"SELECT * FROM no_such_table"));
    const std::u16string error = db.GetErrorText();
    EXPECT_NE(error.find(u"no such table"), std::u16string::npos);
    EXPECT_TRUE(db.Exec(u"SELECT 1"));
    EXPECT_EQ(db.GetErrorText(), error);

    // abs() of the smallest integer overflows on the third row.
    ASSERT_TRUE(db.Exec(u"CREATE TABLE t (a INTEGER)"));
    ASSERT_TRUE(db.Exec(u"INSERT INTO t VALUES (1), (2), (-9223372036854775807 - 1)"));
    EXPECT_FALSE(db.Exec(u"SELECT abs(a) FROM t ORDER BY rowid"));
    EXPECT_EQ(db.GetRowCount(), 2);
    EXPECT_NE(db.GetErrorText(), error);
}

// Events pumped from inside a long statement (SQLite's progress callback)
// may run other commands: their statements fail, and the running one keeps
// its rows.
TEST_F(CorpusDatabaseTest, AStatementSentWhileAnotherRunsFailsAndLeavesItsRows) {
    struct Nested {
        CCorpusDatabase* db;
        int calls = 0;
        bool anySucceeded = false;
    } nested{&db};
    sqlite3_progress_handler(
        db.NativeHandle(), 1000,
        [](void* context) {
            auto* n = static_cast<Nested*>(context);
            ++n->calls;
            n->anySucceeded = n->anySucceeded || n->db->Exec(u"SELECT 1");
            return 0;
        },
        &nested);
    ASSERT_TRUE(db.Exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                        u"SELECT i FROM n"));
    sqlite3_progress_handler(db.NativeHandle(), 0, nullptr, nullptr);
    EXPECT_GT(nested.calls, 0);
    EXPECT_FALSE(nested.anySucceeded);
    EXPECT_EQ(db.GetErrorText(), u"another statement of this connection is still running");
    ASSERT_EQ(db.GetRowCount(), 5000);
    EXPECT_EQ(db.GetCellInt(4999, 0), 5000);
    EXPECT_TRUE(db.Exec(u"SELECT 1"));
}

TEST(CorpusDatabase, OpenCreatesAMissingFileAndFailsInAMissingDirectoryOrOnJunk) {
    TempDir dir;
    CCorpusDatabase db;
    EXPECT_FALSE(db.Exec(u"SELECT 1"));  // nothing open yet, and nothing to read
    EXPECT_TRUE(db.GetRowCount() == 0 && db.GetCellInt(0, 0) == 0 && db.GetErrorText().empty());
    EXPECT_EQ(db.GetLastInsertRowId(), 0);
    EXPECT_TRUE(db.Open(dir.File("new.zorviacorpusdb")));
    EXPECT_TRUE(db.IsOpen());
    // A failed open leaves nothing open, not even the file open before.
    EXPECT_FALSE(db.Open(dir.File("missing/sub/x.zorviacorpusdb")));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.GetErrorText().empty());
    EXPECT_FALSE(db.Exec(u"SELECT 1"));

    // A file that is no database opens, but every statement fails.
    ASSERT_TRUE(db.Open(dir.Write("junk.zorviacorpusdb", std::string(4096, 'J'))));
    EXPECT_FALSE(db.Exec(u"SELECT count(*) FROM word"));
    EXPECT_NE(db.GetErrorText().find(u"not a database"), std::u16string::npos);
    // The file is left exactly as it was.
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("junk.zorviacorpusdb")), std::string(4096, 'J'));
}

TEST(DatabaseFiles, SchemaIsCreatedOnceAndReopeningLogsFiveFailuresAndKeepsTheData) {
    TempDir dir;
    const auto path = dir.File("c.zorviacorpusdb");
    {
        CCorpusDatabase db;
        TraceCapture trace;
        ASSERT_TRUE(OpenDatabaseWithSchema(db, path));
        EXPECT_EQ(trace.Count("exec error"), 0);
        EXPECT_EQ(test::QueryRows(db, u"SELECT name FROM sqlite_master ORDER BY rowid"),
                  (std::vector<std::u16string>{u"original_file", u"line", u"word", u"word_word_upper", u"line_line_no"}));
        ASSERT_TRUE(db.Exec(u"INSERT INTO original_file VALUES( NULL, 'a.txt', 0,'' )"));
    }
    CCorpusDatabase db;
    TraceCapture trace;
    EXPECT_TRUE(OpenDatabaseWithSchema(db, path));
    EXPECT_EQ(trace.Count("exec error : "), 5);
    EXPECT_EQ(trace.Count("open db : "), 1);
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM original_file"), 1);

    // A failed open is traced once and leaves nothing open.
    EXPECT_FALSE(OpenDatabaseWithSchema(db, dir.File("no/such/dir/b.zorviacorpusdb")));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(trace.Count("open error : "), 1);
    EXPECT_EQ(trace.Count("exec error : "), 5);
}

TEST(DatabaseFiles, ProbeTellsCorpusFilesFromEverythingElseWithoutWritingToThem) {
    TempDir dir;
    const auto corpus = dir.File("c.zorviacorpusdb");
    {
        CCorpusDatabase db;
        ASSERT_TRUE(OpenDatabaseWithSchema(db, corpus));
    }
    const auto foreign = dir.File("other.sqlite");
    const auto schemaless = dir.File("blank.sqlite");
    {
        CCorpusDatabase db;
        ASSERT_TRUE(db.Open(foreign));
        ASSERT_TRUE(db.Exec(u"CREATE TABLE foo (a)"));
        ASSERT_TRUE(db.Open(schemaless));  // reopening closes the first connection
        ASSERT_TRUE(db.Exec(u"PRAGMA user_version = 7"));
    }
    const std::string foreignBytes = test::ReadFileBytes(WideToUtf8(foreign));
    const struct {
        std::u16string path;
        CorpusFileState state;
    } cases[] = {
        {corpus, CorpusFileState::Corpus},
        {foreign, CorpusFileState::NotCorpus},
        {schemaless, CorpusFileState::Empty},
        {dir.Write("zero.zorviacorpusdb", ""), CorpusFileState::Empty},
        {dir.Write("junk.zorviacorpusdb", std::string(4096, 'J')), CorpusFileState::NotDatabase},
        {dir.File("missing.zorviacorpusdb"), CorpusFileState::Missing},
        {dir.File(""), CorpusFileState::Unreadable},  // the directory itself
    };
    for (const auto& c : cases) EXPECT_EQ(ProbeCorpusFile(c.path).state, c.state) << WideToUtf8(c.path);
    EXPECT_EQ(test::ReadFileBytes(WideToUtf8(foreign)), foreignBytes);
    EXPECT_FALSE(PathExists(dir.File("missing.zorviacorpusdb")));

    // A writer's exclusive lock is reported as such, not as "not a corpus".
    CCorpusDatabase writer;
    ASSERT_TRUE(writer.Open(corpus));
    ASSERT_TRUE(writer.Exec(u"BEGIN EXCLUSIVE"));
    const auto locked = ProbeCorpusFile(corpus);
    EXPECT_EQ(locked.state, CorpusFileState::Locked);
    EXPECT_NE(locked.errorText.find(u"locked"), std::u16string::npos);
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

TEST(FormatRegistrationDate, ShowsLocalTimeToTheMinuteWithDaylightSaving) {
    {
        ScopedTimeZone zone("JST-9");
        EXPECT_EQ(FormatRegistrationDate(1175385900 + 59), u"2007/04/01 09:05");  // 00:05 UTC, seconds dropped
        EXPECT_EQ(FormatRegistrationDate(1199143800), u"2008/01/01 08:30");       // the year before in UTC
    }
    {
        ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(FormatRegistrationDate(1141736700), u"2006/03/07 14:05");  // UTC+1
        EXPECT_EQ(FormatRegistrationDate(1152273900), u"2006/07/07 14:05");  // UTC+2
    }
    ScopedTimeZone zone("UTC0");
    EXPECT_EQ(FormatRegistrationDate(-60), u"1969/12/31 23:59");
    EXPECT_EQ(FormatRegistrationDate(INT_MIN), u"1901/12/13 20:45");
    EXPECT_EQ(FormatRegistrationDate(INT_MAX), u"2038/01/19 03:14");
}

}  // namespace
}  // namespace zorvia
