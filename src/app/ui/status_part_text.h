// The message part of the main window's status bar, as the core's long
// operations and report pages write it.
#pragma once

#include "app/ui/concordancer_dlg.h"
#include "corpus/progress.h"

namespace zorvia {

class CStatusPartText : public IStatusText {
public:
    explicit CStatusPartText(CConcordancerDlg& window) : m_window(window) {}
    void SetStatusText(const std::u16string& text) override { m_window.SetStatusPart(0, text); }

private:
    CConcordancerDlg& m_window;
};

}  // namespace zorvia
