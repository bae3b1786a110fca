#include "app/pane_layout.h"

#include <gtest/gtest.h>

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

TEST(PaneLayout, WordRowOfASixHundredPixelWindow) {
    const PaneLayout out = ComputePaneLayout(Input(600, 400));
    EXPECT_EQ(out.label, (PaneRect{3, 7, 20, 0}));
    EXPECT_EQ(out.wordEdit, (PaneRect{28, 2, 514, 22}));
    EXPECT_EQ(out.searchButton, (PaneRect{547, 2, 50, 22}));
    // The edit box ends five pixels left of the button.
    EXPECT_EQ(out.wordEdit.x + out.wordEdit.width + 5, out.searchButton.x);
}

TEST(PaneLayout, DefaultBordersGiveTheDefaultPanes) {
    const PaneLayout out = ComputePaneLayout(Input(640, 430));
    EXPECT_EQ(out.borderX, 110);
    EXPECT_EQ(out.borderY, 200);
    EXPECT_EQ(out.wordList, (PaneRect{0, 29, 110, 430 - 21 - 29}));
    EXPECT_EQ(out.concordanceList, (PaneRect{115, 29, 525, 171}));
    EXPECT_EQ(out.bodyPane, (PaneRect{115, 205, 525, 430 - 21 - 200 - 5}));
    // Two timing parts of 55 pixels; the grip keeps the rest.
    EXPECT_EQ(out.statusPartRight[2], 640 - 17 - 2);
    EXPECT_EQ(out.statusPartRight[2] - out.statusPartRight[1], 55);
    EXPECT_EQ(out.statusPartRight[1] - out.statusPartRight[0], 55);
}

TEST(PaneLayout, BordersAreClampedIntoTheirRanges) {
    EXPECT_EQ(ClampBorderX(-5), 110);
    EXPECT_EQ(ClampBorderX(0), 50);
    EXPECT_EQ(ClampBorderX(49), 50);
    EXPECT_EQ(ClampBorderX(301), 300);
    EXPECT_EQ(ClampBorderX(175), 175);
    EXPECT_EQ(ClampBorderY(-1), 200);
    EXPECT_EQ(ClampBorderY(69), 70);
    EXPECT_EQ(ClampBorderY(100000), 500);
    const PaneLayout out = ComputePaneLayout(Input(800, 600, 1000, 3));
    EXPECT_EQ(out.borderX, 300);
    EXPECT_EQ(out.borderY, 70);
    EXPECT_EQ(out.wordList.width, 300);
    EXPECT_EQ(out.concordanceList.height, 70 - 29);
}

TEST(PaneLayout, BordersIgnoreTheWindowSizeSoPanesCanHaveNoRoom) {
    const PaneLayout out = ComputePaneLayout(Input(240, 260, 300, 500));
    EXPECT_LT(out.concordanceList.width, 0);
    EXPECT_LT(out.bodyPane.height, 0);
}

TEST(SplitterZones, FollowTheBordersAndExcludeRightAndBottomEdges) {
    const PaneRect v = VerticalSplitterZone(640, 430, 110);
    EXPECT_TRUE(v.Contains(110, 29));
    EXPECT_TRUE(v.Contains(114, 408));
    EXPECT_FALSE(v.Contains(115, 100));
    EXPECT_FALSE(v.Contains(112, 409));  // bottom is client height - 21
    EXPECT_FALSE(v.Contains(112, 28));
    const PaneRect h = HorizontalSplitterZone(640, 430, 110, 200);
    EXPECT_TRUE(h.Contains(115, 200));
    EXPECT_TRUE(h.Contains(637, 204));
    EXPECT_FALSE(h.Contains(638, 202));  // right is client width - 2
    EXPECT_FALSE(h.Contains(300, 205));
    EXPECT_FALSE(h.Contains(114, 202));
}

}  // namespace
}  // namespace zorvia
