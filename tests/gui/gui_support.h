#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/toplevel.h>

#include "app/con_settings.h"
#include "support/test_support.h"

class wxWebView;

namespace zorvia {
class CConcordancerDlg;
}

namespace zorvia::test {

// Processes events until `done` holds or `timeoutMs` passes; true when it
// held.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Processes what is pending now.
void Pump();
// Pump, then a few milliseconds' rest: what a wait repeats, e.g. while a
// program started by RunProgram talks to a window under test.
void PumpAndRest();

// Runs a script in the view and returns its result as text.
std::string RunScript(wxWebView* view, const std::string& script);

// A menu command, a key as the window's key hook sees it, a click on the
// button `id` inside `parent`: events as the window gets them.
void Command(wxWindow& window, int id);
void Key(wxWindow& window, int keyCode, bool control = false);
void Click(wxWindow* parent, int id);

// The top-level window of type T, or nullptr.
template <typename T>
T* FindTopLevel() {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* found = dynamic_cast<T*>(window)) return found;
    return nullptr;
}

// A main window started in a program directory of its own.
class MainWindowFixture {
public:
    MainWindowFixture();
    ~MainWindowFixture();
    // Starts the window (option.ini and corpus files may be put into the
    // directory first), on `startFile` as if named on the command line.
    // Shows it and lays it out.
    CConcordancerDlg& Start(const std::u16string& startFile = {});
    // Closes it as the close box does and waits until it is gone.
    void Close();
    // Before Start: settings lines for option.ini, a file for the corpus.
    void WriteSettings(const std::string& lines);
    void AddCorpusFile(const std::string& path, const std::vector<std::string>& lines);

    TempDir dir;
    CConSettings settings;
    FakePrompt prompt;
    CConcordancerDlg* window = nullptr;
    std::string ProgramFile(const std::string& name) const { return dir.path() + "/" + name; }
};

}  // namespace zorvia::test
