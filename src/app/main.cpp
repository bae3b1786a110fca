#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/ui/concordancer_app.h"

#if defined(__WXGTK__)
#include <gtk/gtk.h>
#endif

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
#if defined(__WXGTK__)
    // Without a display wx would stop the process with a GTK error deep in
    // its start-up; say it in one line instead. wx's own start-up later
    // finds GTK initialised and goes on.
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "zorvia: cannot open the display (is DISPLAY or WAYLAND_DISPLAY set?)\n");
        return 1;
    }
#endif
    wxApp::SetInstance(new CConcordancerApp(commandLine));
    return wxEntry(argc, argv) == 0 ? 0 : 1;
}
