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

CConProgressDlg::CConProgressDlg(wxWindow* owner)
    : wxDialog(owner, wxID_ANY, wxS("Progress"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    m_text = new wxTextCtrl(this, ID_PROGRESS_TEXT, wxString(), wxDefaultPosition,
                            wxDLG_UNIT(this, wxSize(328, 14)), wxTE_READONLY);
    m_bar = new wxGauge(this, ID_PROGRESS_BAR, 1000, wxDefaultPosition, wxDLG_UNIT(this, wxSize(328, 14)));
    auto* cancel = new wxButton(this, ID_PROGRESS_CANCEL, ToWx(u"中止(&C)"));
    cancel->SetDefault();

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_text, 0, wxEXPAND | wxBOTTOM, 8);
    column->Add(m_bar, 0, wxEXPAND);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(column, 1, wxALIGN_BOTTOM | wxALL, 8);
    row->Add(cancel, 0, wxALIGN_BOTTOM | wxTOP | wxRIGHT | wxBOTTOM, 8);
    SetSizerAndFit(row);

    SetEscapeId(ID_PROGRESS_CANCEL);
    Bind(wxEVT_BUTTON, &CConProgressDlg::OnCancel, this, ID_PROGRESS_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CConProgressDlg::OnCloseBox, this);
}

CConProgressDlg::~CConProgressDlg() = default;

void CConProgressDlg::Begin() {
    if (!m_disabler) m_disabler = std::make_unique<wxWindowDisabler>(this);
    CentreOnParent();
    wxDialog::Show(true);
    Raise();
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
