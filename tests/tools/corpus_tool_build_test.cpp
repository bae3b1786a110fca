// The corpus tool's building commands, end to end: the built program is run
// on files in a temporary directory and its output and corpus are checked.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "corpus/corpus_database.h"
#include "corpus/registered_files.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::ReadFileBytes;
using test::TempDir;

struct ToolRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Starts the tool with `args` (after the program name) in `cwd` (or the
// current directory); its output goes to files in `dir`.
pid_t StartTool(const TempDir& dir, const std::vector<std::string>& args, const std::string& cwd = "") {
    const std::string out = dir.NativeFile("tool.out");
    const std::string err = dir.NativeFile("tool.err");
    const pid_t pid = fork();
    if (pid == 0) {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        std::vector<char*> argv;
        std::string program = ZORVIA_CORPUS_TOOL;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

ToolRun Finish(const TempDir& dir, pid_t pid) {
    ToolRun run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFileBytes(dir.NativeFile("tool.out"));
    run.err = ReadFileBytes(dir.NativeFile("tool.err"));
    return run;
}

ToolRun RunTool(const TempDir& dir, const std::vector<std::string>& args) { return Finish(dir, StartTool(dir, args)); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CorpusToolBuild : public ::testing::Test {
protected:
    std::string Db() const { return dir.NativeFile("c.zorviacorpusdb"); }
    int Count(const char16_t* sql) {
        CCorpusDatabase db;
        EXPECT_TRUE(db.Open(test::W(Db().c_str())));
        EXPECT_TRUE(db.Exec(sql));
        return db.GetCellInt(0, 0);
    }
    TempDir dir;
};

TEST_F(CorpusToolBuild, ImportsListsAndRemovesFiles) {
    dir.Write("a.txt", "Hello world\n\nthe cat\n");
    dir.Write("it's a \"テスト\".html", "<p class=\"x\">the <b>end</b></p>\n");
    dir.Write("notes.doc", "x\n");

    // Relative paths are stored in full; an unknown kind and a missing file
    // fail without stopping the others.
    ToolRun run = Finish(dir, StartTool(dir, {Db(), "import", "a.txt", "notes.doc", "missing.txt", "it's a \"テスト\".html"},
                                        dir.path()));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "imported oid 1: " + dir.NativeFile("a.txt") + " (2 lines, 4 words)")) << run.out;
    EXPECT_TRUE(Contains(run.out, "imported oid 2: ")) << run.out;
    EXPECT_TRUE(Contains(run.err, "ファイル形式が不明です。追加できません。")) << run.err;
    EXPECT_TRUE(Contains(run.err, "notes.doc: not imported: unknown file kind")) << run.err;
    EXPECT_TRUE(Contains(run.err, "missing.txt: no such file")) << run.err;
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 6);

    run = RunTool(dir, {Db(), "files"});
    EXPECT_EQ(run.status, 0);
    CCorpusDatabase db;
    ASSERT_TRUE(db.Open(test::W(Db().c_str())));
    ASSERT_TRUE(db.Exec(u"SELECT date FROM original_file WHERE oid=1"));
    const std::string date = test::N(FormatRegistrationDate(db.GetCellInt(0, 0)));
    EXPECT_EQ(run.out, "1\t" + date + "\t" + dir.NativeFile("a.txt") + "\n2\t" + date + "\t" +
                           dir.NativeFile("it's a \"テスト\".html") + "\n");

    // Removal answers its own question and says so.
    run = RunTool(dir, {Db(), "remove-file", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Contains(run.err, dir.NativeFile("a.txt") + " を削除してもよろしいですか？ -> yes")) << run.err;
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 2);

    for (const char* bad : {"1", "x", "-3", "99999999999"}) {
        run = RunTool(dir, {Db(), "remove-file", bad});
        EXPECT_NE(run.status, 0) << bad;
        EXPECT_FALSE(run.err.empty()) << bad;
    }
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 1);
}

TEST_F(CorpusToolBuild, RemovesListedWordsAnsweringTheQuestionItself) {
    dir.Write("a.txt", "The cat and the dog\n");
    ASSERT_EQ(RunTool(dir, {Db(), "import", dir.NativeFile("a.txt")}).status, 0);
    dir.Write("large.txt", "the, AND\n" + std::string(100'000, '\n'));
    ToolRun run = RunTool(dir, {Db(), "remove-words", dir.NativeFile("large.txt")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Contains(run.err, "ファイルが１０万行以上あります。読み込みを続けますか？ -> yes")) << run.err;
    EXPECT_TRUE(Contains(run.err, "削除しました")) << run.err;
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 2);

    {
        // Another program holds the write lock: nothing deleted, and said so.
        CCorpusDatabase other;
        ASSERT_TRUE(other.Open(test::W(Db().c_str())));
        ASSERT_TRUE(other.Exec(u"BEGIN IMMEDIATE"));
        dir.Write("cat.txt", "cat\n");
        run = RunTool(dir, {Db(), "remove-words", dir.NativeFile("cat.txt")});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Contains(run.err, "no word was deleted: database is locked")) << run.err;
    }
    EXPECT_EQ(RunTool(dir, {Db(), "remove-words", dir.NativeFile("none.txt")}).status, 1);
    EXPECT_EQ(RunTool(dir, {Db(), "remove-words"}).status, 2);
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 2);
}

TEST_F(CorpusToolBuild, CtrlCRollsBackTheCurrentFileAndStops) {
    // Big enough to take a good part of a second.
    std::string text;
    for (int i = 0; i < 60'000; ++i) text += "the quick brown fox jumps over the lazy dog\n";
    dir.Write("big.txt", text);
    dir.Write("after.txt", "after\n");
    // The schema is created first: its statements use a journal too.
    ASSERT_EQ(RunTool(dir, {Db(), "files"}).status, 0);
    const pid_t pid = StartTool(dir, {Db(), "import", dir.NativeFile("big.txt"), dir.NativeFile("after.txt")});
    // The journal appears with the first row of the file.
    const std::string journal = Db() + "-journal";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(journal) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(std::filesystem::exists(journal));
    kill(pid, SIGINT);
    const ToolRun run = Finish(dir, pid);
    EXPECT_EQ(run.status, 130);
    EXPECT_TRUE(Contains(run.err, "中止しました")) << run.err;
    EXPECT_TRUE(Contains(run.err, "big.txt rolled back, the files after it not imported")) << run.err;
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 0);
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 0);
}

}  // namespace
}  // namespace zorvia
