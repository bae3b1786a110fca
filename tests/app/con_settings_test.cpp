// The settings store. A new file's twelve keys and their order are checked
// by the window test of the first start.
#include "app/con_settings.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace zorvia {
namespace {

using test::ReadFileBytes;
using test::TempDir;

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
        int count;    // concordance-line-count, default 50
        bool search;  // use-incremental-search, default on
    };
    for (const Case& c : {Case{"default", 50, true}, Case{"-2147483647", 50, true}, Case{"Default", 0, false},
                          Case{"", 0, false}, Case{"yes", 0, false}, Case{"0", 0, false}, Case{"7", 7, true},
                          Case{"12abc", 12, true}, Case{"  -30 px", -30, true}, Case{"2147483648", -2147483647 - 1, true},
                          Case{"4294967297", 1, true}, Case{"-2147483649", 2147483647, true}}) {
        TempDir dir;
        CConSettings s;
        const std::string lines =
            std::string("concordance-line-count=") + c.text + "\nuse-incremental-search=" + c.text + "\n";
        Prepare(s, dir, "option.ini", lines.c_str());
        s.LoadAll();
        EXPECT_EQ(s.concordanceLineCount.value, c.count) << c.text;
        EXPECT_EQ(s.useIncrementalSearch.value, c.search) << c.text;
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

TEST(ConSettings, GeneralOperationsJoinGroupAndNameWithABackslash) {
    TempDir dir;
    CConSettings s;
    Prepare(s, dir, "option.ini");
    EXPECT_TRUE(s.SetInt(u"view", u"zoom", 3));
    EXPECT_TRUE(s.SetString(u"", u"name only", u"a b"));
    EXPECT_TRUE(s.SetString(u"group only", u"", u"c"));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("option.ini")),
              "[Zorvia Concordancer]\nview\\zoom=3\nname only=a b\ngroup only=c\n");
    EXPECT_EQ(s.GetInt(u"", u"", 9), 9);
}

}  // namespace
}  // namespace zorvia
