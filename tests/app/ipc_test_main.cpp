// The word-input service tests need wx running with an event loop to serve
// the socket. wx's base library is enough: no window, no display.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

namespace {

void FailOnWxAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                    const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assertion in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
}

// wx posts socket notifications as pending events, and a waiting wx client
// only dispatches the loop: a client and a server in one process need the
// pending events processed there (the application's GUI loop does so).
class CTestEventLoop : public wxConsoleEventLoop {
public:
    int DispatchTimeout(unsigned long timeout) override {
        const int result = wxConsoleEventLoop::DispatchTimeout(timeout);
        if (wxTheApp != nullptr) wxTheApp->ProcessPendingEvents();
        return result;
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wxInitializer initializer;
    if (!initializer.IsOk()) return 1;
    wxSetAssertHandler(FailOnWxAssert);
    // Socket events and wx's own waits dispatch through the active loop.
    CTestEventLoop loop;
    wxEventLoopActivator activate(&loop);
    return RUN_ALL_TESTS();
}
