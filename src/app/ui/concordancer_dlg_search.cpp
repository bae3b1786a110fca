// The main window's search: the search command with its fallbacks, the
// incremental search, the hits and their preview, the word list and the
// deletions made from the two lists.
#include <algorithm>

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "app/con_settings.h"
#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "concordance/concordance_search.h"
#include "concordance/hit_deletion.h"
#include "concordance/hit_lookups.h"
#include "concordance/ui/concordance_list_box.h"
#include "corpus/corpus_transaction.h"
#include "corpus/database_files.h"
#include "corpus/ui/progress_dlg.h"
#include "html/preview_page.h"
#include "html/ui/body_browser.h"
#include "platform/text_convert.h"
#include "platform/tick.h"
#include "platform/trace.h"
#include "platform/ui/wx_text.h"
#include "wordlist/word_deletion.h"
#include "wordlist/word_list.h"
#include "corpus/word_summary.h"

namespace zorvia {

namespace {

// The search command drives the window's own word list and concordance.
class WindowSearchTarget : public ISearchCommandTarget {
public:
    explicit WindowSearchTarget(CConcordancerDlg& window) : m_window(window) {}
    void WordListSearch(const std::u16string& prefix) override { m_window.MyWordListSearch(prefix); }
    int WordListCount() override { return m_window.m_wordList->GetItemCount(); }
    std::u16string WordListKey0() override { return m_window.WordListKey(0); }
    bool ConcordanceSearch(const std::u16string& word) override { return m_window.MyConcordanceSearch(word); }

private:
    CConcordancerDlg& m_window;
};

}  // namespace

void CConcordancerDlg::BindSearchCommands() {
    m_searchButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBnClickedSearch(); });
    m_wordEdit->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnBnClickedSearch(); });
    m_wordEdit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnEnChangeWordEdit(); });
    m_wordList->Bind(wxEVT_LIST_ITEM_SELECTED, &CConcordancerDlg::OnLvnItemchangedWordList, this);
    m_wordList->Bind(wxEVT_LIST_ITEM_DESELECTED, &CConcordancerDlg::OnLvnItemchangedWordList, this);
    // The list's own events must return before anything refills the list:
    // the list goes on using its rows after the handlers have run.
    m_wordList->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) {
        const std::vector<WordListRow> rows = SelectedWordRows();
        if (!rows.empty()) CallAfter([this, row = rows.front()] { ListWordsStartingWith(row); });
    });
    m_wordList->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, &CConcordancerDlg::OnWordListRightClick, this);
    m_wordList->Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent&) { OnNMRclickWordList(); });
    m_concordanceList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { OnLbnSelchangeConcordanceList(); });
    m_concordanceList->Bind(wxEVT_RIGHT_UP, &CConcordancerDlg::OnConcordanceRightUp, this);

    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnFrequencyTable(); }, ID_FREQUENCY_TABLE);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnDeleteWords(); }, ID_DELETE_WORDS);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnWordsStartingWith(); }, ID_WORDS_STARTING_WITH);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnDeleteHit(); }, ID_DELETE_HIT);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnSpeedUpSearch(); }, ID_SPEED_UP_SEARCH);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnRemoveSpeedUp(); }, ID_REMOVE_SPEED_UP);
    // The popup menus carry their items under the same offset as the main
    // menu.
    for (int command : {ID_DELETE_WORDS, ID_WORDS_STARTING_WITH, ID_DELETE_HIT}) {
        Bind(wxEVT_MENU, &CConcordancerDlg::OnMenuItem, this, MenuItemId(command));
    }
}

std::optional<KwicText> CConcordancerDlg::KwicItemText(std::size_t n) {
    return PrepareKwicItem(m_db, m_hits[n], m_lineCache, m_searchWord, static_cast<int>(n));
}

// --- the typed word ---------------------------------------------------------

void CConcordancerDlg::ReadTypedWord() { m_typedWord = FromWx(m_wordEdit->GetValue()); }

void CConcordancerDlg::WriteRowWord(const WordListRow& row) {
    m_typedWord = row.word;
    m_rowInEdit = row;
    WriteTypedWord();
    m_rowInEdit.reset();
}

void CConcordancerDlg::WriteTypedWord() {
    // Writing a different text raises the edit box's change notification on
    // purpose: with incremental search on, the new text is searched, as if
    // typed.
    const wxString text = ToWx(m_typedWord);
    if (m_wordEdit->GetValue() != text) m_wordEdit->SetValue(text);
}

// --- the search command -------------------------------------------------------

void CConcordancerDlg::OnBnClickedSearch() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    ReadTypedWord();
    if (m_typedWord.empty()) {
        Trace("空なので検索しないよー\n");
        SetStatusPart(1, u"");
        SetStatusPart(2, u"");
        return;
    }
    // A word that a row command put into the edit box is searched by the
    // row's stored key: its lower-case text may fold to another word.
    const bool fromRow = m_rowInEdit && m_rowInEdit->word == m_typedWord;
    WindowSearchTarget target(*this);
    RunSearchFallbacks(fromRow ? m_rowInEdit->key : m_typedWord, m_searchWord, target);
}

void CConcordancerDlg::OnEnChangeWordEdit() {
    if (!m_settings.useIncrementalSearch.value) return;
    Trace("[OnEnChangeWordEdit]\n");
    OnBnClickedSearch();
}

bool CConcordancerDlg::MyConcordanceSearch(const std::u16string& word) {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return false;
    SetStatusPart(0, u"Searching...");
    std::vector<ConcordanceHit> hits = SearchConcordance(m_db, word, m_settings.concordanceLineCount.value);
    m_hits = std::move(hits);
    m_lineCache.clear();
    m_concordanceList->SetSelection(wxNOT_FOUND);
    m_concordanceList->SetItemCount(m_hits.size());
    m_concordanceList->Refresh();
    if (!m_hits.empty()) {
        MySelectHit(0);
        ShowReadyText();
        return true;
    }
    ShowReadyText();
    return false;
}

bool CConcordancerDlg::MySelectHit(int index) {
    const int count = static_cast<int>(m_concordanceList->GetItemCount());
    if (index < 0 || index >= count) return false;
    m_concordanceList->SetSelection(index);
    int selection = m_concordanceList->GetSelection();
    if (m_hits.empty()) return false;
    if (selection < 0) {
        m_concordanceList->SetSelection(0);
        selection = 0;
    }
    if (selection >= static_cast<int>(m_hits.size())) return false;
    ConcordanceHit& hit = m_hits[static_cast<std::size_t>(selection)];
    CompleteHit(m_db, hit);
    MyPreviewFile(hit);
    return true;
}

void CConcordancerDlg::MyPreviewFile(const ConcordanceHit& hit) {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    SetStatusPart(0, u"Retrieving the contents...");
    const PreviewPage page =
        BuildPreviewPage(m_db, hit, m_searchWord, m_typedWord, m_settings.bodyLine.value, m_pageHead);
    m_bodyFilePath = page.bodyFilePath;
    m_bodyLine = page.bodyLine;
    m_body->ClearPage();
    m_body->WritePage(page.firstPiece);
    m_body->WritePage(page.secondPiece);
    ShowReadyText();
    SetStatusPart(2, FormatSeconds(page.elapsedMilliseconds));
}

void CConcordancerDlg::OnLbnSelchangeConcordanceList() {
    const int i = m_concordanceList->GetSelection();
    Trace("idx : %d\n", i);
    if (i >= 0 && i < static_cast<int>(m_hits.size())) MyPreviewFile(m_hits[static_cast<std::size_t>(i)]);
}

void CConcordancerDlg::OnConcordanceRightUp(wxMouseEvent& event) {
    Trace("r button up\n");
    const int i = m_concordanceList->VirtualHitTest(event.GetPosition().y);
    if (i == wxNOT_FOUND) {
        Trace("outside ...\n");
        event.Skip();
        return;
    }
    Trace(" maybe selected : %d\n", i);
    m_concordanceList->SetSelection(i);
    const int selection = m_concordanceList->GetSelection();
    if (selection >= 0 && selection < static_cast<int>(m_concordanceList->GetItemCount())) {
        Trace("popup idx : %d\n", selection);
        wxMenu popup;
        popup.Append(MenuItemId(ID_DELETE_HIT), ToWx(u"削除(&D)\tD"));
        PopupMenu(&popup);
    }
    event.Skip();
}

void CConcordancerDlg::OnDeleteHit() {
    const int i = m_concordanceList->GetSelection();
    Trace(" conlist-idx : %d\n", i);
    if (i < 0 || i >= static_cast<int>(m_hits.size())) return;
    const ConcordanceHit hit = m_hits[static_cast<std::size_t>(i)];
    Trace(" wid : %d\n", hit.wid);
    Trace(" lid : %d\n", hit.lid);
    if (m_prompt->Message(DeleteHitQuestion(i + 1), PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        return;
    StopAnalysisJobs();
    const DeleteHitResult result = DeleteHitFromCorpus(m_db, hit.wid);
    if (result.outcome == DeleteHitResult::Outcome::DeleteFailed) return;  // rolled back; nothing changed
    if (!result.deleted()) {
        // The hit stays listed: the corpus still holds it.
        m_prompt->Message(u"削除できませんでした。\n" + result.errorText, PromptButtons::Ok, PromptIcon::Error);
        return;
    }
    m_hits.erase(m_hits.begin() + i);
    m_concordanceList->SetItemCount(m_hits.size());
    if (m_hits.empty()) {
        m_concordanceList->SetSelection(wxNOT_FOUND);
    } else if (i >= static_cast<int>(m_hits.size())) {
        m_concordanceList->SetSelection(static_cast<int>(m_hits.size()) - 1);
    }
    m_concordanceList->Refresh();
}

// --- the word list -------------------------------------------------------------

std::u16string CConcordancerDlg::WordListText(int item) const {
    return FromWx(m_wordList->GetItemText(item, 0));
}

std::u16string CConcordancerDlg::WordListKey(int item) const {
    if (item < 0 || item >= static_cast<int>(m_wordRows.size())) return {};
    return m_wordRows[static_cast<std::size_t>(item)].key;
}

void CConcordancerDlg::FillWordList(const std::vector<WordListRow>& rows) {
    m_wordList->Freeze();
    m_wordList->DeleteAllItems();
    m_wordRows = rows;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const long item = m_wordList->InsertItem(static_cast<long>(r), ToWx(rows[r].word));
        m_wordList->SetItem(item, 1, ToWx(FormatInt(rows[r].count)));
    }
    FitWordListColumns();
    m_wordList->Thaw();
}

std::vector<WordListRow> CConcordancerDlg::SelectedWordRows() const {
    std::vector<WordListRow> rows;
    for (long i = -1; (i = m_wordList->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1;) {
        if (i < static_cast<long>(m_wordRows.size())) rows.push_back(m_wordRows[static_cast<std::size_t>(i)]);
    }
    return rows;
}

bool CConcordancerDlg::MyWordListSearch(const std::u16string& prefix) {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return false;
    const std::uint32_t t0 = GetTickCount32();
    const auto rows = QueryWordsStartingWith(m_db, prefix, m_settings.wordlistSearchCount.value);
    FillWordList(rows);
    const std::uint32_t t1 = GetTickCount32();
    SetStatusPart(1, rows.empty() ? std::u16string() : FormatSeconds(t1 - t0));
    return true;
}

void CConcordancerDlg::OnFrequencyTable() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    SetStatusPart(0, u"Searching the top frequency words...");
    const std::uint32_t t0 = GetTickCount32();
    FillWordList(QueryFrequencyTable(m_db, m_settings.wordlistSearchCount.value));
    m_rememberedWordIndex = -1;
    const std::uint32_t t1 = GetTickCount32();
    SetStatusPart(1, FormatSeconds(t1 - t0));
    ShowReadyText();
}

void CConcordancerDlg::OnLvnItemchangedWordList(wxListEvent& event) {
    // One click makes a notification for the item losing the selection and
    // one for the item gaining it: only an index other than the one that
    // last started a search starts one.
    const int i = static_cast<int>(event.GetIndex());
    if (i == m_rememberedWordIndex) return;
    m_rememberedWordIndex = i;
    if (i < 0 || i >= static_cast<int>(m_wordRows.size())) return;
    // The search refills this list, so it runs once the list has finished
    // with the event: the row's word is taken now.
    CallAfter([this, row = m_wordRows[static_cast<std::size_t>(i)]] { SearchWordRow(row); });
}

void CConcordancerDlg::SearchWordRow(const WordListRow& row) {
    // With incremental search on, writing the word searches it once already
    // and lists the words that begin with it.
    m_searchWord = row.key;
    WriteRowWord(row);
    MyConcordanceSearch(row.key);
}

int CConcordancerDlg::FirstSelectedWord() const {
    return static_cast<int>(m_wordList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void CConcordancerDlg::OnWordsStartingWith() {
    const std::vector<WordListRow> rows = SelectedWordRows();
    if (!rows.empty()) ListWordsStartingWith(rows.front());
}

void CConcordancerDlg::ListWordsStartingWith(const WordListRow& row) {
    // With incremental search on, writing the word runs the search command
    // once already.
    m_typedWord = row.word;
    m_rowInEdit = row;
    WriteTypedWord();
    OnBnClickedSearch();
    m_rowInEdit.reset();
}

void CConcordancerDlg::OnWordListRightClick(wxListEvent& event) {
    // As in file managers, a right click on an item outside the selection
    // selects that item alone before the menu opens.
    const long item = event.GetIndex();
    if (item >= 0 && !(m_wordList->GetItemState(item, wxLIST_STATE_SELECTED) & wxLIST_STATE_SELECTED)) {
        for (long i = -1; (i = m_wordList->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1;)
            m_wordList->SetItemState(i, 0, wxLIST_STATE_SELECTED);
        m_wordList->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                 wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
    event.Skip();
}

void CConcordancerDlg::OnNMRclickWordList() {
    // The menu is for the rows selected now (a right click has just selected
    // the row under the mouse); it opens once the list has finished with the
    // click and the search that the selection started has run.
    const std::vector<WordListRow> rows = SelectedWordRows();
    if (rows.empty()) return;
    CallAfter([this, rows, first = FirstSelectedWord()] { ShowWordListPopup(rows, first); });
}

void CConcordancerDlg::ShowWordListPopup(const std::vector<WordListRow>& rows, int firstIndex) {
    Trace("popup idx : %d\n", firstIndex);
    switch (m_prompt->ChooseFromPopupMenu({u"削除(&D)\tCtrl+D", u"この語で始まる単語の一覧\tDouble-Click"})) {
    case 0:
        DeleteWordRows(rows);
        break;
    case 1:
        ListWordsStartingWith(rows.front());
        break;
    default:
        break;
    }
}

void CConcordancerDlg::OnDeleteWords() {
    for (long i = -1; (i = m_wordList->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1;) {
        if (i < m_wordList->GetItemCount()) Trace("delete word idx : %ld\n", i);
    }
    DeleteWordRows(SelectedWordRows());
}

void CConcordancerDlg::DeleteWordRows(const std::vector<WordListRow>& rows) {
    Trace("delete words : %d\n", static_cast<int>(rows.size()));
    if (rows.empty()) return;
    std::vector<std::u16string> words, keys;
    for (const WordListRow& row : rows) {
        words.push_back(row.word);
        keys.push_back(row.key);
    }
    if (m_prompt->Message(BuildDeleteWordsQuestion(words), PromptButtons::YesNo, PromptIcon::Question) !=
        PromptAnswer::Yes)
        return;
    StopAnalysisJobs();
    const DeleteWordsResult result = DeleteWordsFromCorpus(m_db, keys);
    if (!result.deleted) {
        m_prompt->Message(result.errorText, PromptButtons::Ok, PromptIcon::Error);
        return;
    }
    // The items of the deleted words go, from the highest index down, found
    // by their keys: the list may have been refilled since the words were
    // taken from it.
    for (long i = static_cast<long>(m_wordRows.size()) - 1; i >= 0; --i) {
        if (std::find(keys.begin(), keys.end(), m_wordRows[static_cast<std::size_t>(i)].key) == keys.end()) continue;
        Trace(" delete list idx : %ld\n", i);
        m_wordList->DeleteItem(i);
        m_wordRows.erase(m_wordRows.begin() + i);
    }
    m_rememberedWordIndex = -1;
}

// --- keys -----------------------------------------------------------------------

bool CConcordancerDlg::HandleSearchKey(const wxKeyEvent& event) {
    wxWindow* focus = wxWindow::FindFocus();
    const int key = event.GetKeyCode();
    const bool ctrl = event.ControlDown();
    if (focus == m_wordEdit) {
        if (key == WXK_SPACE && ctrl) {
            if (!m_wordRows.empty()) {
                const WordListRow row = m_wordRows.front();
                m_searchWord = row.key;
                WriteRowWord(row);
                m_wordEdit->SetInsertionPointEnd();
                MyConcordanceSearch(m_searchWord);
            }
            return true;
        }
        if (key == WXK_UP) {
            MySelectHit(m_concordanceList->GetSelection() - 1);
            return true;
        }
        if (key == WXK_DOWN) {
            MySelectHit(m_concordanceList->GetSelection() + 1);
            return true;
        }
    }
    if (focus == m_wordList && ctrl && (key == 'D' || key == 'd')) {
        OnDeleteWords();
        return true;
    }
    return false;
}

// --- the opt-in speed-up ------------------------------------------------------------

void CConcordancerDlg::OnSpeedUpSearch() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    const std::u16string question =
        u"コーパスファイルに検索用の索引と単語の集計表を追加します。\n"
        u"ファイルが大きくなり、大きなコーパスでは数分程度かかる場合があります。\n\n"
        u"実行してもよろしいですか？";
    if (m_prompt->Message(question, PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes) return;
    StopAnalysisJobs();
    SetStatusPart(0, u"Creating the search index...");
    CConProgressDlg progress(this);
    const SpeedUpOutcome outcome = CreateSpeedUp(m_db, progress);
    if (outcome.result == SpeedUpResult::Cancelled) {
        m_prompt->Message(kCancelledMessage, PromptButtons::Ok);
    } else if (outcome.result == SpeedUpResult::Failed) {
        m_prompt->Message(FailureMessage(u"検索の高速化を行えませんでした。コーパスは変更されていません。",
                                         outcome.errorText),
                          PromptButtons::Ok, PromptIcon::Error);
    }
    MyVersionPage(true);
}

void CConcordancerDlg::OnRemoveSpeedUp() {
    if (!CheckDatabaseOpen(m_db, *m_prompt)) return;
    const std::u16string question =
        u"検索の高速化で追加した索引と単語の集計表をコーパスファイルから削除します。\n\n"
        u"実行してもよろしいですか？";
    if (m_prompt->Message(question, PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes) return;
    wxBusyCursor busy;
    const SpeedUpOutcome outcome = RemoveSpeedUp(m_db);
    if (outcome.result != SpeedUpResult::Done) {
        m_prompt->Message(FailureMessage(u"検索の高速化を解除できませんでした。コーパスは変更されていません。",
                                         outcome.errorText),
                          PromptButtons::Ok, PromptIcon::Error);
    }
    MyVersionPage(true);
}

}  // namespace zorvia
