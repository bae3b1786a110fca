// The corpus-building commands of the main window with the real progress
// window and file removal dialog; message boxes and choosers are scripted.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <memory>

#include "app/ui/app_ids.h"
#include "app/ui/concordancer_dlg.h"
#include "corpus/registered_files.h"
#include "corpus/ui/corpus_dialog_ids.h"
#include "corpus/ui/file_delete_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "corpus/ui/word_rule_dlg.h"
#include "corpus/word_rule.h"
#include "gui/gui_support.h"
#include "html/ui/body_browser.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using test::Click;
using test::Command;
using test::FindTopLevel;
using test::MainWindowFixture;
using Texts = std::vector<std::u16string>;

Texts RegisteredPaths(CCorpusDatabase& db) {
    return test::QueryRows(db, u"SELECT filename FROM original_file ORDER BY oid");
}

int CountWords(CCorpusDatabase& db) { return test::QueryInt(db, u"SELECT count(*) FROM word"); }

wxDropFilesEvent* DropEvent(const Texts& paths) {
    auto* files = new wxString[paths.size()];
    for (std::size_t i = 0; i < paths.size(); ++i) files[i] = ToWx(paths[i]);
    return new wxDropFilesEvent(wxEVT_DROP_FILES, static_cast<int>(paths.size()), files);
}

void Drop(CConcordancerDlg& w, const Texts& paths) {
    std::unique_ptr<wxDropFilesEvent> event(DropEvent(paths));
    w.ProcessWindowEvent(*event);
}

// Files are added by dropping them, asked for until Shift is held or Cancel
// chosen, or through the file chooser; every command needs an open corpus.
TEST(CorpusCommands, DroppedAndChosenFilesAreAddedAndEveryCommandNeedsTheCorpus) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    const Texts three = {f.dir.Write("a.txt", "alpha\n"), f.dir.Write("b b.html", "<p>beta</p>\n"),
                         f.dir.Write("c.htm", "gamma\n")};
    const auto add = [](const std::u16string& path) { return path + u" をデータベースに追加しますか？"; };
    // The messages a drop brings.
    const auto drop = [&](const Texts& paths) {
        f.prompt.messages.clear();
        Drop(w, paths);
        return f.prompt.Texts();
    };

    // Yes with Shift held: all three, one question.
    f.prompt.answers = {PromptAnswer::Yes};
    f.prompt.shiftDown = true;
    EXPECT_EQ(drop(three), Texts{add(three[0])});
    EXPECT_EQ(f.prompt.messages[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(RegisteredPaths(w.m_db), three);
    // The progress window is gone and the main window usable again.
    EXPECT_EQ(FindTopLevel<CConProgressDlg>(), nullptr);
    EXPECT_TRUE(w.IsEnabled());

    // Without Shift: Yes for the first, Cancel for the second.
    f.prompt.shiftDown = false;
    f.prompt.answers = {PromptAnswer::Yes, PromptAnswer::Cancel};
    EXPECT_EQ(drop(three), (Texts{add(three[0]), add(three[1])}));
    EXPECT_EQ(RegisteredPaths(w.m_db), (Texts{three[0], three[1], three[2], three[0]}));

    // An unknown kind is asked for all the same, then refused.
    f.prompt.answers = {PromptAnswer::Yes};
    const auto doc = f.dir.Write("notes.doc", "x\n");
    EXPECT_EQ(drop({doc}), (Texts{add(doc), u"ファイル形式が不明です。追加できません。"}));
    EXPECT_EQ(f.prompt.messages[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(RegisteredPaths(w.m_db).size(), 4u);

    // The add-file command goes through the file chooser.
    f.prompt.messages.clear();
    const auto path = f.dir.Write("added file.txt", "one two\n\nthree\n");
    f.prompt.files = {path, std::nullopt};
    Command(w, ID_ADD_FILE);
    Command(w, ID_ADD_FILE);  // cancelled: nothing
    EXPECT_EQ(RegisteredPaths(w.m_db).back(), path);
    EXPECT_EQ(CountWords(w.m_db), 7);
    EXPECT_TRUE(f.prompt.messages.empty());

    // No database: the guard, and no chooser; the version page needs none.
    w.m_db.Close();
    const int guarded[] = {ID_ADD_FILE, ID_DELETE_FILE, ID_DELETE_WORDS_IN_FILE, ID_REGISTERED_FILE_LIST, ID_DEFRAG};
    for (int id : guarded) Command(w, id);
    EXPECT_EQ(f.prompt.Texts(), Texts(std::size(guarded), u"データベースが開かれていません"));
    EXPECT_EQ(f.prompt.messages[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(f.prompt.fileRequests.size(), 2u);
    Command(w, ID_VERSION);
    EXPECT_NE(w.m_body->PageText().find(u" registered files :          0"), std::u16string::npos);
    // A drop has no guard of its own: each import runs it.
    f.prompt.answers = {PromptAnswer::Yes};
    EXPECT_EQ(drop({path}), (Texts{add(path), u"データベースが開かれていません"}));
}

TEST(CorpusCommands, NoCommandRunsInsideAnImportsTransaction) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    // A drop that arrives while the import pumps is dispatched with the main
    // window disabled behind the progress window: it is ignored.
    w.GetEventHandler()->QueueEvent(DropEvent({f.dir.Write("dropped.txt", "dropped\n")}));
    f.prompt.defaultAnswer = PromptAnswer::Yes;
    EXPECT_TRUE(w.ImportFile(f.dir.Write("big.txt", std::string(2000, '\n') + "the end\n")));
    test::Pump();
    EXPECT_TRUE(f.prompt.messages.empty());
    EXPECT_EQ(RegisteredPaths(w.m_db), Texts{f.dir.File("big.txt")});
    EXPECT_EQ(CountWords(w.m_db), 2);
    EXPECT_TRUE(w.IsEnabled());
}

// A drop of several files ends with one message for the files with bytes
// that did not decode, and the encoding of the last file in the status bar.
// The command that shows a file in the pane decodes it as its import did.
TEST(CorpusCommands, FilesAreReadInTheirOwnEncodingReportedAndShownSo) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    const std::string apple = "りんご <b>and</b> 梨";
    const Texts paths = {f.dir.Write("utf8.txt", apple + "\n"),
                         f.dir.Write("bad.txt", "ok\n\x80" + *test::Iconv("CP932", "UTF-8", apple) + "\xFF\n"),
                         f.dir.Write("page.html", *test::Iconv("CP932", "UTF-8",
                                                               "<html><head><meta charset=\"shift_jis\"></head>"
                                                               "<body><b>りんご</b></body></html>\n"))};
    f.prompt.answers = {PromptAnswer::Yes};
    f.prompt.shiftDown = true;
    Drop(w, paths);
    EXPECT_EQ(f.prompt.Texts(),
              (Texts{paths[0] + u" をデータベースに追加しますか？",
                     u"文字として読めないバイトのあるファイルがありました。そのバイトは飛ばして読み込みました。\n\n" +
                         paths[1] + u"\n  cp932：2 行、5 語、読めないバイト 2 個（最初は 2 行目）"}));
    EXPECT_EQ(w.GetStatusPart(0), u"文字コード cp932 : page.html");
    EXPECT_EQ(test::QueryInt(w.m_db, u"SELECT count(*) FROM line"), 4);

    // Each file as its import read it: text escaped, HTML rendered.
    const auto show = [&](const std::u16string& path, const std::string& script) {
        w.m_bodyFilePath = path;
        Command(w, ID_OPEN_BODY_FILE);
        EXPECT_TRUE(test::WaitUntil([&] { return w.m_body->IsPageLoaded(); }));
        return test::RunScript(w.m_body->View(), script);
    };
    EXPECT_EQ(show(paths[0], "document.body.innerText.trim()"), apple);
    EXPECT_EQ(show(paths[1], "document.body.innerText.trim()"), "ok\n" + apple);
    EXPECT_EQ(show(paths[2], "document.querySelector('b').innerText"), "りんご");
    // Detection off: the UTF-8 file is code page 932, for the import as for the pane.
    w.m_settings.detectEncoding.value = false;
    EXPECT_NE(show(paths[0], "document.body.innerText.trim()"), apple);
}

TEST(FileDeleteDialog, ListsOldestFirstAndRemovesTheFirstSelectedAfterAYes) {
    test::MainWindowFixture f;
    for (const char* name : {"/texts/b.html", "/texts/a.txt", "/texts/c.txt"}) f.AddCorpusFile(name, {"word"});
    CConcordancerDlg& w = f.Start();
    // Registered out of date order.
    ASSERT_TRUE(w.m_db.Exec(u"UPDATE original_file SET date = CASE oid WHEN 1 THEN 2000 WHEN 2 THEN 1000 ELSE 3000 END"));

    // The menu command runs the dialog modally.
    bool seen = false;
    wxTheApp->CallAfter([&] {
        auto* shown = FindTopLevel<CFileDeleteDlg>();
        seen = shown != nullptr && shown->IsModal() && shown->List()->GetItemCount() == 3;
        if (shown != nullptr) Click(shown, wxID_OK);
    });
    Command(w, ID_DELETE_FILE);
    EXPECT_TRUE(seen);

    auto* d = new CFileDeleteDlg(&w, w.m_db, &f.prompt);
    d->Show();
    wxListCtrl* list = d->List();
    auto names = [&] {
        Texts shown(list->GetItemCount());
        for (long i = 0; i < list->GetItemCount(); ++i) shown[i] = FromWx(list->GetItemText(i));
        return shown;
    };
    EXPECT_EQ(FromWx(d->GetTitle()), u"ファイルの削除");
    EXPECT_EQ(names(), (Texts{u"a.txt", u"b.html", u"c.txt"}));
    EXPECT_EQ(FromWx(list->GetItemText(1, 1)), FormatRegistrationDate(2000));

    Click(d, ID_FILE_DELETE_BUTTON);  // nothing selected: nothing asked
    EXPECT_TRUE(f.prompt.messages.empty());
    list->SetItemState(2, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    list->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    f.prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    Click(d, ID_FILE_DELETE_BUTTON);
    EXPECT_EQ(f.prompt.Texts(), Texts{u"/texts/b.html を削除してもよろしいですか？"});
    EXPECT_EQ(list->GetSelectedItemCount(), 2);
    Click(d, ID_FILE_DELETE_BUTTON);
    EXPECT_EQ(names(), (Texts{u"a.txt", u"c.txt"}));
    EXPECT_EQ(RegisteredPaths(w.m_db), (Texts{u"/texts/a.txt", u"/texts/c.txt"}));
    EXPECT_EQ(CountWords(w.m_db), 2);

    // A removal that fails keeps its item, and says why.
    ASSERT_TRUE(w.m_db.Exec(u"CREATE TRIGGER keep BEFORE DELETE ON original_file "
                            u"BEGIN SELECT RAISE(ABORT, 'kept by rule'); END"));
    f.prompt.messages.clear();
    f.prompt.answers = {PromptAnswer::Yes};
    Click(d, ID_FILE_DELETE_BUTTON);
    EXPECT_NE(f.prompt.messages.back().text.find(u"kept by rule"), std::u16string::npos);
    EXPECT_EQ(names().size(), 2u);
    EXPECT_TRUE(d->IsShown());
    d->Destroy();
}

TEST(StopWordCommand, AskedFromOneHundredThousandLinesOnAndCancelledByItsButton) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    ASSERT_TRUE(w.ImportFile(f.dir.Write("corpus.txt", "the cat\nthe dog\n")));
    const auto Run = [&](const std::string& list) {
        f.prompt.messages.clear();
        f.prompt.files = {f.dir.Write("ignore.txt", list)};
        Command(w, ID_DELETE_WORDS_IN_FILE);
    };
    Run(std::string(99'998, '\n') + "the\n");  // 99,999 lines
    ASSERT_EQ(f.prompt.fileRequests.size(), 1u);
    EXPECT_EQ(f.prompt.fileRequests[0].initialName, u"ignore.txt");
    EXPECT_EQ(f.prompt.Texts(), Texts{u"削除しました"});
    EXPECT_EQ(CountWords(w.m_db), 2);

    const Texts asked = {u"ファイルが１０万行以上あります。読み込みを続けますか？", u"中止しました"};
    f.prompt.answers = {PromptAnswer::No};
    Run(std::string(99'999, '\n') + "cat\n");  // 100,000 lines
    EXPECT_EQ(f.prompt.Texts(), asked);
    EXPECT_EQ(CountWords(w.m_db), 2);

    // Yes, but the progress window's cancel button is pressed meanwhile:
    // the first pump of the deleting pass sees it.
    f.prompt.onMessage = [](const std::u16string&) {
        if (auto* progress = FindTopLevel<CConProgressDlg>()) Click(progress, ID_PROGRESS_CANCEL);
    };
    f.prompt.answers = {PromptAnswer::Yes};
    Run(std::string(99'999, '\n') + "cat dog\n");
    EXPECT_EQ(f.prompt.Texts(), asked);
    EXPECT_EQ(CountWords(w.m_db), 2);
    EXPECT_EQ(w.GetStatusPart(0), u"loading... (line : 0)");
    EXPECT_EQ(FindTopLevel<CConProgressDlg>(), nullptr);
    EXPECT_TRUE(w.IsEnabled());
}

TEST(WordRuleWindow, SetOnAnEmptyCorpusThenJapaneseIsSearchedByMorphemesAndTheRuleLocked) {
    MainWindowFixture f;
    f.WriteSettings("mecab-dictionary=ipadic-utf8\n");
    CConcordancerDlg& w = f.Start();

    // The menu command runs the dialog modally; on the empty corpus both
    // choices are open.
    bool open = false;
    wxTheApp->CallAfter([&] {
        auto* shown = FindTopLevel<CWordRuleDlg>();
        if (shown == nullptr) return;
        open = shown->IsModal() && shown->MecabChoice()->IsEnabled() && shown->SeparatorsChoice()->GetValue() &&
               shown->ReasonText()->GetLabel().empty();
        shown->MecabChoice()->SetValue(true);
        Click(shown, wxID_OK);
    });
    Command(w, ID_WORD_RULE);
    EXPECT_TRUE(open);
    ASSERT_EQ(w.m_db.WordRule().Kind(), WordRuleKind::Mecab);

    ASSERT_TRUE(w.ImportFile(test::W(ZORVIA_SAMPLE_DIR "/japanese-morphemes.txt")));
    w.m_wordEdit->SetValue(ToWx(u"日本"));
    ASSERT_EQ(w.m_hits.size(), 4u);
    // The passage marks the four 日本 of the file, not 日本語.
    const std::u16string& page = w.m_body->PageText();
    std::size_t spans = 0;
    for (std::size_t p = page.find(u"<span"); p != std::u16string::npos; p = page.find(u"<span", p + 1)) ++spans;
    EXPECT_EQ(spans, 4u);
    EXPECT_NE(page.find(u"<span id=\"theTarget\"><em>日本</em></span>の春"), std::u16string::npos);

    // Once it holds a file, the dialog shows why the rule cannot change.
    auto* locked = new CWordRuleDlg(&w, w.m_db, w.m_settings.mecabDictionary.value, f.prompt);
    EXPECT_FALSE(locked->SeparatorsChoice()->IsEnabled());
    EXPECT_FALSE(locked->OkButton()->IsEnabled());
    EXPECT_TRUE(locked->MecabChoice()->GetValue());
    EXPECT_NE(FromWx(locked->ReasonText()->GetLabel()).find(u"ファイルが登録されている"), std::u16string::npos);
    locked->Destroy();

    // Without its dictionary the corpus opens read-only, and the user is told.
    ASSERT_TRUE(w.m_db.Exec(u"UPDATE corpus_setting SET value = '/nonexistent' WHERE key = 'mecab-dictionary'"));
    w.OpenDatabase();
    EXPECT_TRUE(test::WaitUntil([&] { return !f.prompt.messages.empty(); }));
    EXPECT_NE(f.prompt.Texts().back().find(u"読み取り専用で開きました"), std::u16string::npos);
    EXPECT_TRUE(w.m_db.IsReadOnly());
    EXPECT_FALSE(w.ImportFile(test::W(ZORVIA_SAMPLE_DIR "/japanese-morphemes.txt")));
}

}  // namespace
}  // namespace zorvia