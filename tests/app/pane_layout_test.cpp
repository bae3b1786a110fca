#include "app/pane_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorvia {
namespace {

PaneLayoutInput Input(int cx, int cy, int borderX = -1, int borderY = -1) {
    PaneLayoutInput in;
    in.clientWidth = cx;
    in.clientHeight = cy;
    in.labelWidth = 20;
    in.statusHeight = 21;
    in.statusWidth = cx;
    in.scrollBarWidth = 17;
    in.edgeWidth = 2;
    in.borderX = borderX;
    in.borderY = borderY;
    return in;
}

// The window tests check the clamps of the borders and the default panes as
// laid out; these are the parts they do not see.
TEST(PaneLayout, WordRowAndStatusPartsOfTheDefaultLayout) {
    PaneLayout out = ComputePaneLayout(Input(600, 400));
    EXPECT_EQ(out.label, (PaneRect{3, 7, 20, 0}));
    EXPECT_EQ(out.wordEdit, (PaneRect{28, 2, 514, 22}));  // ends five pixels left of the button
    EXPECT_EQ(out.searchButton, (PaneRect{547, 2, 50, 22}));

    out = ComputePaneLayout(Input(640, 430));
    EXPECT_EQ(out.bodyPane, (PaneRect{115, 205, 525, 430 - 21 - 200 - 5}));
    // Two timing parts of 55 pixels; the grip keeps the rest.
    EXPECT_EQ(std::vector<int>(out.statusPartRight, out.statusPartRight + 3), (std::vector<int>{511, 566, 621}));
    // Borders ignore the window size, so panes can have no room.
    out = ComputePaneLayout(Input(240, 260, 300, 500));
    EXPECT_LT(out.concordanceList.width, 0);
    EXPECT_LT(out.bodyPane.height, 0);
}

TEST(SplitterZones, FollowTheBordersAndExcludeRightAndBottomEdges) {
    const PaneRect v = VerticalSplitterZone(640, 430, 110);
    EXPECT_TRUE(v.Contains(110, 29) && v.Contains(114, 408));
    EXPECT_FALSE(v.Contains(115, 100) || v.Contains(112, 409) || v.Contains(112, 28));  // bottom: height - 21
    const PaneRect h = HorizontalSplitterZone(640, 430, 110, 200);
    EXPECT_TRUE(h.Contains(115, 200) && h.Contains(637, 204));
    EXPECT_FALSE(h.Contains(638, 202) || h.Contains(300, 205) || h.Contains(114, 202));  // right: width - 2
}

}  // namespace
}  // namespace zorvia
