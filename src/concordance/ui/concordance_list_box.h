// The concordance list: one item per hit, drawn as a key-word-in-context
// line. The items carry no text; everything drawn comes from the hit list
// of the main window.
#pragma once

#include <wx/vlbox.h>

namespace zorvia {

class CConcordancerDlg;

class CConcordanceListBox : public wxVListBox {
public:
    CConcordanceListBox(wxWindow* parent, int id, CConcordancerDlg* owner);

    void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;

private:
    CConcordancerDlg* m_owner;
};

}  // namespace zorvia
