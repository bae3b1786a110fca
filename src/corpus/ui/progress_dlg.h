// The small window that long corpus operations show: a line of text, a bar
// from 0 to 1000 and a cancel button. While it is shown every other window
// of the program is disabled, so nothing can start another command inside
// the operation's open transaction.
#pragma once

#include <wx/dialog.h>

#include <memory>

#include "corpus/progress.h"

class wxButton;
class wxGauge;
class wxTextCtrl;
class wxWindowDisabler;

namespace zorvia {

class CConProgressDlg : public wxDialog, public IProgressSink {
public:
    explicit CConProgressDlg(wxWindow* owner);
    ~CConProgressDlg() override;

    void Begin() override;
    void SetText(const std::u16string& text) override;
    void SetPosition(int permille) override;
    bool Pump() override;
    void End() override;

    bool CancelRequested() const { return m_cancel; }
    std::u16string Text() const;
    int Position() const;
    wxButton* CancelButton() const { return m_cancelButton; }
    // What pressing the cancel button does; Esc and the close box do the
    // same.
    void RequestCancel() { m_cancel = true; }

    // The processing of pending events shared by every pump of the program.
    static void ProcessPendingEvents();

private:
    void FitToText();
    void OnCancel(wxCommandEvent& event);
    void OnCloseBox(wxCloseEvent& event);

    bool m_cancel = false;
    wxTextCtrl* m_text = nullptr;
    wxGauge* m_bar = nullptr;
    wxButton* m_cancelButton = nullptr;
    std::unique_ptr<wxWindowDisabler> m_disabler;
};

}  // namespace zorvia
