// The application object: owns the settings for the life of the process and
// opens the main window.
#pragma once

#include <wx/app.h>

#include <utility>

#include "app/command_line.h"
#include "app/con_settings.h"

namespace zorvia {

class CConcordancerApp : public wxApp {
public:
    explicit CConcordancerApp(AppCommandLine commandLine) : m_commandLine(std::move(commandLine)) {}
    bool OnInit() override;
    CConSettings& Settings() { return m_settings; }

private:
    AppCommandLine m_commandLine;
    CConSettings m_settings;
};

}  // namespace zorvia
