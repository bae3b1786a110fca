// The progress window, the options dialog and the body pane on their own.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/con_settings.h"
#include "app/ui/option_dlg.h"
#include "concordance/concordance_search.h"
#include "concordance/hit_lookups.h"
#include "corpus/ui/progress_dlg.h"
#include "gui/gui_support.h"
#include "html/page_frame.h"
#include "html/preview_page.h"
#include "html/report_pages.h"
#include "html/ui/body_browser.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using test::RunScript;
using test::WaitUntil;

// The window tests cancel through the button and see the main window
// disabled meanwhile; here what they do not reach.
TEST(ProgressDialog, PumpReturnsAtOnceAndTheCloseBoxOnlyAsksForTheCancel) {
    auto* main = new wxFrame(nullptr, wxID_ANY, wxS("main"));
    main->Show();
    {
        CConProgressDlg progress(main);
        progress.Begin();
        EXPECT_FALSE(main->IsEnabled());
        EXPECT_TRUE(progress.Pump());  // nothing pending: go on
        // The window stays for the operation to end.
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
    EXPECT_EQ(dialog->BodyLineField()->GetValue(), wxS("100"));
    EXPECT_EQ(dialog->ConcordanceCountField()->GetValue(), wxS("50"));
    EXPECT_EQ(dialog->WordListCountField()->GetValue(), wxS("20"));
    EXPECT_TRUE(dialog->IncrementalCheck()->GetValue());

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
    EXPECT_TRUE(dialog->OnBnClickedOk());
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(settings.bodyLine.value, 100000);
    EXPECT_EQ(settings.concordanceLineCount.value, 9999);
    EXPECT_EQ(settings.wordlistSearchCount.value, 25);
    EXPECT_FALSE(settings.useIncrementalSearch.value);
    dialog->Destroy();
    test::Pump();
}

// A body pane alone in a frame.
class BodyPane : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, wxS("body"), wxPoint(0, 0), wxSize(500, 400));
        body = new CBodyBrowser(frame, 1224);
        frame->Show();
        ASSERT_TRUE(body->HasView());
    }
    void TearDown() override {
        frame->Destroy();
        test::Pump();
    }
    bool Show(const std::u16string& first, const std::u16string& second = {}) {
        body->ClearPage();
        body->WritePage(first);
        if (!second.empty()) body->WritePage(second);
        return WaitUntil([&] { return body->IsPageLoaded(); });
    }
    std::string Script(const std::string& text) { return RunScript(body->View(), text); }
    double Number(const std::string& text) { return std::atof(Script(text).c_str()); }
    // A real left click in the middle of the element with this id.
    void ClickElement(const std::string& id) {
        const std::string at = "(function(){var r=document.getElementById('" + id +
                               "').getBoundingClientRect();return Math.round(r.left+r.width/2)+' '+"
                               "Math.round(r.top+r.height/2);})()";
        int x = -1, y = -1;
        ASSERT_EQ(std::sscanf(Script(at).c_str(), "%d %d", &x, &y), 2) << id;
        ASSERT_TRUE(x >= 0 && y >= 0 && y < body->View()->GetClientSize().y) << id << " is not in view";
        wxUIActionSimulator mouse;
        mouse.MouseMove(body->View()->ClientToScreen(wxPoint(x, y)));
        WaitUntil([] { return false; }, 50);
        mouse.MouseClick();
        WaitUntil([] { return false; }, 300);
    }
    wxFrame* frame = nullptr;
    CBodyBrowser* body = nullptr;
};

// A page comes in pieces; scripts of its content never run; its target is
// kept in the middle of the pane.
TEST_F(BodyPane, TwoWritesShowOnePageScriptsNeverRunAndTheTargetStaysCentred) {
    ASSERT_TRUE(Show(BuildPageHead(u"/nowhere/") + u"<p id='a'>first</p>",
                     u"<p id='b'>second</p>" + std::u16string(kPageTail)));
    EXPECT_EQ(Script("document.body.innerText.replace(/\\s+/g,' ').trim()"), "first second");
    // Pages replaced before they have loaded: the last one shows.
    for (int i = 1; i <= 5; ++i) {
        body->ClearPage();
        body->WritePage(u"<p id='n'>page " + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u"</p>");
        body->FlushPage();
        if (i == 3) WaitUntil([] { return false; }, 5);
    }
    ASSERT_TRUE(WaitUntil([&] { return body->IsPageLoaded(); }));
    EXPECT_EQ(Script("document.getElementById('n').innerText"), "page 5");
    // A new clear starts a new page; scripts in it do not run.
    ASSERT_TRUE(Show(u"<html><body><script>document.title='ran';</script>"
                     u"<img src='nope.png' onerror=\"document.title='ran-attr'\">"
                     u"<b>markup</b> is rendered</body></html>"));
    WaitUntil([] { return false; }, 300);  // the chance for an error handler to run
    EXPECT_EQ(Script("document.title"), "");
    EXPECT_EQ(Script("document.body.innerText.trim()"), "markup is rendered");

    std::u16string page = u"<html><body>";
    for (int i = 0; i < 300; ++i)
        page += (i == 200) ? u"<div><span id=\"theTarget\"><em>key</em></span></div>\n" : u"<div>line</div>\n";
    ASSERT_TRUE(Show(page + u"</body></html>"));
    const auto centred = [&] {
        return WaitUntil([&] {
            const double top = Number("document.getElementById('theTarget').offsetTop");
            return top > 0 && std::abs(Number("window.scrollY") - (top - Number("document.body.clientHeight") / 2)) <= 1.0;
        }, 5000);
    };
    EXPECT_TRUE(centred());
    const double before = Number("window.scrollY");
    frame->SetSize(500, 250);
    EXPECT_TRUE(WaitUntil([&] { return Number("window.scrollY") != before; }, 5000));
    EXPECT_TRUE(centred());
}

// The style sheet is found whatever characters the program directory holds.
TEST_F(BodyPane, TheStyleSheetAppliesFromAnyProgramDirectory) {
    test::TempDir dir;
    for (const std::string name : {"plain", "a#b %41 x?y", "\xE8\xBE\x9E\xE6\x9B\xB8 \"q\""}) {
        const std::string programDir = dir.NativeFile(name) + "/";
        std::filesystem::create_directory(programDir);
        dir.Write(name + "/general.css", "h1 { color: rgb(1, 2, 3); }\n");
        ASSERT_TRUE(Show(BuildPageHead(test::W(programDir.c_str())) + u"<h1 id='h'>x</h1>" + kPageTail));
        EXPECT_TRUE(WaitUntil([&] { return Script("getComputedStyle(document.getElementById('h')).color") == "rgb(1, 2, 3)"; }, 3000))
            << name;
    }
}

// A corpus line whose markup names other places, previewed: a local server
// sees no connection, the pane keeps its page, no frame loads, and no link
// starts a program but the support page link, which opens the browser.
TEST_F(BodyPane, CorpusMarkupReachesNothingOutsideThePane) {
    test::LocalListener server;
    test::TempDir dir;
    const std::string secret = test::N(dir.Write("secret.html", "<p>secret-text</p>"));
    const std::string linked = test::N(dir.Write("linked.html", "<p>linked</p>"));
    std::vector<std::string> launched;
    body->SetBrowserLauncherForTesting([&](const wxString& url) { launched.push_back(std::string(url.utf8_str())); });
    const std::string u = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
    const std::string line =
        "vectors <p id=text style='font-family: remote'>corpus line</p>"
        "<p><a id=blank href='" + u + "blank' target=_blank>new window</a> <a id=self href='" + u + "self'>same</a> "
        "<a id=file href='file://" + linked + "'>file</a> <a id=support href='" + test::N(kSupportPageAddress) +
        "' target=_blank>support</a></p><form action='" + u + "form'><input id=submit type=submit></form>"
        "<link rel=stylesheet href='" + u + "css'><link rel=prefetch href='" + u + "prefetch'>"
        "<link rel=preconnect href='" + u + "'><meta http-equiv=refresh content='0;url=" + u + "refresh'>"
        "<style>@import url(" + u + "import); body { background: url(" + u + "background) }"
        "@font-face { font-family: remote; src: url(" + u + "font) }</style>"
        "<img src='" + u + "img'><img srcset='" + u + "srcset 1x'><picture><source srcset='" + u + "source'>"
        "<img></picture><input type=image src='" + u + "input'><table background='" + u + "table'><tr><td>t"
        "</td></tr></table><svg width=9 height=9><image href='" + u + "svg' width=9 height=9 /></svg>"
        "<video src='" + u + "video' poster='" + u + "poster' autoplay></video><audio src='" + u + "audio' "
        "autoplay></audio><video src='rtsp://127.0.0.1:" + std::to_string(server.Port()) + "/rtsp' autoplay></video>"
        "<iframe id=remote src='" + u + "frame'></iframe><iframe id=local src='file://" + secret + "'></iframe>"
        "<iframe id=inline srcdoc='<p>inline-frame</p>'></iframe><object data='" + u + "object'></object>"
        "<embed src='" + u + "embed'>";
    CCorpusDatabase db;
    test::OpenCorpus(db);
    test::AddFile(db, "/corpus/vectors.html", {line});
    ConcordanceHit hit = SearchConcordance(db, u"vectors", 1).at(0);
    CompleteHit(db, hit);
    const PreviewPage preview = BuildPreviewPage(db, hit, u"vectors", u"vectors", 100, BuildPageHead(u"/nowhere/"));
    // A fetch that reached the server would keep the page loading.
    test::TraceCapture trace;
    EXPECT_TRUE(Show(preview.firstPiece, preview.secondPiece));
    WaitUntil([] { return false; }, 1500);  // the refresh, the fetches
    for (const char* link : {"text", "blank", "self", "file", "submit", "support"}) ClickElement(link);
    WaitUntil([] { return false; }, 500);

    EXPECT_EQ(server.Accepted(), 0);
    EXPECT_TRUE(body->View()->GetCurrentURL().StartsWith(wxS("file:///?page=")));
    EXPECT_EQ(Script("document.getElementById('text').innerText"), "corpus line");
    for (const char* frameId : {"remote", "local", "inline"}) {
        EXPECT_EQ(Script(std::string("(function(){var d=document.getElementById('") + frameId +
                         "').contentDocument;return d&&d.body?d.body.innerText:'';})()"),
                  "")
            << frameId;
    }
    // Each click arrived: the new window was asked for and refused, the
    // other three navigations stopped.
    EXPECT_EQ(trace.Count("body pane: new window for " + u + "blank refused"), 1);
    for (const std::string& stopped : {u + "self", "file://" + linked, u + "form?"})
        EXPECT_EQ(trace.Count("body pane: navigation to " + stopped + " stopped"), 1) << stopped;
    EXPECT_EQ(launched, std::vector<std::string>{test::N(kSupportPageAddress)});

    // The program's own NavigateTo still opens a file.
    body->NavigateTo(test::W(linked.c_str()));
    ASSERT_TRUE(WaitUntil([&] { return body->IsPageLoaded(); }));
    EXPECT_EQ(Script("document.body.innerText.trim()"), "linked");
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
