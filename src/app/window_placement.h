// Where the main window opens: the stored placement, kept on the screen.
#pragma once

#include <vector>

namespace zorvia {

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// The main window's outer rectangle at start-up, from the stored one and the
// displays' rectangles (the first is the primary display). A negative stored
// x or y centres the window on the primary display. The window never opens
// larger than a display or beyond one, so it cannot be lost: it goes on the
// display of its top-left corner (else the one that holds most of it, else
// the nearest), no larger than that display, moved in as far as it reaches
// past the display's edges. A window that lies on a display keeps its place.
ScreenRect PlaceMainWindow(const ScreenRect& stored, const std::vector<ScreenRect>& displays);

}  // namespace zorvia
