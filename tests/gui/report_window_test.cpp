#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "gui/gui_support.h"
#include "html/ui/body_browser.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using test::MainWindowFixture;

void BuildSmallCorpus(MainWindowFixture& f) {
    CCorpusDatabase db;
    test::OpenCorpus(db, f.dir.File("x.zorviacorpusdb"));
    test::AddFile(db, "/texts/a.txt", {"An apple a day.", "", "Apple pie and apple juice."});
    test::AddFile(db, "/texts/b.txt", {"The end of the apple."});
}

void Command(CConcordancerDlg& w, int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    w.ProcessWindowEvent(event);
}

TEST(ReportWindow, StartShowsTheQuickVersionPageAndAboutTheFullOne) {
    MainWindowFixture f;
    BuildSmallCorpus(f);
    CConcordancerDlg& w = f.Start();
    const std::u16string& quick = w.m_body->PageText();
    EXPECT_NE(quick.find(u"<h1>Zorvia Concordancer Ver.1.0.1</h1><hr>\n<div>\n <pre> registered files :          2"),
              std::u16string::npos);
    EXPECT_EQ(quick.find(u"unique words"), std::u16string::npos);
    EXPECT_EQ(w.GetStatusPart(0), u"Ready");
    Command(w, ID_VERSION);
    EXPECT_NE(w.m_body->PageText().find(u"\n unique words     : "), std::u16string::npos);
}

TEST(ReportWindow, FileListWordListAndDefragReachTheBodyPane) {
    MainWindowFixture f;
    BuildSmallCorpus(f);
    CConcordancerDlg& w = f.Start();
    Command(w, ID_REGISTERED_FILE_LIST);  // reachable by number, with no menu item
    EXPECT_NE(w.m_body->PageText().find(u"<h1>登録ファイル一覧</h1>"), std::u16string::npos);
    EXPECT_NE(w.m_body->PageText().find(u"<td>/texts/b.txt</td>"), std::u16string::npos);

    f.prompt.answers = {PromptAnswer::No};
    Command(w, ID_COMPLETE_WORD_LIST);
    EXPECT_EQ(w.m_body->PageText().find(u"Complete Word List"), std::u16string::npos);
    f.prompt.answers = {PromptAnswer::Yes};
    Command(w, ID_COMPLETE_WORD_LIST);
    EXPECT_NE(w.m_body->PageText().find(u"  <tr><td>apple</td><td>4</td></tr>\n"), std::u16string::npos);
    EXPECT_NE(w.GetStatusPart(1).find(u" sec"), std::u16string::npos);

    f.prompt.answers = {PromptAnswer::Yes};
    Command(w, ID_DEFRAG);
    EXPECT_NE(w.m_body->PageText().find(u"<h1>Defrag Result</h1>"), std::u16string::npos);
    EXPECT_NE(w.m_body->PageText().find(u"％減少"), std::u16string::npos);
}

TEST(ReportWindow, CommandsNeedAnOpenDatabaseButTheVersionPageDoesNot) {
    MainWindowFixture f;
    f.dir.Write("option.ini", "[Zorvia Concordancer]\n");
    CConcordancerDlg& w = f.Start();
    w.m_db.Close();
    Command(w, ID_REGISTERED_FILE_LIST);
    Command(w, ID_DEFRAG);
    ASSERT_EQ(f.prompt.messages.size(), 2u);
    EXPECT_EQ(f.prompt.messages[0].text, u"データベースが開かれていません");
    Command(w, ID_VERSION);
    EXPECT_NE(w.m_body->PageText().find(u" registered files :          0"), std::u16string::npos);
    EXPECT_EQ(f.prompt.messages.size(), 2u);
}

TEST(ReportWindow, APokedWordIsSearchedAsIfTyped) {
    MainWindowFixture f;
    BuildSmallCorpus(f);
    CConcordancerDlg& w = f.Start();
    ASSERT_TRUE(w.WordInputService().IsRunning());
    const auto poke = [](const char* word) { return test::RunProgram({ZORVIA_POKE_TOOL, word}, test::PumpAndRest); };
    test::ProgramRun run = poke("apple");
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(test::WaitUntil([&] { return FromWx(w.m_wordEdit->GetValue()) == u"apple"; }));
    test::Pump();
    EXPECT_EQ(w.m_searchWord, u"apple");
    EXPECT_EQ(w.m_hits.size(), 4u);
    EXPECT_EQ(w.WordListText(0), u"apple");

    // Markup in a poked word is only ever a word to search.
    run = poke("<script>x</script>");
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(test::WaitUntil([&] { return FromWx(w.m_wordEdit->GetValue()) == u"<script>x</script>"; }));
    EXPECT_EQ(w.m_body->PageText().find(u"<script>x"), std::u16string::npos);
}

}  // namespace
}  // namespace zorvia
