// The corpus tool as a user runs it: the built program on a corpus file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

class CorpusTool : public ::testing::Test {
protected:
    void SetUp() override {
        CCorpusDatabase db;
        test::OpenCorpus(db, test::W(database.c_str()));
        test::AddFile(db, "/texts/one.txt", {"Before it all.", "He said: the end.", "After\tthat."});
        test::AddFile(db, "C:\\texts\\two.txt", {"", "The cat and the dog", "", "日本語 the"});
    }
    // Standard output and error together; `status` gets the exit status.
    std::string Run(const std::string& arguments, int* status = nullptr) {
        const std::string command = "'" ZORVIA_CORPUS_TOOL "' '" + database + "' " + arguments + " 2>&1";
        std::string out;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return "cannot run " + command;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        const int result = pclose(pipe);
        if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
        return out;
    }
    test::TempDir dir;
    const std::string database = dir.NativeFile("corpus.zorviacorpusdb");
};

TEST_F(CorpusTool, SearchListsHitsInReadingOrderWithTheirContext) {
    int status = -1;
    EXPECT_EQ(Run("search THE --tsv", &status),
              "1\tBefore it all. He said: \tthe\t end. After that.\tone.txt\t2\n"
              "2\t\tThe\t cat and the dog\ttwo.txt\t2\n"
              "3\tThe cat and \tthe\t dog\ttwo.txt\t2\n"
              "4\t日本語 \tthe\t\ttwo.txt\t4\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Run("search --limit=1 the --tsv"), "1\tBefore it all. He said: \tthe\t end. After that.\tone.txt\t2\n");
    // Aligned: every key in column 42, wide characters counting two.
    EXPECT_EQ(Run("search the --limit 4"),
              "   1              Before it all. He said: the end. After that.                     one.txt:2\n"
              "   2                                      The cat and the dog                      two.txt:2\n"
              "   3                          The cat and the dog                                  two.txt:2\n"
              "   4                               日本語 the                                      two.txt:4\n");
    EXPECT_EQ(Run("search nothing"), "no occurrences of 'nothing'\n");
}

TEST_F(CorpusTool, WordsListsTheMostFrequentWordsWithTheirCounts) {
    EXPECT_EQ(Run("words --limit 3 --tsv"), "the\t4\nhe\t1\nit\t1\n");
    EXPECT_EQ(Run("words 'a*' --limit 2"), "all  1\nand  1\n");
    EXPECT_EQ(Run("words '[' --tsv"), "");
}

TEST_F(CorpusTool, OptimizeAddsTheIndexOrSaysWhyNot) {
    int status = -1;
    EXPECT_EQ(Run("optimize", &status), "index word_lid is in place\n");
    EXPECT_EQ(status, 0);
    {
        CCorpusDatabase db;
        ASSERT_TRUE(db.Open(test::W(database.c_str())));
        ASSERT_TRUE(db.Exec(u"DROP INDEX word_lid"));
        ASSERT_TRUE(db.Exec(u"CREATE TABLE word_lid ( x )"));  // the name is taken
    }
    EXPECT_EQ(Run("optimize", &status),
              "zorvia-corpus: cannot create the index word_lid: there is already a table named word_lid\n");
    EXPECT_EQ(status, 1);
}

TEST_F(CorpusTool, BadArgumentsAreRefused) {
    for (const char* arguments : {"search", "search a b", "search the --limit", "search the --limit 0",
                                  "search the --limit 9999999999", "words --wide", "optimize now"}) {
        int status = -1;
        EXPECT_EQ(Run(arguments, &status).rfind("zorvia-corpus: ", 0), 0u) << arguments;
        EXPECT_EQ(status, 2) << arguments;
    }
}

}  // namespace
}  // namespace zorvia
