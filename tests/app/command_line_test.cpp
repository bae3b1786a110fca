#include <gtest/gtest.h>

#include <filesystem>

#include "app/command_line.h"
#include "corpus/database_files.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using Action = AppCommandLine::Action;

TEST(AppCommandLine, ReadsOptionsAndOneFile) {
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string file, error;
    };
    for (const Case& c : {Case{{"--trace", "--", "-a.zorviacorpusdb"}, Action::Run, "-a.zorviacorpusdb", ""},
                          Case{{"a", "--help", "--bogus"}, Action::Help, "a", ""},
                          Case{{"--bogus", "--version"}, Action::Error, "", "unknown option '--bogus' (see zorvia --help)"},
                          Case{{"a", "b"}, Action::Error, "a", "give at most one FILE (see zorvia --help)"}}) {
        const AppCommandLine parsed = ParseAppCommandLine(c.args);
        EXPECT_EQ(parsed.action, c.action) << c.args[0];
        EXPECT_EQ(parsed.file, c.file) << c.args[0];
        EXPECT_EQ(parsed.error, c.error) << c.args[0];
    }
    EXPECT_TRUE(ParseAppCommandLine({"--trace"}).trace);
}

TEST(ChooseStartupCorpus, TakesOnlyACorpusAndWritesNothingAtAnotherPath) {
    test::TempDir dir;
    {
        CCorpusDatabase db;
        test::OpenCorpus(db, dir.File("given.zorviacorpusdb"));
    }
    dir.Write("notes.txt", "plain text\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    // A relative name becomes the full path, as Open records it.
    const StartupCorpus given = ChooseStartupCorpus(u"/stored", u"given.zorviacorpusdb");
    EXPECT_EQ(given.path, dir.File("given.zorviacorpusdb"));
    EXPECT_TRUE(given.fromCommandLine);
    EXPECT_EQ(given.message, u"");

    const StartupCorpus missing = ChooseStartupCorpus(u"", u"missing.zorviacorpusdb");
    EXPECT_EQ(missing.message, dir.File("missing.zorviacorpusdb") + u"\nが見つかりません。\n設定されているデータベースを開きます。");
    const StartupCorpus notes = ChooseStartupCorpus(u"", u"notes.txt");
    EXPECT_EQ(notes.path, DefaultDatabasePath());
    EXPECT_FALSE(notes.fromCommandLine);
    EXPECT_NE(notes.message.find(u"\nはコーパスデータベースではありません。\n"), std::u16string::npos);
    std::filesystem::current_path(previous);
    EXPECT_FALSE(std::filesystem::exists(dir.NativeFile("missing.zorviacorpusdb")));
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("notes.txt")), "plain text\n");
}

// The settings' corpus gets the schema only when it is missing, empty or a
// corpus already; other files are left unopened, with a message.
TEST(ChooseStartupCorpus, GivesTheSchemaOnlyToAMissingEmptyOrCorpusFile) {
    using Opening = StartupCorpus::Opening;
    test::TempDir dir;
    {
        CCorpusDatabase db;
        test::OpenCorpus(db, dir.File("corpus.zorviacorpusdb"));
    }
    dir.Write("empty.zorviacorpusdb", "");
    dir.Write("notes.txt", "plain text\n");
    std::filesystem::create_directory(dir.NativeFile("folder"));
    struct Case {
        const char* name;
        Opening opening;
        std::u16string message;  // followed by the path
    };
    for (const Case& c : {Case{"corpus.zorviacorpusdb", Opening::WithSchema, u""},
                          Case{"empty.zorviacorpusdb", Opening::WithSchema, u""},
                          Case{"notes.txt", Opening::None, u"コーパスデータベースではないため開けません: "},
                          Case{"folder", Opening::None, u"フォルダーはデータベースとして開けません: "}}) {
        const StartupCorpus start = ChooseStartupCorpus(dir.File(c.name), u"");
        EXPECT_EQ(start.path, dir.File(c.name));
        EXPECT_EQ(start.opening, c.opening) << c.name;
        EXPECT_EQ(start.statusMessage, c.message.empty() ? u"" : c.message + dir.File(c.name)) << c.name;
    }
    // A stored path that names nothing falls back to the default file.
    EXPECT_EQ(ChooseStartupCorpus(dir.File("gone"), u"").path, DefaultDatabasePath());
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("notes.txt")), "plain text\n");
}

}  // namespace
}  // namespace zorvia
