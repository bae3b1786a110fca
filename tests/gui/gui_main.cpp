// The window tests: wx is started once, the tests run inside an active event
// loop (so that pumps and yields work), and wx assertion failures become test
// failures. Run under Xvfb.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/ui/toolkit_language.h"

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void AssertToFailure(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assertion in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The word-input service of the windows under test listens in a runtime
    // directory of this run's own, away from a real session and from other
    // test programs running at the same time.
    char runtimeDir[] = "/tmp/zorvia-gui-tests-XXXXXX";
    if (mkdtemp(runtimeDir) != nullptr) setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wx (no display?)\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    // The windows under test speak as in the program.
    zorvia::UseJapaneseToolkitTexts();
    wxSetAssertHandler(&AssertToFailure);
    int result = 0;
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::filesystem::remove_all(runtimeDir);
    return result;
}
