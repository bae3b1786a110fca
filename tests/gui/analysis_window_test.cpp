// The analysis window as a user drives it: the KWIC tab opened from the
// menu with the main window's word, sorted, a row previewed in the main
// window, rows copied and the table exported.
#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/dcclient.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <wx/spinctrl.h>

#include "analysis/ui/analysis_frame.h"
#include "analysis/ui/collocates_tab.h"
#include "analysis/ui/dispersion_tab.h"
#include "analysis/ui/keywords_tab.h"
#include "analysis/ui/kwic_tab.h"
#include "analysis/ui/ngrams_tab.h"
#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "concordance/ui/concordance_list_box.h"
#include "gui/gui_support.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using test::MainWindowFixture;
using test::WaitUntil;

// What the clipboard holds as text.
std::string ClipboardText() {
    wxTextDataObject copied;
    if (wxTheClipboard->Open()) {
        wxTheClipboard->GetData(copied);
        wxTheClipboard->Close();
    }
    return std::string(copied.GetText().utf8_str());
}

std::vector<std::u16string> Column(const CKwicTab& tab, int column) {
    std::vector<std::u16string> cells;
    for (std::size_t r = 0; r < tab.Table()->RowCount(); ++r) cells.push_back(tab.Table()->CellText(r, column));
    return cells;
}

TEST(AnalysisWindow, KwicTabRunsSortsPreviewsCopiesAndExports) {
    MainWindowFixture f;
    f.AddCorpusFile("/t/a.txt", {"the cat sat", "on the mat", "", "the end"});
    CConcordancerDlg& w = f.Start();
    w.m_wordEdit->SetValue(wxS("the"));  // searched as typed: the main window's word
    test::Command(w, ID_KWIC_LIST);
    CAnalysisFrame* frame = w.AnalysisFrame();
    ASSERT_NE(frame, nullptr);
    CKwicTab& tab = *frame->Kwic();
    EXPECT_EQ(FromWx(static_cast<wxTextCtrl*>(tab.FindWindow(ID_KWIC_NODE))->GetValue()), u"the");
    ASSERT_TRUE(WaitUntil([&] { return !tab.IsBusy(); }));
    EXPECT_EQ(Column(tab, CKwicTable::kRight), (std::vector<std::u16string>{u"cat sat on the mat", u"mat the end", u"end"}));
    EXPECT_EQ(tab.ProgressText().substr(0, 4), u"3 件 ");

    // Sorted by the first word on the right.
    static_cast<wxChoice*>(tab.FindWindow(ID_KWIC_SORT1))->SetSelection(7);  // R1
    test::Click(&tab, ID_KWIC_RUN);
    ASSERT_TRUE(WaitUntil([&] { return !tab.IsBusy(); }));
    EXPECT_EQ(Column(tab, CKwicTable::kLeft), (std::vector<std::u16string>{u"", u"cat sat on the mat", u"the cat sat on"}));
    EXPECT_EQ(Column(tab, CKwicTable::kLine), (std::vector<std::u16string>{u"1", u"4", u"2"}));
    EXPECT_EQ(tab.List()->GetItemCount(), 3);
    // A left context too wide for its column loses its beginning, so that
    // the words next to the node stay in view.
    tab.List()->SetColumnWidth(CKwicTable::kLeft, 70);
    const std::u16string cut = FromWx(tab.List()->OnGetItemText(1, CKwicTable::kLeft));
    EXPECT_EQ(cut.substr(0, 1), u"…");
    EXPECT_EQ(cut.substr(cut.size() - 3), u"mat");

    // Selecting a row shows its passage in the main window.
    tab.List()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_EQ(w.GetStatusPart(0), u"Ready : a.txt [line:4]");

    // Ctrl+C: the selected rows as TSV, line numbers as stored.
    tab.List()->SetItemState(2, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    tab.CopySelection();
    EXPECT_EQ(ClipboardText(),
              "7\t/t/a.txt\t3\tcat sat on the mat\tthe\tend\n5\t/t/a.txt\t1\tthe cat sat on\tthe\tmat the end\n");

    // "エクスポート..." writes the whole table in the chosen format.
    const std::string out = f.dir.NativeFile("kwic.csv");
    f.prompt.files.push_back(test::W(out.c_str()));
    test::Click(&tab, ID_TAB_EXPORT);
    ASSERT_TRUE(WaitUntil([&] { return !tab.IsBusy(); }));
    EXPECT_EQ(test::ReadFileBytes(out),
              "\xEF\xBB\xBFwid,file,line_no,left,node,right\r\n1,/t/a.txt,0,,the,cat sat on the mat\r\n"
              "7,/t/a.txt,3,cat sat on the mat,the,end\r\n5,/t/a.txt,1,the cat sat on,the,mat the end\r\n");
    EXPECT_EQ(f.prompt.fileRequests.back().filters.size(), 2u);

    // A command that writes to the corpus first stops what the window runs.
    tab.Run();
    w.StopAnalysisJobs();
    EXPECT_FALSE(frame->AnyJobRunning());
}

// The first row of a tab's table, its cells joined by '|'.
std::u16string FirstRow(const CAnalysisTab& tab) {
    std::u16string row;
    if (!tab.Table() || tab.Table()->RowCount() == 0) return row;
    for (std::size_t c = 0; c < tab.Table()->Columns().size(); ++c)
        row += (c ? u"|" : u"") + tab.Table()->CellText(0, static_cast<int>(c));
    return row;
}

void ListEvent(CAnalysisTab& tab, wxEventType type, int column, long item = -1) {
    wxListEvent event(type, tab.List()->GetId());
    event.m_col = column;
    event.m_itemIndex = item;
    event.SetEventObject(tab.List());
    tab.List()->GetEventHandler()->ProcessEvent(event);
}

// The four other tabs on a corpus of a1 n2 b3 | b4 n5 c6 in one file and
// n7 a8 in another, the main window's word n.
TEST(AnalysisTabs, EachTabRunsShowsItsRowsAndActs) {
    MainWindowFixture f;
    f.AddCorpusFile("/t/a.txt", {"a n b", "b n c"});
    f.AddCorpusFile("/t/b.txt", {"n a"});
    CConcordancerDlg& w = f.Start();
    w.m_wordEdit->SetValue(wxS("n"));

    // Dispersion: its table, D, the plot with its tooltips, an SVG export.
    test::Command(w, ID_DISPERSION);
    CDispersionTab& dispersion = *w.AnalysisFrame()->Dispersion();
    ASSERT_TRUE(WaitUntil([&] { return !dispersion.IsBusy(); }));
    EXPECT_EQ(FirstRow(dispersion), u"/t/a.txt|6|2|3333.33");
    EXPECT_EQ(dispersion.SummaryText().substr(0, 10), u"D = 0.8000");
    CDispersionPlot& plot = *dispersion.Plot();
    const int second = plot.RowAt(wxPoint(10, 6 + plot.RowHeight() + 2));
    EXPECT_EQ(second, 1);
    EXPECT_EQ(plot.TooltipText(second), u"/t/b.txt\n1 件 / 2 語");
    const std::string svg = f.dir.NativeFile("n.svg");
    f.prompt.files.push_back(test::W(svg.c_str()));
    test::Click(&dispersion, ID_TAB_EXPORT);
    ASSERT_TRUE(WaitUntil([&] { return !dispersion.IsBusy(); }));
    EXPECT_EQ(test::ReadFileBytes(svg).substr(0, 5), "<svg ");
    EXPECT_EQ(f.prompt.fileRequests.back().filters.back().pattern, u"*.svg");

    // N-grams run only when asked.
    test::Command(w, ID_NGRAMS);
    CNgramsTab& ngrams = *w.AnalysisFrame()->Ngrams();
    EXPECT_FALSE(ngrams.IsBusy());
    static_cast<wxSpinCtrl*>(ngrams.FindWindow(ID_NGRAMS_N))->SetValue(2);
    static_cast<wxSpinCtrl*>(ngrams.FindWindow(ID_NGRAMS_MIN))->SetValue(1);
    test::Click(&ngrams, ID_NGRAMS_RUN);
    ASSERT_TRUE(WaitUntil([&] { return !ngrams.IsBusy(); }));
    EXPECT_EQ(FirstRow(ngrams), u"A N|1|1");

    // Keywords refuse a file that is no corpus and compare with one that is.
    const std::u16string reference = f.dir.File("r.zorviacorpusdb");
    {
        CCorpusDatabase db;
        test::OpenCorpus(db, reference);
        test::AddFile(db, "/r.txt", {"n n x x"});
    }
    test::Command(w, ID_KEYWORDS);
    CKeywordsTab& keywords = *w.AnalysisFrame()->Keywords();
    f.prompt.files.push_back(f.dir.Write("plain.txt", "not a corpus"));
    test::Click(&keywords, ID_KEYWORDS_RUN);  // no reference yet: the chooser comes up
    EXPECT_FALSE(keywords.IsBusy());
    ASSERT_EQ(f.prompt.messages.size(), 1u);
    EXPECT_NE(f.prompt.messages[0].text.find(u"コーパスデータベースではありません"), std::u16string::npos);
    keywords.SetReference(reference);
    static_cast<wxTextCtrl*>(keywords.FindWindow(ID_KEYWORDS_MIN_LL))->ChangeValue(wxS("0"));
    test::Click(&keywords, ID_KEYWORDS_RUN);
    ASSERT_TRUE(WaitUntil([&] { return !keywords.IsBusy(); }));
    EXPECT_EQ(FirstRow(keywords), u"A|2|0|1.6219|1.0000");

    // Collocates of the word; the word column sorts A to Z first, then Z to
    // A; a double-clicked word is searched.
    test::Command(w, ID_COLLOCATES);
    CCollocatesTab& collocates = *w.AnalysisFrame()->Collocates();
    ASSERT_TRUE(WaitUntil([&] { return !collocates.IsBusy(); }));
    EXPECT_EQ(FirstRow(collocates), u"A|2|1|1|2|0.6781|0.5303|2.2672|13.6781");
    for (int click = 0; click < 2; ++click) {
        ListEvent(collocates, wxEVT_LIST_COL_CLICK, CCollocateTable::kWord);
        ASSERT_TRUE(WaitUntil([&] { return !collocates.IsBusy(); }));
    }
    EXPECT_EQ(FirstRow(collocates).substr(0, 2), u"C|");
    ListEvent(collocates, wxEVT_LIST_ITEM_ACTIVATED, -1, 0);
    EXPECT_EQ(FromWx(w.m_wordEdit->GetValue()), u"c");
}

// The columns are as wide as their widest texts (a long path too), and a
// column the user dragged keeps its width when the tab runs again.
TEST(AnalysisWindow, ColumnsFitTheirTextsAndKeepADraggedWidth) {
    MainWindowFixture f;
    f.AddCorpusFile("/texts/a folder with a rather long name for its notes/notes.txt", {"apple pie", "apple"});
    CConcordancerDlg& w = f.Start();
    w.m_wordEdit->SetValue(wxS("apple"));
    test::Command(w, ID_DISPERSION);
    CDispersionTab& tab = *w.AnalysisFrame()->Dispersion();
    ASSERT_TRUE(WaitUntil([&] { return !tab.IsBusy(); }));
    CTableListCtrl& list = *tab.List();
    wxClientDC dc(&list);
    dc.SetFont(list.GetFont());
    for (int c = 0; c < list.GetColumnCount(); ++c) {
        wxListItem header;
        header.SetMask(wxLIST_MASK_TEXT);
        list.GetColumn(c, header);
        EXPECT_LE(dc.GetTextExtent(header.GetText()).x, list.GetColumnWidth(c) - 8) << c;
        for (long r = 0; r < list.GetItemCount(); ++r)
            EXPECT_LE(dc.GetTextExtent(list.OnGetItemText(r, c)).x, list.GetColumnWidth(c) - 8) << c;
    }
    list.SetColumnWidth(0, 150);
    wxListEvent drag(wxEVT_LIST_COL_END_DRAG, list.GetId());
    drag.m_col = 0;
    list.ProcessWindowEvent(drag);
    test::Pump();
    test::Click(&tab, ID_DISPERSION_RUN);
    ASSERT_TRUE(WaitUntil([&] { return !tab.IsBusy(); }));
    EXPECT_EQ(list.GetColumnWidth(0), 150);
}

// The main window's own lists: the complete word list (not only the rows
// shown) and the concordance list, each written on a worker thread behind
// the progress window.
TEST(AnalysisWindow, MainWindowListsAreExportedWhole) {
    MainWindowFixture f;
    f.AddCorpusFile("/t/a.txt", {"b a b", "c, b"});
    f.WriteSettings("wordlist-search-count=1\n");
    CConcordancerDlg& w = f.Start();
    w.m_wordEdit->SetValue(wxS("b"));
    ASSERT_EQ(w.m_wordList->GetItemCount(), 1);

    const std::string words = f.dir.NativeFile("words.tsv");
    f.prompt.files.push_back(test::W(words.c_str()));
    test::Command(w, ID_EXPORT_WORD_LIST);
    EXPECT_EQ(test::ReadFileBytes(words), "word\tcount\nb\t3\na\t1\nc\t1\n");

    const std::string hits = f.dir.NativeFile("hits.csv");
    f.prompt.files.push_back(test::W(hits.c_str()));
    test::Command(w, ID_EXPORT_CONCORDANCE);
    EXPECT_EQ(test::ReadFileBytes(hits), "\xEF\xBB\xBFwid,file,line_no,left,node,right\r\n1,/t/a.txt,0,,b,\" a b c, b\"\r\n"
                                         "3,/t/a.txt,0,b a ,b,\" c, b\"\r\n5,/t/a.txt,1,\"b a b c, \",b,\r\n");
    EXPECT_TRUE(f.prompt.messages.empty());

    // Ctrl+C in either list copies its selected rows as TSV.
    const auto copyFrom = [&](wxWindow* list) {
        list->SetFocus();
        EXPECT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == list; }, 3000));
        test::Key(w, 'C', true);
        return ClipboardText();
    };
    w.m_wordList->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_EQ(copyFrom(w.m_wordList), "b\t3\n");
    EXPECT_EQ(copyFrom(w.m_concordanceList), "1\t/t/a.txt\t0\t\tb\t a b c, b\n");
}

}  // namespace
}  // namespace zorvia
