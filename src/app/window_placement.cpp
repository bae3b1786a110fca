#include "app/window_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/pane_layout.h"

namespace zorvia {

namespace {

std::int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b) {
    const std::int64_t w = std::min<std::int64_t>(std::int64_t{a.x} + a.width, std::int64_t{b.x} + b.width) -
                           std::max(a.x, b.x);
    const std::int64_t h = std::min<std::int64_t>(std::int64_t{a.y} + a.height, std::int64_t{b.y} + b.height) -
                           std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between the rectangles; 0 when they touch or overlap.
std::int64_t Distance(const ScreenRect& a, const ScreenRect& b) {
    const auto gap = [](std::int64_t from, std::int64_t length, std::int64_t otherFrom, std::int64_t otherLength) {
        if (from + length < otherFrom) return otherFrom - (from + length);
        if (otherFrom + otherLength < from) return from - (otherFrom + otherLength);
        return std::int64_t{0};
    };
    const std::int64_t dx = gap(a.x, a.width, b.x, b.width);
    const std::int64_t dy = gap(a.y, a.height, b.y, b.height);
    return dx * dx + dy * dy;
}

bool Contains(const ScreenRect& r, int x, int y) {
    return x >= r.x && y >= r.y && x - r.x < r.width && y - r.y < r.height;
}

// The display of the window's top-left corner, where the user last grabbed
// it; else the one holding most of it; else the nearest.
const ScreenRect& DisplayFor(const ScreenRect& window, const std::vector<ScreenRect>& displays) {
    for (const ScreenRect& display : displays)
        if (Contains(display, window.x, window.y)) return display;
    const ScreenRect* best = &displays.front();
    std::int64_t bestOverlap = -1;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const ScreenRect& display : displays) {
        const std::int64_t overlap = OverlapArea(window, display);
        const std::int64_t distance = Distance(window, display);
        if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && distance < bestDistance)) {
            best = &display;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    return *best;
}

}  // namespace

ScreenRect PlaceMainWindow(const ScreenRect& stored, const std::vector<ScreenRect>& displays) {
    if (displays.empty()) return stored;
    // The window is never smaller than its minimum size, whatever is stored.
    ScreenRect window = stored;
    window.width = std::max(window.width, kMinWindowWidth);
    window.height = std::max(window.height, kMinWindowHeight);
    const auto fit = [&window](const ScreenRect& display) {
        window.width = std::max(std::min(window.width, display.width), kMinWindowWidth);
        window.height = std::max(std::min(window.height, display.height), kMinWindowHeight);
    };
    if (stored.x < 0 || stored.y < 0) {
        const ScreenRect& primary = displays.front();
        fit(primary);
        window.x = primary.x + (primary.width - window.width) / 2;
        window.y = primary.y + (primary.height - window.height) / 2;
        return window;
    }
    const ScreenRect& display = DisplayFor(window, displays);
    fit(display);
    // A display smaller than the window's minimum keeps its top-left corner.
    window.x = std::max(display.x, std::min(window.x, display.x + display.width - window.width));
    window.y = std::max(display.y, std::min(window.y, display.y + display.height - window.height));
    return window;
}

}  // namespace zorvia
