#include "app/ui/concordancer_app.h"

#include <wx/cmdline.h>

#include "app/ui/concordancer_dlg.h"
#include "platform/trace.h"

namespace zorvia {

bool CConcordancerApp::OnInit() {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == wxS("--trace")) SetTraceEnabled(true);
    }
    auto* window = new CConcordancerDlg(m_settings);
    SetTopWindow(window);
    window->Show();
    return true;
}

}  // namespace zorvia
