#include "platform/ui/list_column_width.h"

#include <wx/dcclient.h>
#include <wx/listctrl.h>

#include <algorithm>

namespace zorvia {

int ListColumnWidth(wxListCtrl& list, const std::vector<wxString>& texts, int minimum) {
    wxClientDC dc(&list);
    dc.SetFont(list.GetFont());
    int widest = 0;
    for (const wxString& text : texts) widest = std::max(widest, dc.GetTextExtent(text).x);
    return std::max(minimum, widest + kListCellMargin);
}

}  // namespace zorvia
