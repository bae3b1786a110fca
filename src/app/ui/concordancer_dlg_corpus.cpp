// The main window's corpus-building commands: adding files (chosen or
// dropped), removing registered files and removing the words of a list.
#include <wx/dnd.h>
#include <wx/event.h>

#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "app/ui/status_part_text.h"
#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus/stopword_removal.h"
#include "corpus/ui/file_delete_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "platform/trace.h"
#include "platform/ui/wx_prompt.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

void CConcordancerDlg::BindCorpusCommands() {
    Bind(wxEVT_MENU, &CConcordancerDlg::OnAddFile, this, ID_ADD_FILE);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnDeleteFile, this, ID_DELETE_FILE);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnDeleteWordsInFile, this, ID_DELETE_WORDS_IN_FILE);
    DragAcceptFiles(true);
    Bind(wxEVT_DROP_FILES, &CConcordancerDlg::OnDropFiles, this);
}

bool CConcordancerDlg::ImportFile(const std::u16string& path) {
    StopAnalysisJobs();
    CConProgressDlg progress(this);
    CStatusPartText status(*this);
    return zorvia::ImportFile(m_db, path, Prompt(), progress, status);
}

void CConcordancerDlg::OnAddFile(wxCommandEvent&) {
    if (!CheckDatabaseOpen(m_db, Prompt())) return;
    const auto path = PromptForFile(Prompt(), AddFileRequest());
    if (!path) return;
    Trace("filename : %s\n", TraceText(*path).c_str());
    ImportFile(*path);
    MyVersionPage(true);
}

void CConcordancerDlg::OnDropFiles(wxDropFilesEvent& event) {
    event.Skip();
    // While an operation runs, its progress window has disabled this one
    // (and a modal dialog does the same): a drop then would start an import
    // inside that operation's open transaction.
    if (!IsEnabled()) return;
    std::vector<std::u16string> paths;
    paths.reserve(static_cast<std::size_t>(event.GetNumberOfFiles()));
    for (int i = 0; i < event.GetNumberOfFiles(); ++i) paths.push_back(FromWx(event.GetFiles()[i]));
    ImportDroppedFiles(paths, Prompt(), [this](const std::u16string& path) { ImportFile(path); });
    MyVersionPage(true);
}

void CConcordancerDlg::OnDeleteFile(wxCommandEvent&) {
    if (!CheckDatabaseOpen(m_db, Prompt())) return;
    // The real message boxes belong to the dialog; a scripted prompt (the
    // tests') answers for it as it is.
    IUserPrompt* prompt = dynamic_cast<CWxPrompt*>(&Prompt()) != nullptr ? nullptr : &Prompt();
    StopAnalysisJobs();
    CFileDeleteDlg dialog(this, m_db, prompt);
    dialog.ShowModal();
}

void CConcordancerDlg::OnDeleteWordsInFile(wxCommandEvent&) {
    if (!CheckDatabaseOpen(m_db, Prompt())) return;
    const auto path = PromptForFile(Prompt(), StopWordFileRequest());
    if (!path) return;
    Trace("filename : %s\n", TraceText(*path).c_str());
    StopAnalysisJobs();
    CConProgressDlg progress(this);
    CStatusPartText status(*this);
    DeleteWordsInFile(m_db, *path, Prompt(), progress, status, [this] { MyVersionPage(true); });
}

}  // namespace zorvia
