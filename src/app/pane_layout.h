// Where the panes of the main window go. The word row sits at the top, the
// word list on the left, the concordance list top right and the body pane
// bottom right; the two borders between them are user settings that the
// layout clamps and writes back.
#pragma once

namespace zorvia {

struct PaneRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Contains(int px, int py) const {  // left and top inclusive
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    bool operator==(const PaneRect&) const = default;
};

inline constexpr int kPaneTop = 29;          // below the word row
inline constexpr int kSplitterThickness = 5;  // both gaps
inline constexpr int kDefaultBorderX = 110;
inline constexpr int kDefaultBorderY = 200;
inline constexpr int kMinBorderX = 50, kMaxBorderX = 300;
inline constexpr int kMinBorderY = 70, kMaxBorderY = 500;
inline constexpr int kMinWindowWidth = 240, kMinWindowHeight = 320;
// The room a border leaves the pane beyond it (the right-hand panes, the
// body pane) when the window is too small for the stored border.
inline constexpr int kMinPaneRoom = 40;

// A negative border means "not set": the default. Otherwise the value is
// held inside its range.
int ClampBorderX(int x);
int ClampBorderY(int y);

struct PaneLayoutInput {
    int clientWidth = 0;     // cx
    int clientHeight = 0;    // cy, status bar included
    int labelWidth = 0;      // client width of the "WORD" label
    int statusHeight = 0;    // S
    int statusWidth = 0;     // client width of the status bar
    int scrollBarWidth = 0;  // width of a vertical scroll bar
    int edgeWidth = 0;       // width of a 3-D edge
    int timingPartWidth = 55;  // each of the two timing parts
    int borderX = -1;        // stored borders, unclamped
    int borderY = -1;
};

struct PaneLayout {
    PaneRect label;          // only its position matters
    PaneRect wordEdit;
    PaneRect searchButton;
    PaneRect wordList;
    PaneRect concordanceList;
    PaneRect bodyPane;
    int statusPartRight[3] = {0, 0, 0};  // right edges of the three parts
    int borderX = 0;         // held in their ranges, to be stored back
    int borderY = 0;
    // Where the splitters are: the borders above, moved in where the window
    // is too small for them, so that the panes beyond keep some room. Never
    // outside the ranges of the borders.
    int shownBorderX = 0;
    int shownBorderY = 0;
};

PaneLayout ComputePaneLayout(const PaneLayoutInput& in);

// The splitters' mouse zones for the current client size and the borders
// where they are shown.
PaneRect VerticalSplitterZone(int clientWidth, int clientHeight, int borderX);
PaneRect HorizontalSplitterZone(int clientWidth, int clientHeight, int borderX, int borderY);

}  // namespace zorvia
