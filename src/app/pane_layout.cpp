#include "app/pane_layout.h"

#include <algorithm>

namespace zorvia {

int ClampBorderX(int x) {
    if (x < 0) return kDefaultBorderX;
    if (x < kMinBorderX) return kMinBorderX;
    if (x > kMaxBorderX) return kMaxBorderX;
    return x;
}

int ClampBorderY(int y) {
    if (y < 0) return kDefaultBorderY;
    if (y < kMinBorderY) return kMinBorderY;
    if (y > kMaxBorderY) return kMaxBorderY;
    return y;
}

PaneLayout ComputePaneLayout(const PaneLayoutInput& in) {
    PaneLayout out;
    const int cx = in.clientWidth;
    const int cy = in.clientHeight;

    // Two timing parts at the right; the space after the last part stays
    // free for the size grip.
    const int w = in.statusWidth - in.scrollBarWidth - in.edgeWidth;
    const int t = in.timingPartWidth;
    out.statusPartRight[0] = w - 2 * t;
    out.statusPartRight[1] = w - t;
    out.statusPartRight[2] = w;

    out.label = {3, 7, in.labelWidth, 0};
    const int l = in.labelWidth;
    out.wordEdit = {l + 8, 2, cx - l - 66, 22};
    out.searchButton = {cx - 53, 2, 50, 22};

    const int s = in.statusHeight;
    out.borderX = ClampBorderX(in.borderX);
    out.borderY = ClampBorderY(in.borderY);
    out.shownBorderX = std::max(kMinBorderX, std::min(out.borderX, cx - kSplitterThickness - kMinPaneRoom));
    out.shownBorderY = std::max(kMinBorderY, std::min(out.borderY, cy - s - kSplitterThickness - kMinPaneRoom));
    const int x = out.shownBorderX;
    const int y = out.shownBorderY;
    out.wordList = {0, kPaneTop, x, cy - s - kPaneTop};
    out.concordanceList = {x + kSplitterThickness, kPaneTop, cx - x - kSplitterThickness, y - kPaneTop};
    out.bodyPane = {x + kSplitterThickness, y + kSplitterThickness, cx - x - kSplitterThickness,
                    cy - s - y - kSplitterThickness};
    return out;
}

PaneRect VerticalSplitterZone(int clientWidth, int clientHeight, int borderX) {
    (void)clientWidth;
    return {borderX, kPaneTop, kSplitterThickness, clientHeight - 21 - kPaneTop};
}

PaneRect HorizontalSplitterZone(int clientWidth, int clientHeight, int borderX, int borderY) {
    (void)clientHeight;
    const int left = borderX + kSplitterThickness;
    return {left, borderY, (clientWidth - 2) - left, kSplitterThickness};
}

}  // namespace zorvia
