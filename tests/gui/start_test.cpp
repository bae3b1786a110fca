#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "app/ui/concordancer_dlg.h"
#include "gui/gui_support.h"
#include "platform/program_dir.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using test::ReadFileBytes;
using test::ScopedEnv;
using test::TempDir;

// An installed copy's tree under `root`: prefix/bin/ and the style sheet in
// prefix/share/zorvia-concordancer/.
std::string MakeInstalledTree(const TempDir& root) {
    std::filesystem::create_directories(root.NativeFile("prefix/bin"));
    std::filesystem::create_directories(root.NativeFile("prefix/share/zorvia-concordancer"));
    root.Write("prefix/share/zorvia-concordancer/general.css", "h1 { color: red; }\n");
    return root.NativeFile("prefix/bin");
}

TEST(StartFile, OpensTheNamedCorpusRecordsItAndLinksTheInstalledStyleSheet) {
    TempDir home;
    ScopedEnv homeVariable("HOME", home.path().c_str());
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    test::MainWindowFixture f;
    SetProgramDirectoryForTesting(test::W(MakeInstalledTree(f.dir).c_str()));
    const std::u16string corpus = f.dir.File("novels.zorviacorpusdb");
    {
        CCorpusDatabase db;
        test::OpenCorpus(db, corpus);
        test::AddFile(db, "/texts/a.txt", {"an apple and a pear", "apple pie"});
    }

    CConcordancerDlg& w = f.Start(corpus);
    EXPECT_EQ(FromWx(w.GetTitle()), u"novels.zorviacorpusdb - Zorvia Concordancer Ver.1.0.1");
    EXPECT_TRUE(w.MyConcordanceSearch(u"apple"));
    EXPECT_EQ(w.m_hits.size(), 2u);
    EXPECT_NE(w.m_pageHead.find(f.dir.File("prefix/share/zorvia-concordancer/general.css")), std::u16string::npos);
    f.Close();

    // Settings in the user's configuration directory, naming that corpus; no
    // default corpus made anywhere, nothing written beside the executable.
    EXPECT_NE(ReadFileBytes(home.NativeFile(".config/zorvia-concordancer/option.ini"))
                  .find("database-path=" + test::N(corpus) + "\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(home.NativeFile(".local/share/zorvia-concordancer")));
    EXPECT_TRUE(std::filesystem::is_empty(f.dir.NativeFile("prefix/bin")));
}

TEST(StartFile, AFileWithoutACorpusIsReportedOnceTheWindowIsUp) {
    test::MainWindowFixture f;
    const std::u16string notes = f.dir.Write("notes.txt", "not a corpus\n");
    CConcordancerDlg& w = f.Start(notes);
    ASSERT_TRUE(test::WaitUntil([&] { return !f.prompt.messages.empty(); }, 5000));
    EXPECT_EQ(f.prompt.Texts()[0], notes + u"\nはコーパスデータベースではありません。\n設定されているデータベースを開きます。");
    EXPECT_EQ(FromWx(w.GetTitle()), u"x.zorviacorpusdb - Zorvia Concordancer Ver.1.0.1");
}

// A settings' corpus path that names no corpus: the status bar says so with
// the path, no corpus is open, and the file is left exactly as it was.
TEST(StartCorpus, APathWithoutACorpusIsReportedInTheStatusBarAndLeftAlone) {
    struct Case {
        const char* name;
        std::string bytes;  // empty: a folder
        std::u16string message;
    };
    std::string otherDatabase;
    {
        TempDir scratch;
        CCorpusDatabase db;
        ASSERT_TRUE(db.Open(scratch.File("other.db")));
        ASSERT_TRUE(db.Exec(u"CREATE TABLE notes (n TEXT)"));
        db.Close();
        otherDatabase = ReadFileBytes(scratch.NativeFile("other.db"));
    }
    for (const Case& c : {Case{"folder", "", u"フォルダーはデータベースとして開けません: "},
                          Case{"notes.txt", "not a corpus\n", u"コーパスデータベースではないため開けません: "},
                          Case{"other.db", otherDatabase, u"コーパスデータベースではないため開けません: "}}) {
        test::MainWindowFixture f;
        const std::u16string path = f.dir.File(c.name);
        if (c.bytes.empty()) {
            std::filesystem::create_directory(f.dir.NativeFile(c.name));
        } else {
            f.dir.Write(c.name, c.bytes);
        }
        f.WriteSettings("database-path=" + test::N(path) + "\n");
        CConcordancerDlg& w = f.Start();
        EXPECT_EQ(w.GetStatusPart(0), c.message + path) << c.name;
        EXPECT_FALSE(w.m_db.IsOpen()) << c.name;
        f.Close();
        if (!c.bytes.empty()) {
            EXPECT_EQ(ReadFileBytes(f.dir.NativeFile(c.name)), c.bytes) << c.name;
        }
        // The settings keep the path for a later start.
        EXPECT_NE(ReadFileBytes(f.ProgramFile("option.ini")).find("database-path=" + test::N(path) + "\n"),
                  std::string::npos);
    }
}

TEST(InstalledLayout, TheRealProgramKeepsSettingsAndCorpusInTheXdgDirectories) {
    TempDir root;
    const std::string bin = MakeInstalledTree(root);
    const std::string exe = bin + "/zorvia";
    std::filesystem::copy_file(ZORVIA_APP, exe);
    std::filesystem::create_directories(root.NativeFile("home"));
    pid_t pid = -1;
    {
        // The child takes the environment as it is when it starts.
        ScopedEnv home("HOME", root.NativeFile("home").c_str());
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        ScopedEnv data("XDG_DATA_HOME", root.NativeFile("data").c_str());
        pid = test::StartProgram(root, {exe});
    }
    const std::string corpus = root.NativeFile("data/zorvia-concordancer/x.zorviacorpusdb");
    ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(corpus); }, 20000));
    test::WaitUntil([] { return false; }, 1500);  // let the window come up
    kill(pid, SIGTERM);
    EXPECT_EQ(test::FinishProgram(root, pid, nullptr, 20000).status, 0);
    EXPECT_NE(ReadFileBytes(root.NativeFile("home/.config/zorvia-concordancer/option.ini"))
                  .find("database-path=" + corpus + "\n"),
              std::string::npos);
    // Nothing beside the executable but itself.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(bin), {}), 1);
}

}  // namespace
}  // namespace zorvia
