// The progress window, the options dialog and the body pane on their own.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include <cstdlib>
#include <memory>

#include "app/con_settings.h"
#include "app/ui/option_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "gui/gui_support.h"
#include "html/page_frame.h"
#include "html/ui/body_browser.h"
#include "platform/ui/wx_text.h"

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
    EXPECT_TRUE(dialog->DetectEncodingCheck()->GetValue());
    EXPECT_EQ(FromWx(dialog->DetectEncodingCheck()->GetLabel()), u"文字コードを自動判定する（UTF-8・UTF-16）");

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
    EXPECT_EQ(settings.bodyLine.value, 100000);
    EXPECT_EQ(settings.concordanceLineCount.value, 9999);
    EXPECT_EQ(settings.wordlistSearchCount.value, 25);
    EXPECT_FALSE(settings.useIncrementalSearch.value);
    EXPECT_FALSE(settings.detectEncoding.value);
    dialog->Destroy();
    test::Pump();
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
        body->ClearPage();
        body->WritePage(first);
        if (!second.empty()) body->WritePage(second);
        return WaitUntil([&] { return body->IsPageLoaded(); });
    };
    const auto script = [&](const std::string& text) { return RunScript(body->View(), text); };
    const auto number = [&](const std::string& text) { return std::atof(script(text).c_str()); };

    ASSERT_TRUE(show(BuildPageHead(u"/nowhere/") + u"<p id='a'>first</p>",
                     u"<p id='b'>second</p>" + std::u16string(kPageTail)));
    EXPECT_EQ(script("document.body.innerText.replace(/\\s+/g,' ').trim()"), "first second");
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
