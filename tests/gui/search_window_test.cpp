#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <string>
#include <vector>

#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "concordance/ui/concordance_list_box.h"
#include "gui/gui_support.h"
#include "html/ui/body_browser.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using test::MainWindowFixture;

// A corpus with APPLE 12 times, APPLY 3 times and a few other words.
void BuildOrchard(MainWindowFixture& f) {
    CCorpusDatabase db;
    test::OpenCorpus(db, f.dir.File("x.zorviacorpusdb"));
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i) lines.push_back("The apple tree, an apple pie.");
    lines.push_back("");
    for (int i = 0; i < 3; ++i) lines.push_back("We apply the rule.");
    test::AddFile(db, "/texts/orchard.txt", lines);
    test::AddFile(db, "/texts/b.txt", {"one two three four five"});
}

std::vector<std::u16string> WordListWords(CConcordancerDlg& w) {
    std::vector<std::u16string> words;
    for (int i = 0; i < w.m_wordList->GetItemCount(); ++i) words.push_back(w.WordListText(i));
    return words;
}

void Type(CConcordancerDlg& w, const std::u16string& text) {
    for (char16_t c : text) w.m_wordEdit->WriteText(ToWx(std::u16string(1, c)));
}

TEST(SearchWindow, TypingSearchesAsYouTypeAndFallsBackToTheMostFrequentWord) {
    MainWindowFixture f;
    BuildOrchard(f);
    CConcordancerDlg& w = f.Start();
    Type(w, u"appl");
    EXPECT_EQ(WordListWords(w), (std::vector<std::u16string>{u"apple", u"apply"}));
    EXPECT_EQ(FromWx(w.m_wordList->GetItemText(0, 1)), u"12");
    EXPECT_EQ(w.m_typedWord, u"appl");
    EXPECT_EQ(w.m_searchWord, u"apple");
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"appl");
    EXPECT_EQ(w.m_hits.size(), 12u);
    EXPECT_EQ(w.m_concordanceList->GetItemCount(), 12u);
    EXPECT_EQ(w.m_concordanceList->GetSelection(), 0);
    EXPECT_EQ(w.GetStatusPart(0), u"Ready : orchard.txt [line:1]");
    EXPECT_NE(w.GetStatusPart(2).find(u" sec"), std::u16string::npos);
    EXPECT_NE(w.m_body->PageText().find(u"<h1>orchard.txt</h1>"), std::u16string::npos);
    EXPECT_NE(w.m_body->PageText().find(u"<span id=\"theTarget\"><em>appl</em><em class=\"rest\">e</em></span>"),
              std::u16string::npos);

    // Down moves through the hits from the edit box; Up at the top does nothing.
    w.m_wordEdit->SetFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return wxWindow::FindFocus() == w.m_wordEdit; }, 3000));
    wxKeyEvent down(wxEVT_CHAR_HOOK);
    down.m_keyCode = WXK_DOWN;
    w.ProcessWindowEvent(down);
    EXPECT_EQ(w.m_concordanceList->GetSelection(), 1);
    EXPECT_EQ(w.m_bodyLine, 0);  // the second apple of line 0
    wxKeyEvent up(wxEVT_CHAR_HOOK);
    up.m_keyCode = WXK_UP;
    w.ProcessWindowEvent(up);
    w.ProcessWindowEvent(up);
    EXPECT_EQ(w.m_concordanceList->GetSelection(), 0);

    // Ctrl+Space takes the first word of the list.
    w.m_wordEdit->ChangeValue(wxS("ap"));
    wxKeyEvent ctrlSpace(wxEVT_CHAR_HOOK);
    ctrlSpace.m_keyCode = WXK_SPACE;
    ctrlSpace.m_controlDown = true;
    w.ProcessWindowEvent(ctrlSpace);
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"apple");
    EXPECT_EQ(w.m_searchWord, u"apple");
}

TEST(SearchWindow, WithIncrementalSearchOffOnlyTheButtonSearches) {
    MainWindowFixture f;
    BuildOrchard(f);
    f.dir.Write("option.ini", "[Zorvia Concordancer]\nuse-incremental-search=0\n");
    CConcordancerDlg& w = f.Start();
    Type(w, u"apply");
    EXPECT_EQ(w.m_wordList->GetItemCount(), 0);
    EXPECT_TRUE(w.m_hits.empty());
    wxCommandEvent click(wxEVT_BUTTON, ID_SEARCH_BUTTON);
    w.m_searchButton->ProcessWindowEvent(click);
    EXPECT_EQ(w.m_hits.size(), 3u);
    EXPECT_EQ(w.m_searchWord, u"apply");
}

TEST(SearchWindow, ClickingWordsSearchesThemOnceAndDoubleClickNarrowsTheList) {
    MainWindowFixture f;
    BuildOrchard(f);
    // Without incremental search a click searches the word and leaves the
    // list as it is.
    f.dir.Write("option.ini", "[Zorvia Concordancer]\nuse-incremental-search=0\n");
    CConcordancerDlg& w = f.Start();
    wxCommandEvent frequency(wxEVT_MENU, ID_FREQUENCY_TABLE);
    w.ProcessWindowEvent(frequency);
    ASSERT_GE(w.m_wordList->GetItemCount(), 3);
    EXPECT_EQ(WordListWords(w)[0], u"apple");

    // Selecting the third word searches it and shows it in the edit box.
    const std::u16string third = w.WordListText(2);
    w.m_wordList->SetItemState(2, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    test::Pump();
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), third);
    EXPECT_EQ(w.m_searchWord, third);
    EXPECT_FALSE(w.m_hits.empty());

    // The remembered index starts nothing for the same item.
    w.m_hits.clear();
    w.m_concordanceList->SetItemCount(0);
    wxListEvent again(wxEVT_LIST_ITEM_SELECTED, ID_WORD_LIST);
    again.m_itemIndex = 2;
    w.m_wordList->ProcessWindowEvent(again);
    EXPECT_TRUE(w.m_hits.empty());

    // Double-click on apple lists the words beginning with it.
    w.m_wordList->SetItemState(2, 0, wxLIST_STATE_SELECTED);
    w.m_wordList->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, ID_WORD_LIST);
    activate.m_itemIndex = 0;
    w.m_wordList->ProcessWindowEvent(activate);
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"apple");
    EXPECT_EQ(WordListWords(w), (std::vector<std::u16string>{u"apple"}));
    EXPECT_EQ(w.m_hits.size(), 12u);
}

TEST(SearchWindow, DeletingAHitAsksWithItsNumberAndRenumbersTheRest) {
    MainWindowFixture f;
    BuildOrchard(f);
    f.dir.Write("option.ini", "[Zorvia Concordancer]\nconcordance-line-count=5\n");
    CConcordancerDlg& w = f.Start();
    Type(w, u"apple");
    ASSERT_EQ(w.m_hits.size(), 5u);
    const int fourth = w.m_hits[3].wid;
    w.m_concordanceList->SetSelection(2);

    f.prompt.answers = {PromptAnswer::No};
    wxCommandEvent remove(wxEVT_MENU, ID_DELETE_HIT);
    w.ProcessWindowEvent(remove);
    EXPECT_EQ(f.prompt.messages.back().text, u"3 番を削除してもよろしいですか？");
    EXPECT_EQ(w.m_hits.size(), 5u);

    f.prompt.answers = {PromptAnswer::Yes};
    w.ProcessWindowEvent(remove);
    ASSERT_EQ(w.m_hits.size(), 4u);
    EXPECT_EQ(w.m_concordanceList->GetItemCount(), 4u);
    EXPECT_EQ(w.m_hits[2].wid, fourth);
    ASSERT_TRUE(w.m_db.Exec(u"SELECT count(*) FROM word WHERE word_upper='APPLE'"));
    EXPECT_EQ(w.m_db.GetCellInt(0, 0), 11);
}

TEST(SearchWindow, CtrlDDeletesTheSelectedWordsAfterTheQuestion) {
    MainWindowFixture f;
    BuildOrchard(f);
    f.dir.Write("option.ini", "[Zorvia Concordancer]\nuse-incremental-search=0\n");
    CConcordancerDlg& w = f.Start();
    wxCommandEvent frequency(wxEVT_MENU, ID_FREQUENCY_TABLE);
    w.ProcessWindowEvent(frequency);
    const int before = w.m_wordList->GetItemCount();
    w.m_wordList->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    w.m_wordList->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    const std::u16string first = w.WordListText(0), second = w.WordListText(1);
    w.m_wordList->SetFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return wxWindow::FindFocus() == w.m_wordList || w.m_wordList->HasFocus(); }, 3000));
    f.prompt.answers = {PromptAnswer::Yes};
    wxKeyEvent ctrlD(wxEVT_CHAR_HOOK);
    ctrlD.m_keyCode = 'D';
    ctrlD.m_controlDown = true;
    w.ProcessWindowEvent(ctrlD);
    ASSERT_EQ(f.prompt.messages.size(), 1u);
    EXPECT_EQ(f.prompt.messages[0].text, first + u"\r\n" + second + u"\r\n\nを削除してもよろしいですか？");
    EXPECT_EQ(w.m_wordList->GetItemCount(), before - 2);
    ASSERT_TRUE(w.m_db.Exec(u"SELECT count(*) FROM word WHERE word_upper='APPLE'"));
    EXPECT_EQ(w.m_db.GetCellInt(0, 0), 0);
}

TEST(SearchWindow, KeyWordIsDrawnBlueAtTheCentreOfTheItem) {
    MainWindowFixture f;
    BuildOrchard(f);
    CConcordancerDlg& w = f.Start();
    Type(w, u"apply");
    ASSERT_EQ(w.m_hits.size(), 3u);
    const int width = 600, height = 24;
    wxBitmap bitmap(width, height);
    wxMemoryDC dc(bitmap);
    dc.SetFont(w.m_concordanceList->GetFont());
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    w.m_concordanceList->OnDrawItem(dc, wxRect(0, 0, width, height), 1);
    dc.SelectObject(wxNullBitmap);
    const wxImage image = bitmap.ConvertToImage();
    int blueLeft = width, blueRight = -1;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            if (image.GetRed(x, y) < 90 && image.GetGreen(x, y) < 90 && image.GetBlue(x, y) > 200) {
                blueLeft = std::min(blueLeft, x);
                blueRight = std::max(blueRight, x);
            }
    ASSERT_LT(blueLeft, blueRight) << "no blue key word drawn";
    // The text area starts at 28; the key word sits in its middle.
    const int centre = (blueLeft + blueRight) / 2;
    EXPECT_NEAR(centre, 28 + (width - 28) / 2, 6);
}

TEST(SearchWindow, SpeedUpCommandAddsTheIndexOnlyWhenTheUserAgrees) {
    MainWindowFixture f;
    BuildOrchard(f);
    CConcordancerDlg& w = f.Start();
    auto hasIndex = [&] {
        w.m_db.Exec(u"SELECT count(*) FROM sqlite_master WHERE name='word_lid'");
        return w.m_db.GetCellInt(0, 0) == 1;
    };
    EXPECT_FALSE(hasIndex());
    f.prompt.answers = {PromptAnswer::No};
    wxCommandEvent speedUp(wxEVT_MENU, ID_SPEED_UP_SEARCH);
    w.ProcessWindowEvent(speedUp);
    EXPECT_FALSE(hasIndex());
    f.prompt.answers = {PromptAnswer::Yes};
    w.ProcessWindowEvent(speedUp);
    EXPECT_TRUE(hasIndex());
    EXPECT_NE(w.m_body->PageText().find(u"registered files"), std::u16string::npos);
}

}  // namespace
}  // namespace zorvia
