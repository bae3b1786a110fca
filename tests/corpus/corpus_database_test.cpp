#include "corpus/corpus_database.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace zorvia {
namespace {

using test::TempDir;
using test::W;

class CorpusDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.Open(u":memory:")); }
    CCorpusDatabase db;
};

TEST_F(CorpusDatabaseTest, StatementsWithoutRowsLeaveAnEmptyResultAndCountsReadZero) {
    ASSERT_TRUE(db.Exec(u"SELECT 1 AS one"));
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

TEST_F(CorpusDatabaseTest, CellsReadAsIntegersTheWayTheCallersExpect) {
    ASSERT_TRUE(db.Exec(u"SELECT NULL, '12abc', '  -7', '+3', 'x9', 4294967297, ''"));
    EXPECT_EQ(db.GetCell(0, 0), u"");
    const int expected[] = {0, 12, -7, 3, 0, 1 /* wraps like a 32-bit conversion */, 0};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(db.GetCellInt(0, c), expected[c]) << c;
    // Cells that do not exist read as empty and 0 rather than crashing.
    EXPECT_EQ(db.GetCell(3, 0), u"");
    EXPECT_EQ(db.GetCellInt(0, 42), 0);
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

TEST_F(CorpusDatabaseTest, ColumnNamesComeFromTheFirstRowOnly) {
    ASSERT_TRUE(db.Exec(u"SELECT 1 AS a, 2 AS b UNION ALL SELECT 3, 4 UNION ALL SELECT 5, 6"));
    EXPECT_EQ(db.GetRowCount(), 3);
    EXPECT_EQ(db.GetColumnNames(), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(db.GetCellInt(2, 1), 6);
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

TEST_F(CorpusDatabaseTest, LastInsertRowIdIsTheLow32Bits) {
    ASSERT_TRUE(db.Exec(u"CREATE TABLE t (id INTEGER PRIMARY KEY, a TEXT)"));
    for (const auto& [id, low] : {std::pair{u"NULL", 1}, {u"4294967298", 2}, {u"2147483648", -2147483647 - 1}}) {
        ASSERT_TRUE(db.Exec(u"INSERT INTO t VALUES (" + std::u16string(id) + u", 'a')"));
        EXPECT_EQ(db.GetLastInsertRowId(), low);
    }
}

TEST(CorpusDatabase, OpenCreatesAMissingFileAndFailsInAMissingDirectory) {
    TempDir dir;
    CCorpusDatabase db;
    EXPECT_FALSE(db.Exec(u"SELECT 1"));  // nothing open yet
    EXPECT_TRUE(db.Open(dir.File("new.zorviacorpusdb")));
    EXPECT_TRUE(db.IsOpen());
    // A failed open leaves nothing open, not even the file open before.
    EXPECT_FALSE(db.Open(dir.File("missing/sub/x.zorviacorpusdb")));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.GetErrorText().empty());
    EXPECT_FALSE(db.Exec(u"SELECT 1"));
}

TEST(CorpusDatabase, AFileThatIsNotADatabaseOpensButEveryStatementFails) {
    TempDir dir;
    const auto path = dir.Write("junk.zorviacorpusdb", std::string(4096, 'J'));
    CCorpusDatabase db;
    ASSERT_TRUE(db.Open(path));
    EXPECT_FALSE(db.Exec(u"SELECT count(*) FROM word"));
    EXPECT_NE(db.GetErrorText().find(u"not a database"), std::u16string::npos);
    // The file is left exactly as it was.
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("junk.zorviacorpusdb")), std::string(4096, 'J'));
}

}  // namespace
}  // namespace zorvia
