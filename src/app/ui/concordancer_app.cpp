#include "app/ui/concordancer_app.h"

#include <wx/log.h>

#include <csignal>

#include "app/ui/concordancer_dlg.h"
#include "platform/text_convert.h"
#include "platform/ui/toolkit_language.h"
#include "platform/trace.h"

namespace zorvia {

bool CConcordancerApp::OnInit() {
    // The toolkit runs: wx's messages may show as message boxes again.
    delete wxLog::SetActiveTarget(nullptr);
    if (m_commandLine.trace) SetTraceEnabled(true);
    UseJapaneseToolkitTexts();
    auto* window = new CConcordancerDlg(m_settings, Utf8ToWide(m_commandLine.file));
    SetTopWindow(window);
    window->Show();
#if defined(__UNIX__)
    // A session that ends or a "kill" asks the window to close as its close
    // box does, so that the settings are written. wx calls this from the
    // event loop, not from inside the signal.
    SetSignalHandler(SIGTERM, [](int) {
        if (wxWindow* top = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr) top->Close();
    });
#endif
    return true;
}

}  // namespace zorvia
