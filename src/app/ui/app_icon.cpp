#include "app/ui/app_icon.h"

#include <wx/icon.h>

#include "zorvia_icon.xpm"

namespace zorvia {

wxIconBundle AppIconBundle() {
    wxIconBundle bundle;
    bundle.AddIcon(wxIcon(zorvia_icon_16));
    bundle.AddIcon(wxIcon(zorvia_icon_32));
    bundle.AddIcon(wxIcon(zorvia_icon_48));
    return bundle;
}

}  // namespace zorvia
