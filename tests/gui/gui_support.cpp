#include "gui/gui_support.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include "app/ui/concordancer_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "platform/program_dir.h"
#include "platform/text_convert.h"

namespace zorvia::test {

void Pump() {
    CConProgressDlg::ProcessPendingEvents();
    if (wxTheApp != nullptr) wxTheApp->ProcessIdle();
}

void PumpAndRest() {
    Pump();
    wxMilliSleep(5);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const wxLongLong end = wxGetLocalTimeMillis() + timeoutMs;
    while (!done()) {
        if (wxGetLocalTimeMillis() > end) return false;
        PumpAndRest();
    }
    return true;
}

std::string RunScript(wxWebView* view, const std::string& script) {
    wxString output;
    if (view == nullptr || !view->RunScript(wxString::FromUTF8(script), &output)) return "<script failed>";
    return std::string(output.utf8_str());
}

MainWindowFixture::MainWindowFixture() { SetProgramDirectoryForTesting(Utf8ToWide(dir.path())); }

MainWindowFixture::~MainWindowFixture() {
    if (window != nullptr) Close();
    SetProgramDirectoryForTesting(u"");
}

CConcordancerDlg& MainWindowFixture::Start() {
    window = new CConcordancerDlg(settings);
    window->SetPromptForTesting(&prompt);
    window->Show();
    WaitUntil([&] { return window->IsShownOnScreen(); }, 5000);
    Pump();
    window->LayoutPanes();
    return *window;
}

void MainWindowFixture::Close() {
    if (window == nullptr) return;
    window->Close(true);
    WaitUntil([] { return wxTopLevelWindows.empty(); }, 5000);
    window = nullptr;
}

}  // namespace zorvia::test
