#include "gui/gui_support.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include "app/ui/concordancer_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "platform/program_dir.h"
#include "platform/text_convert.h"
#include "support/corpus_builder.h"

namespace zorvia::test {

void Pump() {
    CConProgressDlg::ProcessPendingEvents();
    if (wxTheApp != nullptr) wxTheApp->ProcessIdle();
}

void PumpAndRest() {
    Pump();
    wxMilliSleep(5);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const wxLongLong end = wxGetLocalTimeMillis() + timeoutMs;
    while (!done()) {
        if (wxGetLocalTimeMillis() > end) return false;
        PumpAndRest();
    }
    return true;
}

std::string RunScript(wxWebView* view, const std::string& script) {
    wxString output;
    if (view == nullptr || !view->RunScript(wxString::FromUTF8(script), &output)) return "<script failed>";
    return std::string(output.utf8_str());
}

void Command(wxWindow& window, int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    window.ProcessWindowEvent(event);
}

void Key(wxWindow& window, int keyCode, bool control) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = keyCode;
    event.m_controlDown = control;
    window.ProcessWindowEvent(event);
}

void Click(wxWindow* parent, int id) {
    wxWindow* button = parent->FindWindow(id);
    if (button == nullptr) {
        ADD_FAILURE() << "no button " << id;
        return;
    }
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

MainWindowFixture::MainWindowFixture() { SetProgramDirectoryForTesting(Utf8ToWide(dir.path())); }

MainWindowFixture::~MainWindowFixture() {
    if (window != nullptr) Close();
    SetProgramDirectoryForTesting(u"");
}

CConcordancerDlg& MainWindowFixture::Start(const std::u16string& startFile) {
    window = new CConcordancerDlg(settings, startFile);
    window->SetPromptForTesting(&prompt);
    window->Show();
    WaitUntil([&] { return window->IsShownOnScreen(); }, 5000);
    Pump();
    window->LayoutPanes();
    return *window;
}

void MainWindowFixture::WriteSettings(const std::string& lines) {
    dir.Write("option.ini", "[Zorvia Concordancer]\n" + lines);
}

void MainWindowFixture::AddCorpusFile(const std::string& path, const std::vector<std::string>& lines) {
    CCorpusDatabase db;
    OpenCorpus(db, dir.File("x.zorviacorpusdb"));
    AddFile(db, path, lines);
}

void MainWindowFixture::Close() {
    if (window == nullptr) return;
    window->Close(true);
    WaitUntil([] { return wxTopLevelWindows.empty(); }, 5000);
    window = nullptr;
}

}  // namespace zorvia::test
