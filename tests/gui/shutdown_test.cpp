#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zorvia
