// Searching, the word list, the hits and the report pages in the main window.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/listctrl.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "concordance/ui/concordance_list_box.h"
#include "corpus/word_summary.h"
#include "gui/gui_support.h"
#include "html/ui/body_browser.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"
#include "wordlist/word_list.h"

namespace zorvia {
namespace {

using test::Command;
using test::Key;
using Texts = std::vector<std::u16string>;

// Item `item` of the concordance list as it draws itself, 600 by 24 pixels
// on white.
wxImage DrawnItem(CConcordanceListBox& list, int item) {
    wxBitmap bitmap(600, 24);
    wxMemoryDC dc(bitmap);
    dc.SetFont(list.GetFont());
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    list.OnDrawItem(dc, wxRect(0, 0, 600, 24), item);
    dc.SelectObject(wxNullBitmap);
    return bitmap.ConvertToImage();
}

// A window on a corpus with APPLE 12 times, APPLY 3 times and a few other
// words, started with the settings lines given.
class SearchWindow : public ::testing::Test {
protected:
    CConcordancerDlg& Start(const std::string& settings = "") {
        std::vector<std::string> lines(6, "The apple tree, an apple pie.");
        lines.push_back("");
        lines.insert(lines.end(), 3, "We apply the rule.");
        f.AddCorpusFile("/texts/orchard.txt", lines);
        f.AddCorpusFile("/texts/b.txt", {"one two three four five"});
        f.WriteSettings(settings);
        return f.Start();
    }
    Texts ListedWords() {
        Texts words;
        for (int i = 0; i < f.window->m_wordList->GetItemCount(); ++i) words.push_back(f.window->WordListText(i));
        return words;
    }
    void Type(const std::u16string& text) {
        for (char16_t c : text) f.window->m_wordEdit->WriteText(ToWx(std::u16string(1, c)));
    }
    void Select(int item, bool selected = true) {
        f.window->m_wordList->SetItemState(item, selected ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    }
    bool Shows(const std::u16string& part) { return f.window->m_body->PageText().find(part) != std::u16string::npos; }
    int CountApples() { return test::QueryInt(f.window->m_db, u"SELECT count(*) FROM word WHERE word_upper='APPLE'"); }
    test::MainWindowFixture f;
};

TEST_F(SearchWindow, TypingSearchesAsYouTypeKeysMoveThroughTheHitsAndTheThirdIsDeleted) {
    CConcordancerDlg& w = Start("concordance-line-count=5\n");
    Type(u"appl");
    EXPECT_EQ(ListedWords(), (Texts{u"apple", u"apply"}));
    EXPECT_EQ(FromWx(w.m_wordList->GetItemText(0, 1)), u"12");
    EXPECT_EQ(w.m_searchWord, u"APPLE");  // the stored key of the first row
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"appl");
    EXPECT_EQ(w.m_concordanceList->GetItemCount(), 5u);
    EXPECT_EQ(w.m_concordanceList->GetSelection(), 0);
    EXPECT_EQ(w.GetStatusPart(0), u"Ready : orchard.txt [line:1]");
    EXPECT_TRUE(Shows(u"<h1>orchard.txt</h1>"));
    EXPECT_TRUE(Shows(u"<span id=\"theTarget\"><em>appl</em><em class=\"rest\">e</em></span>"));

    // Down moves through the hits from the edit box; Up at the top does nothing.
    w.m_wordEdit->SetFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return wxWindow::FindFocus() == w.m_wordEdit; }, 3000));
    Key(w, WXK_DOWN);
    EXPECT_EQ(w.m_concordanceList->GetSelection(), 1);
    EXPECT_EQ(w.m_bodyLine, 0);  // the second apple of line 0
    Key(w, WXK_UP);
    Key(w, WXK_UP);
    EXPECT_EQ(w.m_concordanceList->GetSelection(), 0);

    // Deleting the third hit asks with its number and renumbers the rest.
    const int fourth = w.m_hits[3].wid;
    w.m_concordanceList->SetSelection(2);
    f.prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    Command(w, ID_DELETE_HIT);
    EXPECT_EQ(f.prompt.Texts(), Texts{u"3 番を削除してもよろしいですか？"});
    EXPECT_EQ(w.m_hits.size(), 5u);
    Command(w, ID_DELETE_HIT);
    EXPECT_EQ(w.m_concordanceList->GetItemCount(), 4u);
    EXPECT_EQ(w.m_hits.at(2).wid, fourth);
    EXPECT_EQ(CountApples(), 11);

    // Ctrl+Space takes the first word of the list.
    w.m_wordEdit->ChangeValue(wxS("ap"));
    Key(w, WXK_SPACE, true);
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"apple");
    EXPECT_EQ(w.m_searchWord, u"APPLE");
}

// Without incremental search only the button and the word list search.
TEST_F(SearchWindow, ButtonAndWordListSearchAndTheKeyWordIsDrawnBlueInTheMiddle) {
    CConcordancerDlg& w = Start("use-incremental-search=0\n");
    Type(u"apply");
    EXPECT_EQ(w.m_wordList->GetItemCount(), 0);
    EXPECT_TRUE(w.m_hits.empty());
    wxCommandEvent click(wxEVT_BUTTON, ID_SEARCH_BUTTON);
    w.m_searchButton->ProcessWindowEvent(click);
    EXPECT_EQ(w.m_hits.size(), 3u);
    // The key word of an item is drawn blue in the middle of its text area,
    // which starts at 28.
    const wxImage image = DrawnItem(*w.m_concordanceList, 1);
    int blueLeft = 600, blueRight = -1;
    for (int x = 0; x < 600; ++x)
        for (int y = 0; y < 24; ++y)
            if (image.GetRed(x, y) < 90 && image.GetGreen(x, y) < 90 && image.GetBlue(x, y) > 200) {
                blueLeft = std::min(blueLeft, x);
                blueRight = std::max(blueRight, x);
            }
    EXPECT_LT(blueLeft, blueRight) << "no blue key word drawn";
    EXPECT_NEAR((blueLeft + blueRight) / 2, 28 + (600 - 28) / 2, 6);

    // Selecting the third word searches it and shows it in the edit box,
    // leaving the list as it is.
    Command(w, ID_FREQUENCY_TABLE);
    const Texts listed = ListedWords();
    ASSERT_GE(listed.size(), 3u);
    Select(2);
    test::Pump();
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), listed[2]);
    EXPECT_EQ(w.m_searchWord, w.WordListKey(2));
    EXPECT_FALSE(w.m_hits.empty());
    EXPECT_EQ(ListedWords(), listed);
    // The remembered index starts nothing for the same item.
    w.m_hits.clear();
    w.m_concordanceList->SetItemCount(0);
    wxListEvent again(wxEVT_LIST_ITEM_SELECTED, ID_WORD_LIST);
    again.m_itemIndex = 2;
    w.m_wordList->ProcessWindowEvent(again);
    EXPECT_TRUE(w.m_hits.empty());

    // Double-click on apple lists the words beginning with it.
    Select(2, false);
    Select(0);
    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, ID_WORD_LIST);
    activate.m_itemIndex = 0;
    w.m_wordList->ProcessWindowEvent(activate);
    test::Pump();
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"apple");
    EXPECT_EQ(ListedWords(), Texts{u"apple"});
    EXPECT_EQ(w.m_hits.size(), 12u);

    // Ctrl+D in the list deletes its selected words after the question.
    Command(w, ID_FREQUENCY_TABLE);
    Select(0);
    Select(1);
    w.m_wordList->SetFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return wxWindow::FindFocus() == w.m_wordList || w.m_wordList->HasFocus(); }, 3000));
    f.prompt.answers = {PromptAnswer::Yes};
    Key(w, 'D', true);
    EXPECT_EQ(f.prompt.Texts(), Texts{listed[0] + u"\r\n" + listed[1] + u"\r\n\nを削除してもよろしいですか？"});
    EXPECT_EQ(w.m_wordList->GetItemCount(), static_cast<int>(listed.size()) - 2);
    EXPECT_EQ(CountApples(), 0);
}

// Real right clicks on rows that are not selected while typing searches: the
// list is refilled once the click has been handled, the clicked word is
// searched, and its menu acts on that word.
TEST_F(SearchWindow, RightClicksOnUnselectedRowsSearchTheClickedWordAndItsMenuActsOnIt) {
    std::vector<std::string> lines;
    for (const char* word : {"a", "ab", "abc", "abcd", "ax", "axe", "axes", "ay", "az"})
        lines.insert(lines.end(), 12 - lines.size() / 12, word);
    f.AddCorpusFile("/texts/a.txt", lines);
    CConcordancerDlg& w = f.Start();
    wxUIActionSimulator mouse;
    for (int k = 0; k < 20; ++k) {
        w.m_wordEdit->SetValue(wxS("a"));
        test::Pump();
        const int row = 1 + (k * 5) % (w.m_wordList->GetItemCount() - 1);
        ASSERT_EQ(w.m_wordList->GetItemState(row, wxLIST_STATE_SELECTED), 0);
        const std::u16string word = w.WordListText(row), key = w.WordListKey(row);
        wxRect r;
        w.m_wordList->GetItemRect(row, r);
        mouse.MouseMove(w.m_wordList->ClientToScreen(r.GetPosition() + wxPoint(8, r.height / 2)));
        test::WaitUntil([] { return false; }, 30);
        // The third click lists the words beginning with the clicked one from
        // the menu; the last deletes the clicked word, after the refill.
        f.prompt.popupChoices = {k == 2 ? 1 : k == 19 ? 0 : -1};
        f.prompt.answers = {PromptAnswer::Yes};
        mouse.MouseClick(wxMOUSE_BTN_RIGHT);
        ASSERT_TRUE(test::WaitUntil([&] { return f.prompt.popupMenus.size() == static_cast<std::size_t>(k) + 1; }));
        test::Pump();
        EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), word) << k;
        Texts prefixList;
        for (const WordListRow& listed : QueryWordsStartingWith(w.m_db, key, 20)) prefixList.push_back(listed.word);
        EXPECT_EQ(ListedWords(), prefixList) << k;
    }
    EXPECT_EQ(f.prompt.Texts().back(), FromWx(w.m_wordEdit->GetValue()) + u"\r\n\nを削除してもよろしいですか？");
    EXPECT_EQ(test::QueryInt(w.m_db, u"SELECT count(DISTINCT word) FROM word"), 8);
}

// "İstanbul" (3) and "Istanbul" (1) both show as "istanbul": every command
// on the first row searches, lists and deletes its own stored word.
TEST_F(SearchWindow, EveryRowCommandActsOnTheRowsStoredWord) {
    f.AddCorpusFile("/texts/city.txt", {"\xC4\xB0stanbul \xC4\xB0stanbul \xC4\xB0stanbul", "Istanbul"});
    CConcordancerDlg& w = f.Start();
    const auto focusAndKey = [&](wxWindow* window, int key) {
        window->SetFocus();
        ASSERT_TRUE(test::WaitUntil([&] { return wxWindow::FindFocus() == window || window->HasFocus(); }, 3000));
        Key(w, key, true);
    };
    f.prompt.popupChoices = {1};  // the words beginning with it
    f.prompt.answers = {PromptAnswer::Yes};
    for (int command = 0; command < 5; ++command) {
        Command(w, ID_FREQUENCY_TABLE);
        ASSERT_EQ(ListedWords(), (Texts{u"istanbul", u"istanbul"}));
        w.m_rememberedWordIndex = command == 0 ? -1 : 0;  // only the first selection searches
        Select(0);
        if (command == 1) focusAndKey(w.m_wordEdit, WXK_SPACE);
        if (command == 2) w.OnWordsStartingWith();  // the double-click
        if (command == 3) w.OnNMRclickWordList();
        if (command == 4) focusAndKey(w.m_wordList, 'D');
        test::Pump();
        if (command == 4) {
            EXPECT_EQ(test::QueryRows(w.m_db, u"SELECT word FROM word"), Texts{u"Istanbul"});
            break;
        }
        EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"istanbul") << command;
        EXPECT_EQ(w.m_hits.size(), 3u) << command;
        EXPECT_EQ(FromWx(w.m_wordList->GetItemText(0, 1)), u"3") << command;
    }
}

TEST_F(SearchWindow, ReportPagesAndTheSpeedUpCommandReachTheBodyPane) {
    CConcordancerDlg& w = Start();
    // Start shows the version page without the slow unique-word count.
    EXPECT_TRUE(Shows(u"<h1>Zorvia Concordancer Ver.1.0.1</h1><hr>\n<div>\n <pre> registered files :          2"));
    EXPECT_FALSE(Shows(u"unique words"));
    Command(w, ID_VERSION);
    EXPECT_TRUE(Shows(u"\n unique words     : "));

    Command(w, ID_REGISTERED_FILE_LIST);  // reachable by number, with no menu item
    EXPECT_TRUE(Shows(u"<td>/texts/b.txt</td>"));
    f.prompt.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::Yes};
    Command(w, ID_COMPLETE_WORD_LIST);
    EXPECT_FALSE(Shows(u"Complete Word List"));
    Command(w, ID_COMPLETE_WORD_LIST);
    EXPECT_TRUE(Shows(u"  <tr><td>apple</td><td>12</td></tr>\n"));
    EXPECT_NE(w.GetStatusPart(1).find(u" sec"), std::u16string::npos);
    Command(w, ID_DEFRAG);
    EXPECT_TRUE(Shows(u"<h1>Defrag Result</h1>"));

    // The speed-up adds its index and summary only when the user agrees; the
    // undo takes all of it away again.
    const auto objects = [&] { return test::QueryInt(w.m_db, u"SELECT count(*) FROM sqlite_master"); };
    f.prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    Command(w, ID_SPEED_UP_SEARCH);
    EXPECT_EQ(objects(), 5);
    Command(w, ID_SPEED_UP_SEARCH);
    EXPECT_TRUE(HasWordSummary(w.m_db));
    EXPECT_TRUE(Shows(u"registered files"));
    f.prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    Command(w, ID_REMOVE_SPEED_UP);
    EXPECT_TRUE(HasWordSummary(w.m_db));
    Command(w, ID_REMOVE_SPEED_UP);
    EXPECT_EQ(objects(), 5);
}

TEST_F(SearchWindow, APokedWordIsSearchedAsIfTyped) {
    CConcordancerDlg& w = Start();
    ASSERT_TRUE(w.WordInputService().IsRunning());
    const auto poke = [&](const char* word) {
        const test::ProgramRun run = test::RunProgram({ZORVIA_POKE_TOOL, word}, test::PumpAndRest);
        EXPECT_EQ(run.status, 0) << run.err;
        return test::WaitUntil([&] { return FromWx(w.m_wordEdit->GetValue()) == test::W(word); });
    };
    ASSERT_TRUE(poke("apple"));
    test::Pump();
    EXPECT_EQ(w.m_hits.size(), 12u);
    EXPECT_EQ(w.WordListText(0), u"apple");
    // Markup in a poked word is only ever a word to search.
    ASSERT_TRUE(poke("<script>x</script>"));
    EXPECT_FALSE(Shows(u"<script>x"));
}

// Counts of five digits and Japanese words show whole in the word list and a
// column the user dragged keeps its width; the numbers of a long concordance
// list fit their area; a long time fits its status part; a selected line's
// text is dark on the light selection fill.
TEST(WindowText, NothingIsCutShortAndTheSelectionReads) {
    test::MainWindowFixture f;
    std::string line;
    for (int i = 0; i < 100; ++i) line += "コーパス ";
    f.AddCorpusFile("/texts/many.txt", std::vector<std::string>(101, line + "end"));
    f.WriteSettings("concordance-line-count=9999\n");
    CConcordancerDlg& w = f.Start();
    wxListCtrl& list = *w.m_wordList;
    Command(w, ID_FREQUENCY_TABLE);
    ASSERT_EQ(w.WordListText(0), u"コーパス");
    EXPECT_EQ(FromWx(list.GetItemText(0, 1)), u"10100");
    wxClientDC dc(&list);
    dc.SetFont(list.GetFont());
    // The list draws a text whole when it is no wider than its column less 8.
    const auto fits = [&](const wxString& text, int column) {
        return dc.GetTextExtent(text).x <= list.GetColumnWidth(column) - 8;
    };
    for (int column : {0, 1}) {
        wxListItem header;
        header.SetMask(wxLIST_MASK_TEXT);
        list.GetColumn(column, header);
        EXPECT_TRUE(fits(header.GetText(), column)) << column;
        for (int i = 0; i < list.GetItemCount(); ++i) EXPECT_TRUE(fits(list.GetItemText(i, column), column)) << i;
    }
    EXPECT_GE(list.GetColumnWidth(0), 50);
    EXPECT_GE(list.GetColumnWidth(1), 40);
    list.SetColumnWidth(0, 123);
    wxListEvent drag(wxEVT_LIST_COL_END_DRAG, ID_WORD_LIST);
    drag.m_col = 0;
    list.ProcessWindowEvent(drag);
    Command(w, ID_FREQUENCY_TABLE);
    EXPECT_EQ(list.GetColumnWidth(0), 123);

    w.m_wordEdit->SetValue(ToWx(u"コーパス"));
    ASSERT_EQ(w.m_hits.size(), 9999u);
    wxClientDC listDc(w.m_concordanceList);
    listDc.SetFont(w.m_concordanceList->GetFont());
    EXPECT_GT(w.m_concordanceList->NumberWidth(listDc), listDc.GetTextExtent(wxS("9999")).x);

    wxStatusBar* status = w.GetStatusBar();
    w.SetStatusPart(2, u"1234.56 sec");
    for (int part : {1, 2}) {
        wxRect field;
        status->GetFieldRect(part, field);
        EXPECT_GE(field.width, status->GetTextExtent(wxS("1234.56 sec")).x + 6) << part;
    }

    // Item 0 is the selected hit: its context is drawn in a dark colour.
    ASSERT_TRUE(w.m_concordanceList->IsSelected(0));
    const wxImage image = DrawnItem(*w.m_concordanceList, 0);
    int dark = 0, pale = 0;
    for (int x = 400; x < 600; ++x)  // the right context, clear of the key
        for (int y = 0; y < 24; ++y) {
            const int r = image.GetRed(x, y), g = image.GetGreen(x, y), b = image.GetBlue(x, y);
            dark += r < 90 && g < 90 && b < 90;
            pale += r > 230 && g > 230 && b > 230;
        }
    EXPECT_GT(dark, 20);
    EXPECT_EQ(pale, 0);
}

}  // namespace
}  // namespace zorvia
