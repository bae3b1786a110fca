#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "app/con_settings.h"
#include "app/ui/app_ids.h"
#include "app/ui/option_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "gui/gui_support.h"
#include "platform/ui/wx_text.h"

namespace zorvia {
namespace {

using test::FakePrompt;

TEST(ProgressDialog, PumpReportsTheCancelAndTheMainWindowIsDisabledMeanwhile) {
    auto* main = new wxFrame(nullptr, wxID_ANY, wxS("main"));
    main->Show();
    {
        CConProgressDlg progress(main);
        progress.Begin();
        EXPECT_FALSE(main->IsEnabled());
        progress.SetText(u"loading... (line : 2)");
        progress.SetPosition(1000);
        EXPECT_EQ(progress.Position(), 1000);
        progress.SetPosition(0);
        EXPECT_EQ(progress.Position(), 0);
        EXPECT_EQ(progress.Text(), u"loading... (line : 2)");
        EXPECT_TRUE(progress.Pump());  // nothing pending: returns at once, go on

        // The cancel button, pressed twice, sets the same flag.
        wxWindow* cancel = progress.FindWindow(ID_PROGRESS_CANCEL);
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(FromWx(cancel->GetLabel()), u"中止(&C)");
        for (int i = 0; i < 2; ++i) {
            wxCommandEvent click(wxEVT_BUTTON, ID_PROGRESS_CANCEL);
            click.SetEventObject(cancel);
            cancel->GetEventHandler()->ProcessEvent(click);
        }
        EXPECT_FALSE(progress.Pump());
        EXPECT_FALSE(progress.Pump());
        progress.End();
        EXPECT_TRUE(main->IsEnabled());
    }
    {
        // The close box asks for the cancel and leaves the window to the
        // operation.
        CConProgressDlg progress(main);
        progress.Begin();
        progress.wxDialog::Close();
        EXPECT_FALSE(progress.Pump());
        EXPECT_TRUE(progress.IsShown());
        progress.End();
    }
    main->Destroy();
    test::Pump();
}

class OptionDialogTest : public ::testing::Test {
protected:
    void SetUp() override { dialog = new CConOptionDlg(nullptr, settings, prompt); dialog->Show(); }
    void TearDown() override {
        dialog->Destroy();
        test::Pump();
    }
    CConSettings settings;
    FakePrompt prompt;
    CConOptionDlg* dialog = nullptr;
};

TEST_F(OptionDialogTest, ShowsTheCurrentValues) {
    EXPECT_EQ(dialog->BodyLineField()->GetValue(), wxS("100"));
    EXPECT_EQ(dialog->ConcordanceCountField()->GetValue(), wxS("50"));
    EXPECT_EQ(dialog->WordListCountField()->GetValue(), wxS("20"));
    EXPECT_TRUE(dialog->IncrementalCheck()->GetValue());
}

TEST_F(OptionDialogTest, FirstBadFieldIsReportedAndKeepsTheFocus) {
    dialog->ConcordanceCountField()->SetValue(wxS("0"));
    dialog->WordListCountField()->SetValue(wxString());
    EXPECT_FALSE(dialog->OnBnClickedOk());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, u"Please enter an integer between 1 and 9999.");
    test::Pump();
    EXPECT_EQ(wxWindow::FindFocus(), dialog->ConcordanceCountField());
    EXPECT_EQ(settings.concordanceLineCount.value, 50);

    dialog->ConcordanceCountField()->SetValue(wxS("9999"));
    EXPECT_FALSE(dialog->OnBnClickedOk());
    EXPECT_EQ(prompt.messages.back().text, u"Please enter an integer.");

    dialog->BodyLineField()->SetValue(wxS("100001"));
    EXPECT_FALSE(dialog->OnBnClickedOk());
    EXPECT_EQ(prompt.messages.back().text, u"Please enter an integer between 1 and 100000.");
    EXPECT_EQ(settings.bodyLine.value, 100);
}

TEST_F(OptionDialogTest, OkStoresTheValuesInMemory) {
    dialog->BodyLineField()->SetValue(wxS("100000"));
    dialog->ConcordanceCountField()->SetValue(wxS("3"));
    dialog->WordListCountField()->SetValue(wxS("25abc"));
    dialog->IncrementalCheck()->SetValue(false);
    EXPECT_TRUE(dialog->OnBnClickedOk());
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(settings.bodyLine.value, 100000);
    EXPECT_EQ(settings.concordanceLineCount.value, 3);
    EXPECT_EQ(settings.wordlistSearchCount.value, 25);
    EXPECT_FALSE(settings.useIncrementalSearch.value);
}

}  // namespace
}  // namespace zorvia
