#include "html/ui/body_browser.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/webview.h>

#include <cstdlib>

#include "gui/gui_support.h"
#include "html/page_frame.h"

namespace zorvia {
namespace {

using test::RunScript;
using test::WaitUntil;

class BodyBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, wxS("body"), wxPoint(0, 0), wxSize(500, 400));
        body = new CBodyBrowser(frame, 1224);
        frame->Show();
        ASSERT_TRUE(body->HasView());
        ASSERT_TRUE(WaitUntil([&] { return frame->IsShownOnScreen(); }));
    }
    void TearDown() override {
        frame->Destroy();
        test::Pump();
    }
    void ShowAndWait(const std::u16string& first, const std::u16string& second = {}) {
        body->ClearPage();
        body->WritePage(first);
        if (!second.empty()) body->WritePage(second);
        ASSERT_TRUE(WaitUntil([&] { return body->IsPageLoaded(); }));
    }
    double Number(const std::string& script) { return std::atof(RunScript(body->View(), script).c_str()); }

    wxFrame* frame = nullptr;
    CBodyBrowser* body = nullptr;
};

TEST_F(BodyBrowserTest, TwoWritesAfterOneClearShowOnePage) {
    ShowAndWait(BuildPageHead(u"/nowhere/") + u"<p id='a'>first</p>", u"<p id='b'>second</p>" + std::u16string(kPageTail));
    EXPECT_EQ(RunScript(body->View(), "document.body.innerText.replace(/\\s+/g,' ').trim()"), "first second");
    // A new clear starts a new page.
    ShowAndWait(u"<html><body>third</body></html>");
    EXPECT_EQ(RunScript(body->View(), "document.body.innerText.trim()"), "third");
}

TEST_F(BodyBrowserTest, ScriptsFromPageContentNeverRun) {
    ShowAndWait(u"<html><body><script>document.title='ran';</script>"
                u"<img src='nope.png' onerror=\"document.title='ran-attr'\">"
                u"<b>markup</b> is rendered</body></html>");
    // Give a would-be error handler the chance to run.
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(RunScript(body->View(), "document.title"), "");
    EXPECT_EQ(RunScript(body->View(), "document.getElementsByTagName('b').length"), "1");
}

TEST_F(BodyBrowserTest, TargetSitsInTheMiddleAfterLoadAndAfterResize) {
    std::u16string page = u"<html><body>";
    for (int i = 0; i < 300; ++i) {
        page += (i == 200) ? u"<div><span id=\"theTarget\"><em>key</em></span></div>\n" : u"<div>line</div>\n";
    }
    page += u"</body></html>";
    ShowAndWait(page);
    auto expectCentred = [&] {
        return WaitUntil([&] {
            const double top = Number("document.getElementById('theTarget').offsetTop");
            const double h = Number("document.body.clientHeight");
            const double y = Number("window.scrollY");
            return top > 0 && std::abs(y - (top - h / 2)) <= 1.0;
        }, 5000);
    };
    EXPECT_TRUE(expectCentred());
    const double before = Number("window.scrollY");
    frame->SetSize(500, 250);
    EXPECT_TRUE(WaitUntil([&] { return Number("window.scrollY") != before; }, 5000));
    EXPECT_TRUE(expectCentred());
}

TEST(BodyBrowserWithoutView, EveryOperationDoesNothing) {
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
