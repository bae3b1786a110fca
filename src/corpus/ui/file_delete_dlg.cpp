#include "corpus/ui/file_delete_dlg.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include "corpus/file_removal.h"
#include "corpus/registered_files.h"
#include "corpus/ui/corpus_dialog_ids.h"
#include "platform/text_convert.h"
#include "platform/ui/wx_prompt.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

CFileDeleteDlg::CFileDeleteDlg(wxWindow* parent, CCorpusDatabase& db, IUserPrompt* prompt)
    : wxDialog(parent, wxID_ANY, ToWx(u"ファイルの削除"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE),
      m_db(db),
      m_prompt(prompt) {
    if (m_prompt == nullptr) m_ownPrompt = std::make_unique<CWxPrompt>(this);

    // Several items may be selected; the delete button takes the first.
    m_list = new wxListCtrl(this, ID_FILE_DELETE_LIST, wxDefaultPosition, wxDLG_UNIT(this, wxSize(219, 156)),
                            wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN);
    m_list->AppendColumn(ToWx(u"ファイル名"), wxLIST_FORMAT_LEFT, 250);
    m_list->AppendColumn(ToWx(u"登録日"), wxLIST_FORMAT_LEFT, 120);

    auto* remove = new wxButton(this, ID_FILE_DELETE_BUTTON, ToWx(u"削除(&D)"), wxDefaultPosition,
                                wxDLG_UNIT(this, wxSize(50, 14)));
    auto* close = new wxButton(this, wxID_OK, ToWx(u"閉じる(&X)"), wxDefaultPosition,
                               wxDLG_UNIT(this, wxSize(50, 15)));
    close->SetDefault();

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(remove, 0, wxEXPAND | wxBOTTOM, wxDLG_UNIT(this, wxSize(0, 9)).y);
    buttons->Add(close, 0, wxEXPAND);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_list, 1, wxEXPAND | wxALL, wxDLG_UNIT(this, wxSize(7, 0)).x);
    row->Add(buttons, 0, wxTOP | wxRIGHT | wxBOTTOM, wxDLG_UNIT(this, wxSize(7, 0)).x);
    SetSizerAndFit(row);

    // Closing, by the button or by Esc, ends the dialog; nothing is saved.
    SetAffirmativeId(wxID_OK);
    SetEscapeId(wxID_OK);
    Bind(wxEVT_BUTTON, &CFileDeleteDlg::OnBnClickedDelete, this, ID_FILE_DELETE_BUTTON);

    FillList();
    CentreOnParent();
}

CFileDeleteDlg::~CFileDeleteDlg() = default;

IUserPrompt& CFileDeleteDlg::Prompt() { return m_prompt != nullptr ? *m_prompt : *m_ownPrompt; }

void CFileDeleteDlg::FillList() {
    const std::vector<RegisteredFile> files = ListRegisteredFiles(m_db);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const long item = m_list->InsertItem(static_cast<long>(i), wxString());
        m_list->SetItem(item, 0, ToWx(FileNameOfPath(files[i].path)));
        m_list->SetItem(item, 1, ToWx(FormatRegistrationDate(files[i].date)));
        m_list->SetItemData(item, files[i].oid);
    }
}

void CFileDeleteDlg::OnBnClickedDelete(wxCommandEvent&) {
    const long item = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (item < 0) return;
    const int oid = static_cast<int>(m_list->GetItemData(item));
    // Anything but a removal (declined, gone meanwhile, failed) keeps the
    // file in the corpus, so its item stays.
    if (RemoveRegisteredFile(m_db, oid, Prompt()) == FileRemovalResult::Removed) m_list->DeleteItem(item);
}

}  // namespace zorvia
