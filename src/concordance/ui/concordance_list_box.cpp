#include "concordance/ui/concordance_list_box.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include "platform/trace.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

wxColour ToColour(const KwicColour& c) { return wxColour(c.r, c.g, c.b); }

wxRect ToRect(const KwicRect& r) { return wxRect(wxPoint(r.left, r.top), wxPoint(r.right - 1, r.bottom - 1)); }

// One line of text in its rectangle, vertically centred and clipped to it.
void DrawClipped(wxDC& dc, const std::u16string& text, const KwicRect& r, bool alignRight) {
    if (r.right <= r.left || text.empty()) return;
    const wxString label = ToWx(text);
    const wxSize extent = dc.GetTextExtent(label);
    const int x = alignRight ? r.right - extent.x : r.left;
    const int y = r.top + ((r.bottom - r.top) - extent.y) / 2;
    wxDCClipper clip(dc, ToRect(r));
    dc.DrawText(label, x, y);
}

}  // namespace

CConcordanceListBox::CConcordanceListBox(wxWindow* parent, int id, IKwicItemSource* source)
    : wxVListBox(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN), m_source(source) {
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
}

wxCoord CConcordanceListBox::OnMeasureItem(size_t) const {
    // The height of the list's font, like an owner-drawn list box item.
    return GetCharHeight() + 2;
}

void CConcordanceListBox::OnDrawBackground(wxDC&, const wxRect&, size_t) const {
    // The item drawing fills its own background; an item that draws nothing
    // (its line is gone) stays blank, selected or not.
}

int CConcordanceListBox::NumberWidth(wxDC& dc) const {
    return KwicNumberWidth(GetItemCount(), [&dc](std::u16string_view s) { return dc.GetTextExtent(ToWx(s)).x; });
}

void CConcordanceListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
    if (m_source == nullptr) return;
    const int index = static_cast<int>(n);
    if (n >= m_source->KwicItemCount()) {
        Trace(" idx is out of range... : %d\n", index);
        return;
    }
    const auto text = m_source->KwicItemText(n);
    if (!text) return;

    const wxColour oldText = dc.GetTextForeground();
    const wxColour oldBack = dc.GetTextBackground();
    const wxColour fill = IsSelected(n) ? ToColour(kKwicSelectionFill) : GetBackgroundColour();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(fill));
    dc.DrawRectangle(rect);
    dc.SetTextBackground(fill);
    if (IsSelected(n)) {
        const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
        dc.SetTextForeground(ToColour(ReadableTextColour(
            kKwicSelectionFill, {highlight.Red(), highlight.Green(), highlight.Blue()})));
    } else {
        dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT));
    }
    if (IsCurrent(n) && HasFocus()) {
        dc.SetPen(wxPen(ToColour(kKwicFocusFrame)));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(rect);
    }

    const KwicRect item{rect.GetLeft(), rect.GetTop(), rect.GetRight() + 1, rect.GetBottom() + 1};
    const auto textWidth = [&dc](std::u16string_view s) { return dc.GetTextExtent(ToWx(s)).x; };
    const KwicLayout layout =
        LayoutKwic(index, *text, m_source->KwicTypedLength(), item, textWidth, NumberWidth(dc));
    DrawClipped(dc, layout.number, layout.numberRect, false);
    dc.SetPen(*wxBLACK_PEN);
    dc.DrawLine(layout.dividerX, item.top, layout.dividerX, item.bottom);
    DrawClipped(dc, layout.left, layout.leftRect, true);
    const wxColour contextColour = dc.GetTextForeground();
    for (const KwicKeyPart& part : layout.keyParts) {
        dc.SetTextForeground(ToColour(part.colour));
        DrawClipped(dc, part.text, part.rect, false);
    }
    dc.SetTextForeground(contextColour);
    DrawClipped(dc, layout.right, layout.rightRect, false);

    dc.SetTextForeground(oldText);
    dc.SetTextBackground(oldBack);
}

}  // namespace zorvia
