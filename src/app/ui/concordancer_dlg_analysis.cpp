// The main window's side of the analyses: the analysis menu, the exports of
// its own two lists, Ctrl+C in them, and what the analysis window asks of
// it (the corpus, a search, the passage of one occurrence).
#include <wx/listctrl.h>

#include "analysis/corpus_reader.h"
#include "analysis/kwic.h"
#include "analysis/list_exports.h"
#include "analysis/table_export.h"
#include "analysis/ui/analysis_frame.h"
#include "analysis/ui/analysis_tab.h"
#include "analysis/ui/progress_job.h"
#include "app/con_settings.h"
#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "concordance/hit_lookups.h"
#include "concordance/ui/concordance_list_box.h"
#include "corpus/database_files.h"
#include "html/preview_page.h"
#include "html/ui/body_browser.h"
#include "platform/text_convert.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

void CConcordancerDlg::BindAnalysisCommands() {
    Bind(wxEVT_MENU, &CConcordancerDlg::OnMenuItem, this, MenuItemId(kFirstAnalysisCommand),
         MenuItemId(kLastAnalysisCommand));
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnKwicList(); }, ID_KWIC_LIST);
    for (int command : {ID_COLLOCATES, ID_NGRAMS, ID_DISPERSION, ID_KEYWORDS})
        Bind(wxEVT_MENU, [this, command](wxCommandEvent&) { OnAnalysisTab(command); }, command);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnExportWordList(); }, ID_EXPORT_WORD_LIST);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnExportConcordance(); }, ID_EXPORT_CONCORDANCE);
}

void CConcordancerDlg::StopAnalysisJobs() {
    if (m_analysisFrame) m_analysisFrame->StopAllJobs();
}

std::u16string CConcordancerDlg::CorpusPathForAnalysis() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return {};
    return m_settings.databasePath.value;
}

void CConcordancerDlg::OnKwicList() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    if (!m_analysisFrame) m_analysisFrame = new CAnalysisFrame(this, *this);
    m_analysisFrame->ShowKwic(m_searchWord);
}

void CConcordancerDlg::OnAnalysisTab(int command) {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    if (!m_analysisFrame) m_analysisFrame = new CAnalysisFrame(this, *this);
    switch (command) {
        case ID_COLLOCATES: m_analysisFrame->ShowCollocates(m_searchWord); break;
        case ID_NGRAMS: m_analysisFrame->ShowNgrams(); break;
        case ID_DISPERSION: m_analysisFrame->ShowDispersion(m_searchWord); break;
        case ID_KEYWORDS: m_analysisFrame->ShowKeywords(); break;
        default: break;
    }
}

void CConcordancerDlg::SearchWord(const std::u16string& word) { OnWordPoked(word); }

void CConcordancerDlg::PreviewOccurrence(std::int64_t wid, std::int64_t lid, const std::u16string& word) {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    ConcordanceHit hit{static_cast<int>(wid), static_cast<int>(lid)};
    CompleteHit(m_db, hit);
    SetStatusPart(0, u"Retrieving the contents...");
    const PreviewPage page = BuildPreviewPage(m_db, hit, word, word, m_settings.bodyLine.value, m_pageHead);
    m_bodyFilePath = page.bodyFilePath;
    m_bodyLine = page.bodyLine;
    m_body->ClearPage();
    m_body->WritePage(page.firstPiece);
    m_body->WritePage(page.secondPiece);
    ShowReadyText();
    SetStatusPart(2, FormatSeconds(page.elapsedMilliseconds));
}

std::u16string CConcordancerDlg::NodeWordsForAnalysis(const std::u16string& node) {
    if (!m_db.IsOpen()) return node;
    return NodeInWordsOf(m_db.WordRule(), node);
}

// --- exports of the main window's lists -------------------------------------------------

void CConcordancerDlg::ExportList(
    const std::u16string& fileName,
    const std::function<JobResult(std::stop_token, IJobProgress&, const std::u16string&)>& work) {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    const auto path = PromptForFile(*m_prompt, ExportFileRequest(fileName));
    if (!path) return;
    const JobResult result = RunWithProgressWindow(
        this, u"書き出し中...", [&](std::stop_token stop, IJobProgress& progress) { return work(stop, progress, *path); });
    if (result.outcome == JobOutcome::Failed) {
        m_prompt->Message(u"ファイルを書き出せませんでした。\n" + result.errorText, PromptButtons::Ok, PromptIcon::Error);
    }
    ShowReadyText();
}

void CConcordancerDlg::OnExportWordList() {
    const std::u16string corpus = m_settings.databasePath.value;
    ExportList(u"wordlist.tsv", [corpus](std::stop_token stop, IJobProgress& progress, const std::u16string& path) {
        CCorpusReader reader;
        if (!reader.Open(corpus, stop)) return JobResult::Failed(reader.ErrorText());
        progress.Report(u"単語を数えています...", -1);
        CTextTable table = MakeWordListTable();
        const JobResult loaded = LoadCompleteWordList(reader, stop, table);
        if (!loaded.done()) return loaded;
        return ExportTable(table, path, TableFormatForPath(path), true, stop, progress);
    });
}

void CConcordancerDlg::OnExportConcordance() {
    const std::u16string corpus = m_settings.databasePath.value;
    const std::vector<ConcordanceHit> hits = m_hits;
    const std::u16string searchWord = m_searchWord;
    ExportList(u"concordance.tsv", [&](std::stop_token stop, IJobProgress& progress, const std::u16string& path) {
        CTextTable table = MakeConcordanceTable();
        const JobResult loaded = LoadConcordanceList(corpus, hits, searchWord, stop, progress, table);
        if (!loaded.done()) return loaded;
        return ExportTable(table, path, TableFormatForPath(path), true, stop, progress);
    });
}

// --- Ctrl+C in the two lists ------------------------------------------------------------------

bool CConcordancerDlg::HandleCopyKey(const wxKeyEvent& event) {
    if (!event.ControlDown() || (event.GetKeyCode() != 'C' && event.GetKeyCode() != 'c')) return false;
    const wxWindow* focus = wxWindow::FindFocus();
    std::string text;
    std::vector<std::string> fields;
    if (focus == m_wordList) {
        for (long i = -1; (i = m_wordList->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1;) {
            fields = {WideToUtf8(FromWx(m_wordList->GetItemText(i, 0))), WideToUtf8(FromWx(m_wordList->GetItemText(i, 1)))};
            AppendRecord(text, fields, TableFormat::Tsv);
        }
    } else if (focus == m_concordanceList) {
        const int i = m_concordanceList->GetSelection();
        if (i >= 0 && i < static_cast<int>(m_hits.size())) {
            if (auto row = ConcordanceRowFields(m_db, m_hits[std::size_t(i)], m_lineCache, m_searchWord, i))
                AppendRecord(text, *row, TableFormat::Tsv);
        }
    } else {
        return false;
    }
    if (!text.empty()) CopyTextToClipboard(text);
    return true;
}

}  // namespace zorvia
