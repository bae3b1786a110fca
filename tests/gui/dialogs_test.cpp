// The progress window, the options dialog and the body pane on their own.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stockitem.h>
#include <wx/frame.h>
#include <wx/socket.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/con_settings.h"
#include "app/ui/option_dlg.h"
#include "corpus/ui/corpus_dialog_ids.h"
#include "corpus/ui/progress_dlg.h"
#include "gui/gui_support.h"
#include "html/page_frame.h"
#include "html/report_pages.h"
#include "html/ui/body_browser.h"
#include "platform/ui/toolkit_language.h"
#include "platform/ui/wx_prompt.h"
#include "platform/ui/wx_text.h"

namespace zorvia {
namespace {

using test::RunScript;
using test::WaitUntil;

// Pump returns at once; the close box only asks for the cancel, the window
// staying for the operation to end. The focus is on 中止 and stays there:
// the text takes it neither by Tab nor by a click. The bar has the toolkit's
// own height, and the window is as wide as its longest text needs.
TEST(ProgressDialog, CloseBoxOnlyCancelsFocusStaysOnCancelAndTheWindowFitsItsText) {
    auto* main = new wxFrame(nullptr, wxID_ANY, wxS("main"));
    main->Show();
    {
        CConProgressDlg progress(main);
        progress.Begin();
        EXPECT_FALSE(main->IsEnabled());
        ASSERT_TRUE(WaitUntil([&] { return progress.IsShownOnScreen(); }));
        wxWindow* cancel = progress.CancelButton();
        EXPECT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == cancel; }));
        cancel->Navigate();
        test::Pump();
        EXPECT_EQ(wxWindow::FindFocus(), cancel);
        auto* text = dynamic_cast<wxTextCtrl*>(progress.FindWindow(ID_PROGRESS_TEXT));
        ASSERT_NE(text, nullptr);
        wxUIActionSimulator mouse;
        mouse.MouseMove(text->GetScreenRect().GetPosition() + wxPoint(10, 5));
        mouse.MouseClick();
        WaitUntil([] { return false; }, 200);
        EXPECT_EQ(wxWindow::FindFocus(), cancel);

        wxWindow* bar = progress.FindWindow(ID_PROGRESS_BAR);
        EXPECT_EQ(bar->GetSize().y, bar->GetBestSize().y);
        const int widest = text->GetSizeFromTextSize(text->GetTextExtent(wxS("loading... (line : 2147483647)")).x).x;
        EXPECT_GE(text->GetSize().x, widest);
        EXPECT_LE(progress.GetClientSize().x, widest + cancel->GetSize().x + 3 * 8);

        EXPECT_TRUE(progress.Pump());  // nothing pending: go on
        progress.wxDialog::Close();
        EXPECT_FALSE(progress.Pump());
        EXPECT_FALSE(progress.Pump());
        EXPECT_TRUE(progress.IsShown());
        progress.End();
    }
    EXPECT_TRUE(main->IsEnabled());
    main->Destroy();
    test::Pump();
}

TEST(OptionDialog, ShowsTheValuesReportsTheFirstBadFieldAndStoresGoodOnes) {
    CConSettings settings;
    test::FakePrompt prompt;
    auto* dialog = new CConOptionDlg(nullptr, settings, prompt);
    dialog->Show();
    EXPECT_EQ(dialog->BodyLineField()->GetValue() + wxS(" ") + dialog->ConcordanceCountField()->GetValue() + wxS(" ") +
                  dialog->WordListCountField()->GetValue(), wxS("100 50 20"));
    EXPECT_TRUE(dialog->IncrementalCheck()->GetValue() && dialog->DetectEncodingCheck()->GetValue());
    EXPECT_EQ(FromWx(dialog->DetectEncodingCheck()->GetLabel()), u"文字コードを自動判定する（UTF-8・UTF-16）");
    // Each field has room for the largest number any of them takes.
    ASSERT_TRUE(WaitUntil([&] { return dialog->IsShownOnScreen(); }));
    test::Pump();
    for (wxTextCtrl* field : {dialog->BodyLineField(), dialog->ConcordanceCountField(), dialog->WordListCountField()}) {
        EXPECT_GE(field->GetSize().x, field->GetSizeFromTextSize(field->GetTextExtent(wxS("100000")).x).x);
        EXPECT_GE(field->GetSize().x, dialog->ConvertDialogToPixels(wxSize(31, 14)).x);
    }

    dialog->ConcordanceCountField()->SetValue(wxS("0"));
    dialog->WordListCountField()->SetValue(wxString());
    EXPECT_FALSE(dialog->OnBnClickedOk());
    EXPECT_EQ(prompt.Texts(), std::vector<std::u16string>{u"Please enter an integer between 1 and 9999."});
    test::Pump();
    EXPECT_EQ(wxWindow::FindFocus(), dialog->ConcordanceCountField());
    EXPECT_EQ(settings.concordanceLineCount.value, 50);
    dialog->ConcordanceCountField()->SetValue(wxS("9999"));
    EXPECT_FALSE(dialog->OnBnClickedOk());
    EXPECT_EQ(prompt.messages.back().text, u"Please enter an integer.");
    // Beyond 32 bits the number saturates rather than wrapping into range.
    dialog->WordListCountField()->SetValue(wxS("4294967297"));
    EXPECT_FALSE(dialog->OnBnClickedOk());
    EXPECT_EQ(prompt.messages.back().text, u"Please enter an integer between 1 and 1000.");
    dialog->WordListCountField()->SetValue(wxS("25abc"));
    dialog->BodyLineField()->SetValue(wxS("100001"));
    EXPECT_FALSE(dialog->OnBnClickedOk());
    EXPECT_EQ(prompt.messages.back().text, u"Please enter an integer between 1 and 100000.");
    EXPECT_EQ(settings.bodyLine.value, 100);

    prompt.messages.clear();
    dialog->BodyLineField()->SetValue(wxS("100000"));
    dialog->IncrementalCheck()->SetValue(false);
    dialog->DetectEncodingCheck()->SetValue(false);
    EXPECT_TRUE(dialog->OnBnClickedOk());
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ((std::vector<int>{settings.bodyLine.value, settings.concordanceLineCount.value,
                                settings.wordlistSearchCount.value}), (std::vector<int>{100000, 9999, 25}));
    EXPECT_FALSE(settings.useIncrementalSearch.value || settings.detectEncoding.value);
    dialog->Destroy();
    test::Pump();
}

// What a toolkit dialog showed, read from GTK's own widgets while it is up.
struct ShownDialog {
    ShownDialog(GtkResponseType a, GtkResponseType r1, GtkResponseType r2)
        : answer(a), firstResponse(r1), secondResponse(r2) {}
    GtkResponseType answer;  // given once the dialog is seen
    GtkResponseType firstResponse, secondResponse;
    std::vector<std::string> first, second;  // the texts of the buttons for these responses
    std::vector<std::string> labels;         // every text inside the dialog
    std::string folder;                      // where a file chooser opened
    bool seen = false;
    int polls = 0;
};

// The texts as shown, with GTK's mnemonic marks ("開く(_O)").
void CollectLabels(GtkWidget* widget, gpointer data) {
    auto* labels = static_cast<std::vector<std::string>*>(data);
    if (GTK_IS_LABEL(widget)) labels->emplace_back(gtk_label_get_label(GTK_LABEL(widget)));
    if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), &CollectLabels, data);
}

std::vector<std::string> ButtonTexts(GtkDialog* dialog, GtkResponseType response) {
    std::vector<std::string> texts;
    if (GtkWidget* button = gtk_dialog_get_widget_for_response(dialog, response)) CollectLabels(button, &texts);
    return texts;
}

// Polls from GTK's own main loop, which also runs inside a native modal
// dialog, for the shown dialog; reads it and answers it.
gboolean ReadAndAnswerDialog(gpointer data) {
    auto* shown = static_cast<ShownDialog*>(data);
    GList* windows = gtk_window_list_toplevels();
    GtkDialog* dialog = nullptr;
    for (GList* w = windows; w != nullptr; w = w->next)
        if (GTK_IS_DIALOG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data))) dialog = GTK_DIALOG(w->data);
    g_list_free(windows);
    if (dialog == nullptr) return G_SOURCE_CONTINUE;
    if (GTK_IS_FILE_CHOOSER(dialog)) {
        // The chooser knows its folder once it has started loading it.
        gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(dialog));
        if (folder != nullptr) shown->folder = folder;
        g_free(folder);
        if (folder == nullptr && ++shown->polls < 40) return G_SOURCE_CONTINUE;
    }
    shown->seen = true;
    shown->first = ButtonTexts(dialog, shown->firstResponse);
    shown->second = ButtonTexts(dialog, shown->secondResponse);
    CollectLabels(GTK_WIDGET(dialog), &shown->labels);
    gtk_dialog_response(dialog, shown->answer);
    return G_SOURCE_REMOVE;
}

bool Contains(const std::vector<std::string>& labels, const std::string& text) {
    return std::find(labels.begin(), labels.end(), text) != labels.end();
}

// The program turns the toolkit's texts Japanese at start (the test program
// does the same for every window test); the numbers keep the C locale. The
// chooser opens in the folder it is given.
TEST(ToolkitTexts, QuestionBoxAndFileChooserSpeakJapanese) {
    UseJapaneseToolkitTexts();
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::setlocale(LC_COLLATE, nullptr), "C");
    // The C library's error texts, which GTK's dialogs show, in readable
    // Japanese rather than question marks.
    EXPECT_EQ(test::W(std::strerror(ENOENT)), u"そのようなファイルやディレクトリはありません");
    // wx's own texts, as its generic dialogs show them.
    EXPECT_EQ(FromWx(wxGetStockLabel(wxID_CANCEL)), u"キャンセル (&C)");
    auto* frame = new wxFrame(nullptr, wxID_ANY, wxS("main"));
    frame->Show();
    CWxPrompt prompt(frame);

    ShownDialog question(GTK_RESPONSE_NO, GTK_RESPONSE_YES, GTK_RESPONSE_NO);
    guint poll = g_timeout_add(50, &ReadAndAnswerDialog, &question);
    EXPECT_EQ(prompt.Message(u"削除してもよろしいですか？", PromptButtons::YesNo, PromptIcon::Question),
              PromptAnswer::No);
    if (!question.seen) g_source_remove(poll);
    using Texts = std::vector<std::string>;
    EXPECT_EQ(question.first, Texts{"はい(_Y)"});
    EXPECT_EQ(question.second, Texts{"いいえ(_N)"});

    ShownDialog chooser(GTK_RESPONSE_CANCEL, GTK_RESPONSE_ACCEPT, GTK_RESPONSE_CANCEL);
    poll = g_timeout_add(50, &ReadAndAnswerDialog, &chooser);
    FileRequest request;
    request.title = u"ファイルを選択してください";
    request.filters = {{u"テキストファイル (*.txt)", u"*.txt"}};
    test::TempDir folder;
    request.initialFolder = folder.File("");
    EXPECT_FALSE(prompt.ChooseFile(request));
    if (!chooser.seen) g_source_remove(poll);
    EXPECT_EQ(chooser.first, Texts{"開く(_O)"});
    EXPECT_EQ(chooser.second, Texts{"キャンセル(_C)"});
    EXPECT_TRUE(Contains(chooser.labels, "他の場所")) << ::testing::PrintToString(chooser.labels);
    EXPECT_EQ(chooser.folder, folder.path());
    frame->Destroy();
    test::Pump();
}

// Clears the pane and writes a page in one or two pieces; true once it has
// loaded.
bool ShowPage(CBodyBrowser* body, const std::u16string& first, const std::u16string& second = {}) {
    body->ClearPage();
    body->WritePage(first);
    if (!second.empty()) body->WritePage(second);
    return WaitUntil([&] { return body->IsPageLoaded(); });
}

// A page comes in pieces; scripts of its content never run; its target is
// kept in the middle of the pane.
TEST(BodyBrowser, TwoWritesShowOnePageScriptsNeverRunAndTheTargetStaysCentred) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, wxS("body"), wxPoint(0, 0), wxSize(500, 400));
    const std::unique_ptr<wxFrame, void (*)(wxFrame*)> destroy(frame, [](wxFrame* f) {
        f->Destroy();
        test::Pump();
    });
    auto* body = new CBodyBrowser(frame, 1224);
    frame->Show();
    ASSERT_TRUE(body->HasView());
    const auto show = [&](const std::u16string& first, const std::u16string& second = {}) {
        return ShowPage(body, first, second);
    };
    const auto script = [&](const std::string& text) { return RunScript(body->View(), text); };
    const auto number = [&](const std::string& text) { return std::atof(script(text).c_str()); };

    ASSERT_TRUE(show(BuildPageHead(u"/nowhere/") + u"<p id='a'>first</p>",
                     u"<p id='b'>second</p>" + std::u16string(kPageTail)));
    EXPECT_EQ(script("document.body.innerText.replace(/\\s+/g,' ').trim()"), "first second");
    // Pages replaced before they have loaded: the last one shows.
    for (char16_t n = u'1'; n <= u'5'; ++n) {
        body->ClearPage();
        body->WritePage(u"<p id='n'>page " + std::u16string(1, n) + u"</p>");
        body->FlushPage();
    }
    ASSERT_TRUE(WaitUntil([&] { return body->IsPageLoaded(); }));
    EXPECT_EQ(script("document.getElementById('n').innerText"), "page 5");
    // A new clear starts a new page; scripts in it do not run.
    ASSERT_TRUE(show(u"<html><body><script>document.title='ran';</script>"
                     u"<img src='nope.png' onerror=\"document.title='ran-attr'\">"
                     u"<b>markup</b> is rendered</body></html>"));
    WaitUntil([] { return false; }, 300);  // the chance for an error handler to run
    EXPECT_EQ(script("document.title"), "");
    EXPECT_EQ(script("document.body.innerText.trim()"), "markup is rendered");

    std::u16string page = u"<html><body>";
    for (int i = 0; i < 300; ++i)
        page += (i == 200) ? u"<div><span id=\"theTarget\"><em>key</em></span></div>\n" : u"<div>line</div>\n";
    ASSERT_TRUE(show(page + u"</body></html>"));
    const auto centred = [&] {
        return WaitUntil([&] {
            const double top = number("document.getElementById('theTarget').offsetTop");
            return top > 0 && std::abs(number("window.scrollY") - (top - number("document.body.clientHeight") / 2)) <= 1.0;
        }, 5000);
    };
    EXPECT_TRUE(centred());
    const double before = number("window.scrollY");
    frame->SetSize(500, 250);
    EXPECT_TRUE(WaitUntil([&] { return number("window.scrollY") != before; }, 5000));
    EXPECT_TRUE(centred());
}

// The pane loads local files, the style sheet from any program directory
// among them, and nothing else. For a corpus line whose markup names other
// places a local server sees no connection, the pane keeps its page, no frame
// loads, and no link starts a program but the support page link.
TEST(BodyBrowser, LoadsLocalFilesOnlyAndStaysOnItsPage) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, wxS("body"), wxPoint(0, 0), wxSize(500, 400));
    auto* body = new CBodyBrowser(frame, 1224);
    frame->Show();
    std::vector<std::string> launched;
    body->SetBrowserLauncherForTesting([&](const wxString& url) { launched.emplace_back(url.utf8_str()); });
    const auto script = [&](const std::string& text) { return RunScript(body->View(), text); };
    const auto show = [&](const std::u16string& first, const std::u16string& second) {
        return ShowPage(body, first, second);
    };
    test::TempDir dir;
    const std::string programDir = "a#b %41 x?y \xE8\xBE\x9E\"q\"";
    std::filesystem::create_directory(dir.NativeFile(programDir));
    dir.Write(programDir + "/general.css", "h1 { color: rgb(1, 2, 3); }");
    ASSERT_TRUE(show(BuildPageHead(dir.File(programDir) + u"/"), u"<h1 id='h'>x</h1>"));
    const std::string color = "getComputedStyle(document.getElementById('h')).color";
    EXPECT_TRUE(WaitUntil([&] { return script(color) == "rgb(1, 2, 3)"; }));

    // A server on this machine that nothing may reach.
    wxIPV4address address;
    address.LocalHost();
    address.Service(0);
    wxSocketServer server(address, wxSOCKET_NOWAIT);
    ASSERT_TRUE(server.IsOk() && server.GetLocal(address));
    const std::string p = std::to_string(address.Service()), u = "http://127.0.0.1:" + p + "/";
    const std::string secret = test::N(dir.Write("s.html", "secret")), linked = test::N(dir.Write("l.html", "linked"));
    // One line of corpus text; "$" stands for the server's address.
    std::string line = "<p id=text style='font-family: remote'>corpus line</p>";
    for (std::string vector : std::vector<std::string>{
             "<a id=blank href='$blank' target=_blank>new</a> <a id=self href='$self'>same</a> ",
             "<a id=file href='file://" + linked + "'>file</a> ",
             "<a id=support href='" + test::N(kSupportPageAddress) + "' target=_blank>support</a>",
             "<form action='$form'><input id=submit type=submit></form><meta http-equiv=refresh content='0;url=$x'>",
             "<link rel=stylesheet href='$css'><link rel=prefetch href='$prefetch'><link rel=preconnect href='$'>",
             "<style>@import url($import); body { background: url($background) }</style><embed src='$embed'>",
             "<style>@font-face { font-family: remote; src: url($font) }</style><iframe src='$frame'></iframe>",
             "<img src='$img'><img srcset='$srcset 1x'><picture><source srcset='$source'><img></picture>",
             "<input type=image src='$input'><table background='$table'><tr><td>t</td></tr></table>",
             "<svg width=9 height=9><image href='$svg' width=9 height=9 /></svg><object data='$object'></object>",
             "<video src='$video' poster='$poster' autoplay></video><audio src='$audio' autoplay></audio>",
             "<video src='rtsp://127.0.0.1:" + p + "/rtsp' autoplay></video>",
             "<iframe src='file://" + secret + "'></iframe><iframe srcdoc=inline></iframe>"}) {
        for (std::size_t at; (at = vector.find('$')) != std::string::npos;) vector.replace(at, 1, u);
        line += vector;
    }
    test::TraceCapture trace;
    // A fetch of the silent server would keep the page loading.
    EXPECT_TRUE(show(BuildPageHead(u"/nowhere/") + test::W(line.c_str()), kPageTail));
    WaitUntil([] { return false; }, 1500);  // the refresh, the fetches
    for (const char* id : {"text", "blank", "self", "file", "submit", "support"}) {
        int x = -1, y = -1;
        const std::string rect = script(std::string("(function(){var r=document.getElementById('") + id +
                                        "').getBoundingClientRect();return Math.round(r.left+r.width/2)+' '+"
                                        "Math.round(r.top+r.height/2);})()");
        std::sscanf(rect.c_str(), "%d %d", &x, &y);
        wxUIActionSimulator mouse;
        mouse.MouseMove(body->View()->ClientToScreen(wxPoint(x, y)));
        WaitUntil([] { return false; }, 50);
        mouse.MouseClick();
        WaitUntil([] { return false; }, 300);
    }
    wxSocketBase* connection = server.Accept(false);
    EXPECT_EQ(connection, nullptr);
    if (connection != nullptr) connection->Destroy();
    EXPECT_TRUE(body->View()->GetCurrentURL().StartsWith(wxS("file:///?page=")));
    EXPECT_EQ(script("document.getElementById('text').innerText"), "corpus line");
    EXPECT_EQ(script("Array.from(document.querySelectorAll('iframe')).map(function(f){var d=f.contentDocument;"
                     "return d&&d.body?d.body.innerText:'';}).join('')"), "");
    // Every click arrived: the new window was refused, the rest stopped.
    EXPECT_EQ(trace.Count("body pane: new window for " + u + "blank refused"), 1);
    for (const std::string& stopped : {u + "self", "file://" + linked, u + "form?"})
        EXPECT_EQ(trace.Count("body pane: navigation to " + stopped + " stopped"), 1) << stopped;
    EXPECT_EQ(launched, std::vector<std::string>{test::N(kSupportPageAddress)});
    // The program's own NavigateTo still opens a file.
    body->NavigateTo(test::W(linked.c_str()));
    ASSERT_TRUE(WaitUntil([&] { return body->IsPageLoaded(); }));
    EXPECT_EQ(script("document.body.innerText.trim()"), "linked");
    frame->Destroy();
    test::Pump();
}

// Where no web view can be made, the pane stays empty and nothing fails.
TEST(BodyBrowser, WithoutAViewEveryOperationDoesNothing) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, wxS("body"));
    auto* body = new CBodyBrowser(frame, 1224, false);
    EXPECT_FALSE(body->HasView());
    body->ClearPage();
    body->WritePage(u"<p>x</p>");
    body->NavigateTo(u"/tmp");
    body->CenterTarget();
    EXPECT_TRUE(body->PageText().empty());
    frame->Destroy();
    test::Pump();
}

}  // namespace
}  // namespace zorvia
