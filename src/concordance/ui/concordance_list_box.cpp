#include "concordance/ui/concordance_list_box.h"

#include <wx/dc.h>

#include "app/ui/concordancer_dlg.h"

namespace zorvia {

CConcordanceListBox::CConcordanceListBox(wxWindow* parent, int id, CConcordancerDlg* owner)
    : wxVListBox(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN), m_owner(owner) {}

wxCoord CConcordanceListBox::OnMeasureItem(size_t) const {
    // The height of the list's font, like an owner-drawn list box item.
    return GetCharHeight() + 2;
}

void CConcordanceListBox::OnDrawBackground(wxDC&, const wxRect&, size_t) const {
    // The item drawing fills its own background.
}

void CConcordanceListBox::OnDrawItem(wxDC&, const wxRect&, size_t) const {
    (void)m_owner;
}

}  // namespace zorvia
