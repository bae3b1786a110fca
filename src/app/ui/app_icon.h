#pragma once

#include <wx/iconbndl.h>

namespace zorvia {

// The application icon in the sizes window managers ask for.
wxIconBundle AppIconBundle();

}  // namespace zorvia
