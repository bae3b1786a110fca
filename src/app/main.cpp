#include <wx/log.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/ui/concordancer_app.h"

namespace {

// Until the window is up, wx's complaints (no display) go to standard error
// in one line each: its message boxes need the display that may be missing.
// CConcordancerApp::OnInit puts wx's own log target back.
class CStartupLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString& message, const wxLogRecordInfo&) override {
        std::fprintf(stderr, "zorvia: %s\n", message.utf8_str().data());
    }
};

}  // namespace

// The command line is answered before wx starts the toolkit, so that
// --help, --version and a bad option need no display.
int main(int argc, char** argv) {
    using namespace zorvia;
    const AppCommandLine commandLine = ParseAppCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (commandLine.action) {
        case AppCommandLine::Action::Help:
            std::fputs(AppUsageText().c_str(), stdout);
            return 0;
        case AppCommandLine::Action::Version:
            std::fputs(VersionText("zorvia").c_str(), stdout);
            return 0;
        case AppCommandLine::Action::Error:
            std::fprintf(stderr, "zorvia: %s\n", commandLine.error.c_str());
            return 2;
        case AppCommandLine::Action::Run:
            break;
    }
    wxLog::SetActiveTarget(new CStartupLog);
    wxApp::SetInstance(new CConcordancerApp(commandLine));
    return wxEntry(argc, argv) == 0 ? 0 : 1;
}
