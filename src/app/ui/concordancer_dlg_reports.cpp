// The main window's report pages and the word-input service.
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "app/con_settings.h"
#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "app/ui/status_part_text.h"
#include "corpus/database_files.h"
#include "corpus/defrag.h"
#include "html/report_pages.h"
#include "html/source_file_page.h"
#include "html/ui/body_browser.h"
#include "platform/text_convert.h"
#include "platform/tick.h"
#include "platform/trace.h"

namespace zorvia {

void CConcordancerDlg::BindReportCommands() {
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnRegisteredFileList(); }, ID_REGISTERED_FILE_LIST);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnCompleteWordList(); }, ID_COMPLETE_WORD_LIST);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnDefrag(); }, ID_DEFRAG);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnOpenBodyFile(); }, ID_OPEN_BODY_FILE);
}

void CConcordancerDlg::ShowPage(const std::u16string& page) {
    m_body->ClearPage();
    m_body->WritePage(page);
}

void CConcordancerDlg::MyVersionPage(bool quick) {
    CStatusPartText status(*this);
    ShowPage(BuildVersionPage(m_db, quick, m_pageHead, &status));
    ShowReadyText();
}

void CConcordancerDlg::OnRegisteredFileList() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    ShowPage(BuildRegisteredFileList(m_db, m_pageHead));
}

void CConcordancerDlg::OnCompleteWordList() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    if (m_prompt->Message(kCompleteWordListConfirmation, PromptButtons::YesNo, PromptIcon::Question) !=
        PromptAnswer::Yes)
        return;
    wxBusyCursor busy;
    const std::uint32_t t0 = GetTickCount32();
    const CompleteWordListResult result = BuildCompleteWordList(m_db, m_pageHead);
    const std::uint32_t t1 = GetTickCount32();
    SetStatusPart(1, result.rowCount > 0 ? FormatSeconds(t1 - t0) : std::u16string());
    ShowPage(result.page);
}

void CConcordancerDlg::OnDefrag() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    if (m_prompt->Message(kDefragConfirmation, PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        return;
    StopAnalysisJobs();
    wxBusyCursor busy;
    const DefragResult result = RunDefrag(m_db, m_settings.databasePath.value);
    ShowPage(BuildDefragReport(result.beforeBytes, result.afterBytes, m_pageHead));
}

void CConcordancerDlg::OnOpenBodyFile() {
    // The file decoded as its import decodes it (detected again from its
    // bytes); a path that cannot be read (none yet, or gone) is left to the
    // view.
    if (const auto page = BuildSourceFilePage(m_bodyFilePath, m_settings.TextFileEncoding())) {
        m_body->ShowDocument(*page, m_bodyFilePath);
        return;
    }
    m_body->NavigateTo(m_bodyFilePath);
}

// --- the word-input service ------------------------------------------------------

void CConcordancerDlg::StartDdeService() { m_wordInput.Start(this); }

void CConcordancerDlg::StopDdeService() { m_wordInput.Stop(); }

void CConcordancerDlg::OnWordPoked(const std::u16string& word) {
    // The poked text only ever becomes the typed word, searched as if the
    // user had typed it and pressed the search button.
    m_typedWord = word;
    WriteTypedWord();
    OnBnClickedSearch();
}

}  // namespace zorvia
