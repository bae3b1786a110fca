#include "corpus/ui/progress_dlg.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "corpus/ui/corpus_dialog_ids.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

// The longest text an operation writes: the line counter at its largest.
const wxString kWidestText = wxS("loading... (line : 2147483647)");

// The text only shows what the operation is doing: neither a click nor Tab
// gives it the focus, which stays on the cancel button.
class CStatusText : public wxTextCtrl {
public:
    CStatusText(wxWindow* parent, int id) : wxTextCtrl(parent, id, wxString(), wxDefaultPosition, wxDefaultSize, wxTE_READONLY) {}
    bool AcceptsFocus() const override { return false; }
};

}  // namespace

CConProgressDlg::CConProgressDlg(wxWindow* owner)
    : wxDialog(owner, wxID_ANY, wxS("Progress"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    m_text = new CStatusText(this, ID_PROGRESS_TEXT);
    m_text->SetCanFocus(false);
    m_bar = new wxGauge(this, ID_PROGRESS_BAR, 1000);
    m_cancelButton = new wxButton(this, ID_PROGRESS_CANCEL, ToWx(u"中止(&C)"));
    m_cancelButton->SetDefault();

    // The text above the bar; the button beside the bar.
    auto* grid = new wxFlexGridSizer(2, wxSize(8, 8));
    grid->Add(m_text, 0, wxEXPAND);
    grid->AddSpacer(0);
    grid->Add(m_bar, 0, wxEXPAND | wxALIGN_CENTER_VERTICAL);
    grid->Add(m_cancelButton, 0);
    auto* frame = new wxBoxSizer(wxVERTICAL);
    frame->Add(grid, 0, wxALL, 8);
    SetSizer(frame);
    FitToText();

    SetEscapeId(ID_PROGRESS_CANCEL);
    Bind(wxEVT_BUTTON, &CConProgressDlg::OnCancel, this, ID_PROGRESS_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CConProgressDlg::OnCloseBox, this);
}

CConProgressDlg::~CConProgressDlg() = default;

void CConProgressDlg::FitToText() {
    // As wide as the longest text an operation writes, and no wider. The
    // text box knows its own margins only once it is on the screen, so this
    // runs again then.
    const wxSize textSize = m_text->GetSizeFromTextSize(m_text->GetTextExtent(kWidestText).x);
    m_text->SetMinSize(textSize);
    m_bar->SetMinSize(wxSize(textSize.x, -1));
    GetSizer()->SetSizeHints(this);
}

void CConProgressDlg::Begin() {
    if (!m_disabler) m_disabler = std::make_unique<wxWindowDisabler>(this);
    CentreOnParent();
    wxDialog::Show(true);
    FitToText();
    Raise();
    m_cancelButton->SetFocus();
}

void CConProgressDlg::SetText(const std::u16string& text) { m_text->ChangeValue(ToWx(text)); }

void CConProgressDlg::SetPosition(int permille) {
    m_bar->SetValue(permille < 0 ? 0 : (permille > 1000 ? 1000 : permille));
}

std::u16string CConProgressDlg::Text() const { return FromWx(m_text->GetValue()); }

int CConProgressDlg::Position() const { return m_bar->GetValue(); }

void CConProgressDlg::ProcessPendingEvents() {
    // Dispatch everything that is waiting, without blocking when nothing is.
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        loop->YieldFor(wxEVT_CATEGORY_ALL);
    } else if (wxTheApp != nullptr) {
        wxTheApp->ProcessPendingEvents();
    }
}

bool CConProgressDlg::Pump() {
    ProcessPendingEvents();
    return !m_cancel;
}

void CConProgressDlg::End() {
    m_disabler.reset();
    Hide();
}

void CConProgressDlg::OnCancel(wxCommandEvent&) { m_cancel = true; }

void CConProgressDlg::OnCloseBox(wxCloseEvent& event) {
    // The operation owns the window and takes it down itself once it has
    // rolled back; closing it only asks for the cancel.
    m_cancel = true;
    if (event.CanVeto()) event.Veto();
}

}  // namespace zorvia
