// The main window: the word row, the frequency word list, the concordance
// list, the body pane and the status bar, with the command routing of the
// menu and the keys. Handlers stay short: they read widgets, call the core
// and write widgets.
#pragma once

#include <wx/frame.h>
#include <wx/weakref.h>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/analysis_host.h"
#include "analysis/job.h"
#include "concordance/concordance_hit.h"
#include "concordance/ui/concordance_list_box.h"
#include "corpus/corpus_database.h"
#include "corpus/file_import.h"
#include "app/pane_layout.h"
#include "app/ui/word_input_service.h"
#include "platform/prompt.h"
#include "wordlist/word_list.h"

class wxButton;
class wxListCtrl;
class wxListEvent;
class wxPanel;
class wxStaticText;
class wxTextCtrl;
class wxMenuEvent;
class wxMouseEvent;
class wxKeyEvent;
class wxSizeEvent;
class wxCloseEvent;
class wxCommandEvent;
class wxDropFilesEvent;

namespace zorvia {

class CAnalysisFrame;
class CBodyBrowser;
class CConSettings;
class CWxPrompt;

class CConcordancerDlg : public wxFrame,
                         public IWordInputTarget,
                         public IAnalysisHost,
                         public IKwicItemSource {
public:
    // Runs the whole start-up sequence: settings, corpus, title, body pane,
    // first page, word-input service, placement. A `startFile` that holds a
    // corpus is opened instead of the settings' one.
    explicit CConcordancerDlg(CConSettings& settings, const std::u16string& startFile = {});
    ~CConcordancerDlg() override;

    // --- used by the other parts of the window ----------------------------
    void ShowReadyText();
    bool UpdateTitle();
    bool OpenDatabase();
    bool OpenDatabaseWithSchema();
    void SetStatusPart(int part, const std::u16string& text);
    std::u16string GetStatusPart(int part) const;

    // Tests answer the message boxes and file choosers.
    void SetPromptForTesting(IUserPrompt* prompt) { m_prompt = prompt; }
    IUserPrompt& Prompt() { return *m_prompt; }

    // --- commands -----------------------------------------------------------
    void OnNewDatabase(wxCommandEvent& event);
    void OnOpenDatabase(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnOptions(wxCommandEvent& event);
    void OnVersion(wxCommandEvent& event);
    void MyVersionPage(bool quick);

    // --- corpus building (concordancer_dlg_corpus.cpp) ------------------------
    // Imports one file with the progress window; true when it was committed.
    bool ImportFile(const std::u16string& path);
    void OnAddFile(wxCommandEvent& event);
    void OnDropFiles(wxDropFilesEvent& event);
    void OnDeleteFile(wxCommandEvent& event);
    void OnDeleteWordsInFile(wxCommandEvent& event);
    // "単語の区切り方...": the word rule of the open corpus.
    void OnWordRule(wxCommandEvent& event);
    // After a command that read files: one message listing those with
    // bytes that did not decode, and the encoding of the last one in the
    // status bar.
    void ReportFileReadings();

    // --- search, hits and word list --------------------------------------------
    void OnBnClickedSearch();
    void OnEnChangeWordEdit();
    bool MyConcordanceSearch(const std::u16string& word);
    bool MySelectHit(int index);
    void MyPreviewFile(const ConcordanceHit& hit);
    void OnLbnSelchangeConcordanceList();
    void OnDeleteHit();
    bool MyWordListSearch(const std::u16string& prefix);
    void OnFrequencyTable();
    void OnWordsStartingWith();
    void OnNMRclickWordList();
    void OnDeleteWords();
    void OnSpeedUpSearch();
    void OnRemoveSpeedUp();
    // The shown text of a word-list row and the stored key it stands for.
    std::u16string WordListText(int item) const;
    std::u16string WordListKey(int item) const;

    // --- report pages and the word-input service ---------------------------------
    void OnRegisteredFileList();
    void OnCompleteWordList();
    void OnDefrag();
    void OnOpenBodyFile();
    void ShowPage(const std::u16string& page);
    void StartDdeService();
    void StopDdeService();
    void OnWordPoked(const std::u16string& word) override;
    const CWordInputService& WordInputService() const { return m_wordInput; }

    // --- the analysis window (concordancer_dlg_analysis.cpp) ---------------------
    // Every command that writes to the corpus, closes it or switches to
    // another file calls this first: a job reading beside the window would
    // hold the lock that makes the write's COMMIT fail.
    void StopAnalysisJobs();
    void OnKwicList();
    // The other tabs of the analysis window, on the main window's word.
    void OnAnalysisTab(int command);
    void OnExportWordList();
    void OnExportConcordance();
    CAnalysisFrame* AnalysisFrame() const { return m_analysisFrame.get(); }
    std::u16string CorpusPathForAnalysis() override;
    IUserPrompt& AnalysisPrompt() override { return *m_prompt; }
    void SearchWord(const std::u16string& word) override;
    void PreviewOccurrence(std::int64_t wid, std::int64_t lid, const std::u16string& word) override;
    std::u16string NodeWordsForAnalysis(const std::u16string& node) override;

    // --- what the concordance list draws ---------------------------------------
    std::size_t KwicItemCount() const override { return m_hits.size(); }
    std::optional<KwicText> KwicItemText(std::size_t n) override;
    int KwicTypedLength() const override { return static_cast<int>(m_typedWord.size()); }

    // --- members the other parts read and write -----------------------------
    CConSettings& m_settings;
    CCorpusDatabase m_db;
    std::u16string m_pageHead;
    std::u16string m_pageTail;
    std::vector<ConcordanceHit> m_hits;
    LineCache m_lineCache;
    std::u16string m_bodyFilePath;
    int m_bodyLine = 0;
    // The word-list item whose selection last started a search.
    int m_rememberedWordIndex = -1;
    std::u16string m_typedWord;
    std::u16string m_searchWord;
    // The files read by the running command, for its report.
    std::vector<FileReading> m_fileReadings;

    wxPanel* m_panel = nullptr;
    wxStaticText* m_wordLabel = nullptr;
    wxTextCtrl* m_wordEdit = nullptr;
    wxButton* m_searchButton = nullptr;
    wxListCtrl* m_wordList = nullptr;
    CConcordanceListBox* m_concordanceList = nullptr;
    CBodyBrowser* m_body = nullptr;

    // The layout of the panes for the current client size; also what the
    // splitter drag calls after each move.
    void LayoutPanes();

private:
    // After a corpus was opened: a corpus whose words cannot be cut now is
    // opened read-only, and the user told.
    void CheckWordRuleAfterOpen();
    void BindCorpusCommands();
    void CreateControls();
    void CreateMenu();
    void PlaceWindow();

    void OnMenuItem(wxCommandEvent& event);
    void BindSearchCommands();
    void BindReportCommands();
    void BindAnalysisCommands();
    bool HandleCopyKey(const wxKeyEvent& event);
    void ExportList(const std::u16string& fileName,
                    const std::function<JobResult(std::stop_token, IJobProgress&, const std::u16string&)>& work);
    void ReadTypedWord();
    void WriteTypedWord();
    void FillWordList(const std::vector<WordListRow>& rows);
    // Each column of the word list as wide as its widest text, never below
    // its first width; a column the user has dragged keeps its width.
    void FitWordListColumns();
    int FirstSelectedWord() const;
    std::vector<WordListRow> SelectedWordRows() const;
    // What a row command does, on the row's word as it was taken from the
    // list: the list may have been refilled since.
    void SearchWordRow(const WordListRow& row);
    void ListWordsStartingWith(const WordListRow& row);
    void DeleteWordRows(const std::vector<WordListRow>& rows);
    void ShowWordListPopup(const std::vector<WordListRow>& rows, int firstIndex);
    // Writes a row's word into the edit box as the typed word; a search that
    // this starts takes the row's key.
    void WriteRowWord(const WordListRow& row);
    void OnLvnItemchangedWordList(wxListEvent& event);
    void OnWordListRightClick(wxListEvent& event);
    void OnConcordanceRightUp(wxMouseEvent& event);
    bool HandleSearchKey(const wxKeyEvent& event);
    void OnMenuHighlight(wxMenuEvent& event);
    void OnMenuOpen(wxMenuEvent& event);
    void OnMenuClose(wxMenuEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnPanelLeftDown(wxMouseEvent& event);
    void OnPanelMotion(wxMouseEvent& event);
    void OnPanelLeftUp(wxMouseEvent& event);
    void OnPanelLeave(wxMouseEvent& event);
    // The resize cursor inside a splitter zone, the panel's own elsewhere.
    void UpdateSplitterCursor(const wxPoint& p);
    void OnPanelCaptureLost(wxMouseCaptureLostEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    // Client size in the layout's terms: the status bar counts as part of
    // the client area.
    void LayoutClientSize(int& width, int& height) const;

    std::unique_ptr<CWxPrompt> m_ownPrompt;
    IUserPrompt* m_prompt = nullptr;

    // The rows of the word list, item by item.
    std::vector<WordListRow> m_wordRows;
    // While a row command writes the row's word into the edit box: that row.
    std::optional<WordListRow> m_rowInEdit;
    bool m_wordColumnDragged[2] = {false, false};
    // The width of the widest text shown in a timing part so far.
    int m_widestTimingText = 0;

    CWordInputService m_wordInput;
    wxWeakRef<CAnalysisFrame> m_analysisFrame;
    bool m_verticalDrag = false;
    bool m_horizontalDrag = false;
    wxPoint m_lastDragPoint;
    // Where the last layout put the splitters.
    int m_shownBorderX = kDefaultBorderX;
    int m_shownBorderY = kDefaultBorderY;
};

}  // namespace zorvia
