// Column widths of report lists from the texts they show, so that no number
// or word is cut short.
#pragma once

#include <wx/string.h>

#include <vector>

class wxListCtrl;

namespace zorvia {

// Room a report list keeps around a cell's text; a text with less room is
// cut short with an ellipsis.
inline constexpr int kListCellMargin = 12;

// The width that shows each of `texts` whole in a column of `list` (the
// column's title among them): the widest in the list's font and the cell's
// margin, never below `minimum`.
int ListColumnWidth(wxListCtrl& list, const std::vector<wxString>& texts, int minimum);

}  // namespace zorvia
