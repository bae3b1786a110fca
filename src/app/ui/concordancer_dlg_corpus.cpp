// The main window's corpus-building commands: adding files (chosen or
// dropped), removing registered files and removing the words of a list.
#include <wx/dnd.h>
#include <wx/event.h>

#include "app/con_settings.h"
#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "app/ui/status_part_text.h"
#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus/stopword_removal.h"
#include "corpus/ui/file_delete_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "corpus/ui/word_rule_dlg.h"
#include "platform/trace.h"
#include "platform/ui/wx_prompt.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

void CConcordancerDlg::BindCorpusCommands() {
    Bind(wxEVT_MENU, &CConcordancerDlg::OnAddFile, this, ID_ADD_FILE);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnDeleteFile, this, ID_DELETE_FILE);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnDeleteWordsInFile, this, ID_DELETE_WORDS_IN_FILE);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnWordRule, this, ID_WORD_RULE);
    DragAcceptFiles(true);
    Bind(wxEVT_DROP_FILES, &CConcordancerDlg::OnDropFiles, this);
}

bool CConcordancerDlg::ImportFile(const std::u16string& path) {
    StopAnalysisJobs();
    CConProgressDlg progress(this);
    CStatusPartText status(*this);
    ImportOptions options;
    options.encoding = m_settings.TextFileEncoding();
    options.mecabDictionary = m_settings.mecabDictionary.value;
    const ImportOutcome outcome = ImportOneFile(m_db, path, Prompt(), progress, status, options);
    if (outcome.result == ImportResult::Committed)
        m_fileReadings.push_back({path, outcome.reading, outcome.lines, outcome.words});
    return outcome.result == ImportResult::Committed;
}

void CConcordancerDlg::ReportFileReadings() {
    if (m_fileReadings.empty()) return;
    // One message for the whole command, however many files it read.
    if (const auto message = UndecodableBytesMessage(m_fileReadings))
        Prompt().Message(*message, PromptButtons::Ok, PromptIcon::Exclamation);
    SetStatusPart(0, ReadEncodingStatus(m_fileReadings.back()));
    m_fileReadings.clear();
}

void CConcordancerDlg::OnAddFile(wxCommandEvent&) {
    if (!CheckDatabaseOpen(m_db, Prompt())) return;
    const auto path = PromptForFile(Prompt(), AddFileRequest());
    if (!path) return;
    Trace("filename : %s\n", TraceText(*path).c_str());
    m_fileReadings.clear();
    ImportFile(*path);
    MyVersionPage(true);
    ReportFileReadings();
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
    m_fileReadings.clear();
    ImportDroppedFiles(paths, Prompt(), [this](const std::u16string& path) { ImportFile(path); });
    MyVersionPage(true);
    ReportFileReadings();
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
    const StopWordOutcome outcome = DeleteWordsInFile(m_db, *path, Prompt(), progress, status,
                                                      [this] { MyVersionPage(true); }, m_settings.TextFileEncoding());
    m_fileReadings.clear();
    if (outcome.result == StopWordResult::Deleted)
        m_fileReadings.push_back({*path, outcome.reading, outcome.lines, outcome.statements});
    ReportFileReadings();
}

void CConcordancerDlg::OnWordRule(wxCommandEvent&) {
    if (!CheckDatabaseOpen(m_db, Prompt())) return;
    StopAnalysisJobs();
    CWordRuleDlg dialog(this, m_db, m_settings.mecabDictionary.value, Prompt());
    if (dialog.ShowModal() == wxID_OK) MyVersionPage(true);
}

}  // namespace zorvia
