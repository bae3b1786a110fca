// The analysis window as a user drives it: the KWIC tab opened from the
// menu with the main window's word, sorted, a row previewed in the main
// window, rows copied and the table exported.
#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "analysis/ui/analysis_frame.h"
#include "analysis/ui/kwic_tab.h"
#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "concordance/ui/concordance_list_box.h"
#include "gui/gui_support.h"
#include "platform/ui/wx_text.h"

namespace zorvia {
namespace {

using test::MainWindowFixture;
using test::WaitUntil;

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
    wxTextDataObject copied;
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->GetData(copied);
    wxTheClipboard->Close();
    EXPECT_EQ(std::string(copied.GetText().utf8_str()),
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
        wxTextDataObject copied;
        if (wxTheClipboard->Open()) {
            wxTheClipboard->GetData(copied);
            wxTheClipboard->Close();
        }
        return std::string(copied.GetText().utf8_str());
    };
    w.m_wordList->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_EQ(copyFrom(w.m_wordList), "b\t3\n");
    EXPECT_EQ(copyFrom(w.m_concordanceList), "1\t/t/a.txt\t0\t\tb\t a b c, b\n");
}

}  // namespace
}  // namespace zorvia
