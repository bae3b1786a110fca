// The application object: owns the settings for the life of the process and
// opens the main window.
#pragma once

#include <wx/app.h>

#include "app/con_settings.h"

namespace zorvia {

class CConcordancerApp : public wxApp {
public:
    bool OnInit() override;
    CConSettings& Settings() { return m_settings; }

private:
    CConSettings m_settings;
};

}  // namespace zorvia
