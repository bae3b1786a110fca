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

using test::TempDir;
using test::W;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun RunTool(const TempDir& dir, const std::string& db, const std::string& command) {
    const std::string errors = dir.NativeFile("stderr.txt");
    const std::string line =
        "'" + std::string(ZORVIA_CORPUS_TOOL) + "' '" + db + "' " + command + " 2>'" + errors + "'";
    ToolRun run;
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = test::ReadFileBytes(errors);
    return run;
}

class ReportsToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.NativeFile("c.zorviacorpusdb");
        ASSERT_TRUE(OpenDatabaseWithSchema(db, W(path.c_str())));
    }
    void Exec(const std::string& sql) { ASSERT_TRUE(db.Exec(W(sql.c_str()))) << sql; }

    TempDir dir;
    std::string path;
    CCorpusDatabase db;
};

TEST_F(ReportsToolTest, StatsAndWordListGiveThePagesFigures) {
    Exec("INSERT INTO original_file VALUES( NULL, 'a.txt', 1,'' )");
    Exec("INSERT INTO line VALUES( NULL, 1, 1, 'The cat saw the Éclair' )");
    Exec("INSERT INTO line VALUES( NULL, 1, 2, 'the end' )");
    for (const char* row : {"1, 'The', 'THE'", "1, 'cat', 'CAT'", "1, 'saw', 'SAW'", "1, 'the', 'THE'",
                            "1, 'Éclair', 'ÉCLAIR'", "2, 'the', 'THE'", "2, 'end', 'END'"}) {
        Exec(std::string("INSERT INTO word VALUES( NULL, ") + row + " )");
    }

    ToolRun run = RunTool(dir, path, "stats");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // "The" and "the" are different spellings.
    EXPECT_EQ(run.out, "files\t1\nlines\t2\nwords\t7\nunique words\t6\n");

    run = RunTool(dir, path, "wordlist");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "the\t3\ncat\t1\nend\t1\nsaw\t1\néclair\t1\n");

    EXPECT_EQ(RunTool(dir, path, "stats extra").exitCode, 2);
}

TEST_F(ReportsToolTest, DefragReportsKilobytesAndFailsWithSqlitesMessage) {
    Exec("INSERT INTO original_file VALUES( NULL, 'a.txt', 1,'' )");
    Exec("BEGIN TRANSACTION");
    for (int i = 0; i < 2000; ++i) Exec("INSERT INTO line VALUES( NULL, 1, 1, '" + std::string(200, 'x') + "' )");
    Exec("COMMIT");
    Exec("DELETE FROM line");
    const auto before = FileSizeOf(W(path.c_str()));
    ASSERT_TRUE(before);

    ToolRun run = RunTool(dir, path, "defrag");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto after = FileSizeOf(W(path.c_str()));
    ASSERT_TRUE(after);
    EXPECT_LT(*after, *before);
    char expected[128];
    std::snprintf(expected, sizeof expected, "before\t%lld KB\nafter\t%lld KB\ndecrease\t%.2f %%\n",
                  static_cast<long long>(*before / 1024), static_cast<long long>(*after / 1024),
                  static_cast<double>(*before - *after) / static_cast<double>(*before) * 100.0);
    EXPECT_EQ(run.out, expected);

    // Another connection holding a write lock makes VACUUM fail.
    Exec("BEGIN IMMEDIATE");
    run = RunTool(dir, path, "defrag");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "zorvia-corpus: VACUUM failed: database is locked\n");
    EXPECT_NE(run.out.find("decrease\t0.00 %\n"), std::string::npos);
    Exec("ROLLBACK");
}

}  // namespace
}  // namespace zorvia
