// The file removal dialog: the registered files by name and registration
// date, oldest first; the delete button removes the first selected file
// after a question and takes it off the list, and the dialog stays open for
// more.
#pragma once

#include <wx/dialog.h>

#include <memory>

#include "corpus/corpus_database.h"
#include "platform/prompt.h"

class wxListCtrl;

namespace zorvia {

class CWxPrompt;

class CFileDeleteDlg : public wxDialog {
public:
    // `prompt` asks the question and reports failures; with nullptr the
    // dialog shows real message boxes of its own, owned by itself.
    CFileDeleteDlg(wxWindow* parent, CCorpusDatabase& db, IUserPrompt* prompt = nullptr);
    ~CFileDeleteDlg() override;

    wxListCtrl* List() const { return m_list; }

    // The delete button (1004).
    void OnBnClickedDelete(wxCommandEvent& event);

private:
    // Reads the registered files into the list.
    void FillList();
    IUserPrompt& Prompt();

    CCorpusDatabase& m_db;
    IUserPrompt* m_prompt;
    std::unique_ptr<CWxPrompt> m_ownPrompt;
    wxListCtrl* m_list = nullptr;
};

}  // namespace zorvia
