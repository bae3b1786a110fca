// The concordance list: one item per hit, drawn as a key-word-in-context
// line. The items carry no text; what is drawn comes from the list's source,
// the window that holds the hits of the last search.
#pragma once

#include <wx/vlbox.h>

#include <cstddef>
#include <optional>

#include "concordance/kwic_item.h"

namespace zorvia {

// What the list draws from.
class IKwicItemSource {
public:
    virtual ~IKwicItemSource() = default;
    virtual std::size_t KwicItemCount() const = 0;
    // The texts of item `n`, completing its hit on the way; nothing when the
    // item draws nothing.
    virtual std::optional<KwicText> KwicItemText(std::size_t n) = 0;
    // How much of each key word the user typed (drawn in the typed colour).
    virtual int KwicTypedLength() const = 0;
};

class CConcordanceListBox : public wxVListBox {
public:
    CConcordanceListBox(wxWindow* parent, int id, IKwicItemSource* source);

    void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;

    // The width of the item number area for the current items.
    int NumberWidth(wxDC& dc) const;

private:
    IKwicItemSource* m_source;
};

}  // namespace zorvia
