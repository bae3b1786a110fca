// The report commands of the built corpus tool, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "corpus/database_files.h"
#include "platform/file_status.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::W;

class ReportsToolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenDatabaseWithSchema(db, W(path.c_str()))); }
    void Exec(const std::string& sql) { ASSERT_TRUE(db.Exec(W(sql.c_str()))) << sql; }

    // Standard output in `out`, standard error in `err`; the exit status.
    int Run(const std::string& command) {
        const std::string line = "'" ZORVIA_CORPUS_TOOL "' '" + path + "' " + command + " 2>'" + errPath + "'";
        FILE* pipe = popen(line.c_str(), "r");
        out.clear();
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        const int status = pclose(pipe);
        err = test::ReadFileBytes(errPath);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::TempDir dir;
    std::string path = dir.NativeFile("c.zorviacorpusdb");
    std::string errPath = dir.NativeFile("stderr");
    CCorpusDatabase db;
    std::string out, err;
};

TEST_F(ReportsToolTest, StatsAndWordListGiveThePagesFigures) {
    Exec("INSERT INTO original_file VALUES( NULL, 'a.txt', 1,'' )");
    Exec("INSERT INTO line VALUES( NULL, 1, 1, 'The cat saw the Éclair' )");
    Exec("INSERT INTO line VALUES( NULL, 1, 2, 'the end' )");
    for (const char* row : {"1, 'The', 'THE'", "1, 'cat', 'CAT'", "1, 'saw', 'SAW'", "1, 'the', 'THE'",
                            "1, 'Éclair', 'ÉCLAIR'", "2, 'the', 'THE'", "2, 'end', 'END'"}) {
        Exec(std::string("INSERT INTO word VALUES( NULL, ") + row + " )");
    }
    EXPECT_EQ(Run("stats"), 0) << err;
    EXPECT_EQ(out, "files\t1\nlines\t2\nwords\t7\nunique words\t6\n");  // "The" and "the" differ
    EXPECT_EQ(Run("wordlist"), 0) << err;
    EXPECT_EQ(out, "the\t3\ncat\t1\nend\t1\nsaw\t1\néclair\t1\n");
    EXPECT_EQ(Run("stats extra"), 2);
}

TEST_F(ReportsToolTest, DefragReportsKilobytesAndFailsWithSqlitesMessage) {
    Exec("BEGIN TRANSACTION");
    for (int i = 0; i < 2000; ++i) Exec("INSERT INTO line VALUES( NULL, 1, 1, '" + std::string(200, 'x') + "' )");
    Exec("COMMIT");
    Exec("DELETE FROM line");
    const std::int64_t before = FileSizeOf(W(path.c_str())).value_or(0);
    EXPECT_EQ(Run("defrag"), 0) << err;
    const std::int64_t after = FileSizeOf(W(path.c_str())).value_or(0);
    EXPECT_LT(after, before / 10);
    char expected[128];
    std::snprintf(expected, sizeof expected, "before\t%lld KB\nafter\t%lld KB\ndecrease\t%.2f %%\n",
                  static_cast<long long>(before / 1024), static_cast<long long>(after / 1024),
                  static_cast<double>(before - after) / static_cast<double>(before) * 100.0);
    EXPECT_EQ(out, expected);

    // Another connection holding the write lock makes VACUUM fail.
    Exec("BEGIN IMMEDIATE");
    EXPECT_EQ(Run("defrag"), 1);
    EXPECT_EQ(err, "zorvia-corpus: VACUUM failed: database is locked\n");
    EXPECT_NE(out.find("decrease\t0.00 %\n"), std::string::npos);
    Exec("ROLLBACK");
}

}  // namespace
}  // namespace zorvia
