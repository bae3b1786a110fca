// The rules of the application that need no window: settings, option values,
// pane layout, the poked text.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/con_settings.h"
#include "app/option_values.h"
#include "app/pane_layout.h"
#include "app/window_placement.h"
#include "app/word_input_endpoint.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::ReadFileBytes;
using test::TempDir;

// A new settings file's twelve keys and their order are checked by the
// window test of the first start.

// Points the store at `name` in `dir` as start-up does, after writing
// `lines` into the settings section when given.
void Prepare(CConSettings& s, const TempDir& dir, const std::string& name, const char* lines = nullptr) {
    if (lines != nullptr) dir.Write(name, std::string("[Zorvia Concordancer]\n") + lines);
    s.filePath = dir.File(name);
    s.section = u"Zorvia Concordancer";
}

TEST(ConSettings, NumbersReadAsTheirLeadingDecimalDigits) {
    struct Case {
        const char* text;
        int count;    // window-pos-x, default -1
        bool search;  // use-incremental-search, default on
    };
    for (const Case& c : {Case{"default", -1, true}, Case{"-2147483647", -1, true}, Case{"Default", 0, false},
                          Case{"", 0, false}, Case{"yes", 0, false}, Case{"0", 0, false}, Case{"7", 7, true},
                          Case{"12abc", 12, true}, Case{"  -30 px", -30, true}, Case{"2147483648", -2147483647 - 1, true},
                          Case{"4294967297", 1, true}, Case{"-2147483649", 2147483647, true}}) {
        TempDir dir;
        CConSettings s;
        const std::string lines = std::string("window-pos-x=") + c.text + "\nuse-incremental-search=" + c.text + "\n";
        Prepare(s, dir, "option.ini", lines.c_str());
        s.LoadAll();
        EXPECT_EQ(s.windowPosX.value, c.count) << c.text;
        EXPECT_EQ(s.useIncrementalSearch.value, c.search) << c.text;
    }
}

// The options dialog's three limits: a value it would refuse takes the
// default at load, and the default is what goes back to the file.
TEST(ConSettings, LimitsOutsideTheOptionRangesTakeTheirDefaults) {
    TempDir dir;
    for (const auto& [lines, values] :
         {std::pair{"concordance-line-count=-5\nwordlist-search-count=abc\nbody-line=100001\n", std::array{50, 20, 100}},
          {"concordance-line-count=9999\nwordlist-search-count=1\nbody-line=100000\n", {9999, 1, 100000}},  // the ends
          {"concordance-line-count=10000\nwordlist-search-count=0\nbody-line=0\n", {50, 20, 100}}}) {
        CConSettings s;
        Prepare(s, dir, "option.ini", lines);
        s.LoadAll();
        EXPECT_EQ((std::array{s.concordanceLineCount.value, s.wordlistSearchCount.value, s.bodyLine.value}), values);
        // What was loaded, the default included, goes back to the file.
        s.SaveAll();
        const std::string saved = ReadFileBytes(dir.NativeFile("option.ini"));
        EXPECT_NE(saved.find("concordance-line-count=" + std::to_string(values[0]) + "\nwordlist-search-count=" +
                             std::to_string(values[1]) + "\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("body-line=" + std::to_string(values[2]) + "\n"), std::string::npos) << saved;
    }
}

TEST(ConSettings, LoadedValuesGoBackUnchanged) {
    TempDir dir;
    CConSettings s;
    Prepare(s, dir, "option.ini",
            "use-concordance-line-style=0\nwindow-pos-x=\n"
            "database-path=/home/u/my \"corpora\"/a=b #1; \xE6\x97\xA5.zorviacorpusdb\n");
    s.LoadAll();
    EXPECT_EQ(s.windowPosX.value, 0);  // empty is present: the window goes to the corner
    EXPECT_EQ(s.databasePath.value, u"/home/u/my \"corpora\"/a=b #1; \u65E5.zorviacorpusdb");
    s.SaveAll();
    CConSettings again;
    Prepare(again, dir, "option.ini");
    again.LoadAll();
    EXPECT_FALSE(again.useConcordanceLineStyle.value);
    EXPECT_EQ(again.windowPosX.value, 0);
    EXPECT_EQ(again.databasePath.value, s.databasePath.value);

    Prepare(s, dir, "long.ini", ("database-path=/" + std::string(2000, 'd') + "\n").c_str());
    s.LoadAll();
    EXPECT_EQ(s.databasePath.value, u"/" + std::u16string(1022, u'd'));
}

TEST(ConSettings, UnwritableFileKeepsDefaultsAndSaveStillSucceeds) {
    TempDir dir;
    dir.Write("plain", "x");
    for (const char* name : {"missing/option.ini", "plain/option.ini", ""}) {  // "" is the directory itself
        CConSettings s;
        Prepare(s, dir, name);
        ASSERT_TRUE(s.LoadAll());
        EXPECT_EQ(s.bodyLine.value, 100);
        EXPECT_TRUE(s.SaveAll());
        EXPECT_TRUE(s.SetInt(u"g", u"n", 1));
        EXPECT_FALSE(s.SetString(u"g", u"n", u"x"));
    }
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("plain")), "x");
}

// The dialog test shows the messages; here the scan's own limits.
TEST(OptionValues, ScanReadsSixtyThreeCharactersAndSaturates) {
    EXPECT_EQ(ScanOptionInteger(u"  -3"), -3);
    EXPECT_EQ(ScanOptionInteger(u"-"), std::nullopt);
    EXPECT_EQ(ScanOptionInteger(std::u16string(63, u' ') + u"5"), std::nullopt);
    EXPECT_EQ(ScanOptionInteger(u"-99999999999"), -2147483647 - 1);
}

PaneLayoutInput Input(int cx, int cy, int borderX = -1, int borderY = -1) {
    return {.clientWidth = cx, .clientHeight = cy, .labelWidth = 20, .statusHeight = 21, .statusWidth = cx,
            .scrollBarWidth = 17, .edgeWidth = 2, .borderX = borderX, .borderY = borderY};
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
    // Borders that do not fit the window are shown where the panes beyond
    // keep some room, and stored as they were; never outside their ranges.
    out = ComputePaneLayout(Input(240, 260, 300, 500));
    EXPECT_EQ(out.concordanceList.width, kMinPaneRoom);
    EXPECT_EQ(out.bodyPane.height, kMinPaneRoom);
    EXPECT_EQ(out.borderX, 300);
    EXPECT_EQ(out.borderY, 500);
    out = ComputePaneLayout(Input(90, 100, 300, 500));
    EXPECT_EQ(out.shownBorderX, 50);
    EXPECT_EQ(out.shownBorderY, 70);
}

TEST(SplitterZones, FollowTheBordersAndExcludeRightAndBottomEdges) {
    const PaneRect v = VerticalSplitterZone(640, 430, 110);
    EXPECT_TRUE(v.Contains(110, 29) && v.Contains(114, 408));
    EXPECT_FALSE(v.Contains(115, 100) || v.Contains(112, 409) || v.Contains(112, 28));  // bottom: height - 21
    const PaneRect h = HorizontalSplitterZone(640, 430, 110, 200);
    EXPECT_TRUE(h.Contains(115, 200) && h.Contains(637, 204));
    EXPECT_FALSE(h.Contains(638, 202) || h.Contains(300, 205) || h.Contains(114, 202));  // right: width - 2
}

// A window that lies on a display keeps its place; any other is brought onto
// the display of its corner, or that holds most of it, or lies nearest, no
// larger than that display; a window without a position is centred on the
// first one.
TEST(PlaceMainWindow, KeepsTheWindowOnADisplay) {
    const std::vector<ScreenRect> two = {{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
    struct Case {
        ScreenRect stored;
        ScreenRect placed;
    };
    for (const Case& c : {
             Case{{-1, -1, 640, 480}, {320, 160, 640, 480}},          // centred on the first
             Case{{5, -1, 99999, 99999}, {0, 0, 1280, 800}},           // centred, no larger
             Case{{20, 30, 700, 500}, {20, 30, 700, 500}},             // on the first: kept
             Case{{1400, 100, 640, 480}, {1400, 100, 640, 480}},       // on the second: kept
             Case{{5000, 30, 700, 500}, {2500, 30, 700, 500}},         // far right: the second, nearest
             Case{{20, 30, 99999, 500}, {0, 30, 1280, 500}},           // wider than the first
             Case{{1000, 600, 640, 480}, {640, 320, 640, 480}},        // corner on the first
             Case{{1100, 900, 640, 480}, {1280, 600, 640, 480}},       // partly on the second
             Case{{100, 900, 640, 480}, {100, 320, 640, 480}},         // below the first, nearest
             Case{{10, 10, 0, 0}, {10, 10, 240, 320}},                 // the minimum size stays
         }) {
        EXPECT_EQ(PlaceMainWindow(c.stored, two), c.placed)
            << c.stored.x << "," << c.stored.y << " " << c.stored.width << "x" << c.stored.height;
    }
}

// The bytes in a heap block of their own size, so that AddressSanitizer
// catches a read past the end.
std::string Poked(const std::string& bytes) {
    auto block = std::make_unique<char[]>(bytes.size());
    bytes.copy(block.get(), bytes.size());
    return PokedText(block.get(), bytes.size());
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    while (times-- > 0) out += text;
    return out;
}

// The text ends at the first NUL and fits the buffer with its terminator,
// never splitting a UTF-8 sequence.
TEST(PokedText, EndsAtTheFirstNulAndFitsTheBufferWholeCharactersOnly) {
    const std::string a255(255, 'a');
    for (const auto& [bytes, text] :
         {std::pair{std::string("apple\0pie", 9), std::string("apple")}, {"apple", "apple"}, {a255 + '\0', a255},
          {a255 + "a" + '\0', a255}, {Repeat("あ", 100), Repeat("あ", 85)}, {"x" + Repeat("あ", 100), "x" + Repeat("あ", 84)},
          {std::string(253, 'a') + "\xF0\x9F\x98\x80", std::string(253, 'a')},
          {std::string(300, '\x80'), std::string(255, '\x80')}}) {  // not UTF-8: cut at the buffer
        EXPECT_EQ(Poked(bytes), text) << bytes.size();
    }
}

}  // namespace
}  // namespace zorvia
