#include "gui/gui_support.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "app/ui/concordancer_dlg.h"
#include "corpus/ui/progress_dlg.h"
#include "platform/program_dir.h"
#include "platform/text_convert.h"

namespace zorvia::test {

void Pump() {
    CConProgressDlg::ProcessPendingEvents();
    if (wxTheApp != nullptr) wxTheApp->ProcessIdle();
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const wxLongLong end = wxGetLocalTimeMillis() + timeoutMs;
    while (!done()) {
        if (wxGetLocalTimeMillis() > end) return false;
        Pump();
        wxMilliSleep(5);
    }
    return true;
}

int RunProgram(std::vector<std::string> args, std::string* errors, int timeoutMs) {
    TempDir scratch;
    const std::string errorFile = scratch.NativeFile("stderr");
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    if (errors != nullptr) *errors = ReadFileBytes(errorFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunScript(wxWebView* view, const std::string& script) {
    wxString output;
    if (view == nullptr || !view->RunScript(wxString::FromUTF8(script), &output)) return "<script failed>";
    return std::string(output.utf8_str());
}

MainWindowFixture::MainWindowFixture() { SetProgramDirectoryForTesting(Utf8ToWide(dir.path())); }

MainWindowFixture::~MainWindowFixture() {
    if (window != nullptr) Close();
    SetProgramDirectoryForTesting(u"");
}

CConcordancerDlg& MainWindowFixture::Start() {
    window = new CConcordancerDlg(settings);
    window->SetPromptForTesting(&prompt);
    window->Show();
    WaitUntil([&] { return window->IsShownOnScreen(); }, 5000);
    Pump();
    window->LayoutPanes();
    return *window;
}

void MainWindowFixture::Close() {
    if (window == nullptr) return;
    window->Close(true);
    WaitUntil([] { return wxTopLevelWindows.empty(); }, 5000);
    window = nullptr;
}

}  // namespace zorvia::test
