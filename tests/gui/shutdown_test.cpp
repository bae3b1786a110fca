#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "app/ui/concordancer_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "gui/gui_support.h"

namespace zorvia {
namespace {

TEST(Shutdown, TheCloseBoxWaitsWhileALongOperationRuns) {
    test::MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    {
        CConProgressDlg progress(&w);
        progress.Begin();
        EXPECT_FALSE(w.Close());  // vetoed: the operation is still running
        test::Pump();
        EXPECT_FALSE(wxTopLevelWindows.empty());
        progress.End();
    }
    f.Close();
    EXPECT_FALSE(test::ReadFileBytes(f.ProgramFile("option.ini")).empty());
}

TEST(Shutdown, TheApplicationSavesItsSettingsWhenTerminated) {
    // The real program, copied into a directory of its own (its settings and
    // corpus live beside it).
    test::TempDir dir;
    const std::string exe = dir.NativeFile("zorvia");
    std::filesystem::copy_file(ZORVIA_APP, exe);
    const pid_t pid = test::StartProgram(dir, {exe});
    ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(dir.NativeFile("x.zorviacorpusdb")); }, 20000));
    test::WaitUntil([] { return false; }, 1500);  // let the window come up
    kill(pid, SIGTERM);
    EXPECT_EQ(test::FinishProgram(dir, pid, nullptr, 20000).status, 0);
    EXPECT_NE(test::ReadFileBytes(dir.NativeFile("option.ini")).find("window-width=640"), std::string::npos);
}

}  // namespace
}  // namespace zorvia
