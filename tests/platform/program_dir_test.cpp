#include <gtest/gtest.h>

#include <filesystem>

#include "platform/program_dir.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

// The XDG directories themselves are checked where the window and the real
// program use them (tests/gui/start_test.cpp).
TEST(ProgramLayout, FollowsWhereTheStyleSheetIs) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.NativeFile("prefix/bin"));
    std::filesystem::create_directories(dir.NativeFile("prefix/share/zorvia-concordancer"));
    SetProgramDirectoryForTesting(dir.File("prefix/bin"));
    const std::u16string bin = dir.File("prefix/bin/");
    test::ScopedEnv home("HOME", "/home/someone");
    test::ScopedEnv data("XDG_DATA_HOME", "relative/data");  // invalid, so ignored
    EXPECT_EQ(CurrentLayout(), ProgramLayout::Portable);  // neither copy: as a bare build directory

    dir.Write("prefix/share/zorvia-concordancer/general.css", "h1 {}");
    EXPECT_EQ(CurrentLayout(), ProgramLayout::Installed);
    EXPECT_EQ(DataDirectory(), dir.File("prefix/share/zorvia-concordancer/"));
    EXPECT_EQ(DefaultCorpusDirectory(), u"/home/someone/.local/share/zorvia-concordancer/");

    // A copy beside the executable wins, whoever may write where.
    dir.Write("prefix/bin/general.css", "h1 {}");
    EXPECT_EQ(CurrentLayout(), ProgramLayout::Portable);
    for (const std::u16string& place : {DataDirectory(), SettingsDirectory(), DefaultCorpusDirectory()})
        EXPECT_EQ(place, bin);
    SetProgramDirectoryForTesting(u"");
}

}  // namespace
}  // namespace zorvia
