#include "platform/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace zorvia {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::W;
using namespace std::string_literals;

std::u16string Read(const std::u16string& path, std::u16string_view section, std::u16string_view key,
                    std::size_t maxChars = 1023) {
    return ReadProfileString(section, key, u"(none)", path, maxChars);
}

TEST(ReadProfileString, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    EXPECT_EQ(Read(dir.File("absent.ini"), u"S", u"k"), u"(none)");
    EXPECT_EQ(Read(u"", u"S", u"k"), u"(none)");
    const auto path = dir.Write("a.ini", "[S]\nk=1\n[T]\nother=2\n");
    EXPECT_EQ(Read(path, u"S", u"k"), u"1");
    EXPECT_EQ(Read(path, u"X", u"k"), u"(none)");
    EXPECT_EQ(Read(path, u"S", u"other"), u"(none)");  // belongs to T
    EXPECT_EQ(Read(path, u"T", u"k"), u"(none)");
}

TEST(ReadProfileString, NamesIgnoreAsciiCaseAndSurroundingBlanks) {
    TempDir dir;
    const auto path = dir.Write("a.ini",
                                "\xEF\xBB\xBF"
                                "  [ Zorvia Concordancer ]  \r\n"
                                "\tWindow-Width =  800 \r\n"
                                "database-path = \"/home/u/my dir/x.db\" \r\n");
    EXPECT_EQ(Read(path, u"zorvia concordancer", u"window-width"), u"800");
    EXPECT_EQ(Read(path, u"ZORVIA CONCORDANCER", u" WINDOW-WIDTH "), u"800");
    EXPECT_EQ(Read(path, u"Zorvia Concordancer", u"database-path"), u"/home/u/my dir/x.db");
    // Only ASCII letters fold.
    const auto jp = dir.Write("jp.ini", "[\xC3\xA9]\nk=1\n");
    EXPECT_EQ(Read(jp, u"\u00C9", u"k"), u"(none)");
    EXPECT_EQ(Read(jp, u"\u00E9", u"k"), u"1");
}

TEST(ReadProfileString, CutsLongValuesAndDefaultsToMaxChars) {
    TempDir dir;
    const std::string longValue(3000, 'p');
    const auto path = dir.Write("a.ini", "[S]\nk=" + longValue + "\n");
    EXPECT_EQ(Read(path, u"S", u"k"), std::u16string(1023, u'p'));
    EXPECT_EQ(ReadProfileString(u"S", u"missing", std::u16string(2000, u'd'), path), std::u16string(1023, u'd'));
    // A character outside the basic plane is not split in half.
    const auto emoji = dir.Write("e.ini", "[S]\nk=ab\xF0\x9F\x98\x80\n");
    EXPECT_EQ(Read(emoji, u"S", u"k", 3), u"ab");
    EXPECT_EQ(Read(emoji, u"S", u"k", 4), u"ab\U0001F600");
}

TEST(ReadProfileString, SurvivesJunk) {
    TempDir dir;
    std::string junk = "\x00\x01\xFF\xFE\x00 garbage\n[S\nnot a key\n=orphan\n[S]\nk\nk=first\nk=second\n"s;
    junk += "bad=\xC3\x28\xFF\0x\n"s;
    junk += std::string(5'000'000, 'z') + "\n";  // one enormous line
    junk += "tail=\x80\r\r\n";
    const auto path = dir.Write("junk.ini", junk);
    EXPECT_EQ(Read(path, u"S", u"k"), u"first");
    EXPECT_EQ(Read(path, u"S", u"bad"), std::u16string(u"\uFFFD(\uFFFD\0x", 5));
    EXPECT_EQ(Read(path, u"S", u"tail"), u"\uFFFD\r");  // only the last CR belongs to the line end
    EXPECT_EQ(Read(path, u"S", u""), u"(none)");
    EXPECT_EQ(Read(path, u"S", u"not a key"), u"(none)");

    // A directory, or a path through a file, reads as a missing file.
    EXPECT_EQ(Read(W(dir.path().c_str()), u"S", u"k"), u"(none)");
    EXPECT_EQ(Read(path + u"/x.ini", u"S", u"k"), u"(none)");
}

TEST(WriteProfileString, NewFileGetsOneSectionWithItsKeysInOrder) {
    TempDir dir;
    const auto path = dir.File("new.ini");
    ASSERT_TRUE(WriteProfileString(u"Zorvia Concordancer", u"a", u"1", path));
    ASSERT_TRUE(WriteProfileString(u"Zorvia Concordancer", u"b", u"", path));
    ASSERT_TRUE(WriteProfileString(u"Zorvia Concordancer", u"A", u"3", path));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("new.ini")), "[Zorvia Concordancer]\nA=3\nb=\n");
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteProfileString, KeepsEveryOtherLineAsItWas) {
    TempDir dir;
    const std::string before =
        "; settings\n"
        "[Other]\n"
        "k=keep\n"
        "\n"
        "[S]\n"
        "# comment\n"
        "Unknown = x\n"
        "k = old\n"
        "junk without equals\n"
        "k=duplicate\n"
        "\n"
        "; about T\n"
        "[T]\n"
        "t=1";  // no final line end
    const auto path = dir.Write("a.ini", before);
    ASSERT_TRUE(WriteProfileString(u"s", u"K", u"new", path));
    ASSERT_TRUE(WriteProfileString(u"S", u"added", u"2", path));
    ASSERT_TRUE(WriteProfileString(u"T", u"u", u"3", path));
    ASSERT_TRUE(WriteProfileString(u"New", u"n", u"4", path));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("a.ini")),
              "; settings\n"
              "[Other]\n"
              "k=keep\n"
              "\n"
              "[S]\n"
              "# comment\n"
              "Unknown = x\n"
              "K=new\n"
              "junk without equals\n"
              "k=duplicate\n"
              "added=2\n"
              "\n"
              "; about T\n"
              "[T]\n"
              "t=1\n"
              "u=3\n"
              "[New]\n"
              "n=4\n");
}

TEST(WriteProfileString, FollowsCrLfAndDropsTheByteOrderMark) {
    TempDir dir;
    const auto path = dir.Write("a.ini", "\xEF\xBB\xBF[S]\r\nk=1\r\n");
    ASSERT_TRUE(WriteProfileString(u"S", u"k", u"2", path));
    ASSERT_TRUE(WriteProfileString(u"S", u"m", u"3", path));
    ASSERT_TRUE(WriteProfileString(u"T", u"n", u"4", path));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("a.ini")), "[S]\r\nk=2\r\nm=3\r\n[T]\r\nn=4\r\n");
}

TEST(WriteProfileString, ValuesRoundTrip) {
    TempDir dir;
    const auto path = dir.File("a.ini");
    const std::u16string values[] = {
        u"/home/u/my documents/コーパス x.zorviacorpusdb",
        u"a=b==c",
        u"\"quoted\"",
        u"\"",
        u"it's \"half",
        u"#not a comment ; nor this",
        u"  leading and trailing\t",
        u"",
        u"\U0001F600\u65E5\u672C",
        u"C:\\dir\\x.db",
    };
    for (const auto& value : values) {
        ASSERT_TRUE(WriteProfileString(u"S", u"v", value, path)) << test::N(value);
        EXPECT_EQ(Read(path, u"S", u"v"), value) << test::N(value);
    }
    EXPECT_TRUE(WriteProfileString(u"S", u"group\\name", u"x", path));
    EXPECT_EQ(Read(path, u"S", u"group\\name"), u"x");
}

TEST(WriteProfileString, RefusesWhatCouldNotBeReadBack) {
    TempDir dir;
    const auto path = dir.Write("a.ini", "[S]\nk=1\n");
    EXPECT_FALSE(WriteProfileString(u"S", u"k", u"two\nlines", path));
    EXPECT_FALSE(WriteProfileString(u"S", u"k", u"cr\r", path));
    EXPECT_FALSE(WriteProfileString(u"S", u"a=b", u"1", path));
    EXPECT_FALSE(WriteProfileString(u"S", u"", u"1", path));
    EXPECT_FALSE(WriteProfileString(u"S", u";k", u"1", path));
    EXPECT_FALSE(WriteProfileString(u"S]", u"k", u"1", path));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("a.ini")), "[S]\nk=1\n");
}

TEST(WriteProfileString, FailsWithoutHarmWhereItCannotWrite) {
    TempDir dir;
    EXPECT_FALSE(WriteProfileString(u"S", u"k", u"1", dir.File("no/such/dir/a.ini")));
    const auto file = dir.Write("plain", "x");
    EXPECT_FALSE(WriteProfileString(u"S", u"k", u"1", file + u"/a.ini"));
    ASSERT_EQ(mkdir(dir.NativeFile("isdir").c_str(), 0755), 0);
    EXPECT_FALSE(WriteProfileString(u"S", u"k", u"1", dir.File("isdir")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.NativeFile("isdir")));
    EXPECT_FALSE(WriteProfileString(u"S", u"k", u"1", u""));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    // Permissions stop everyone but root.
    if (geteuid() != 0) {
        ASSERT_EQ(mkdir(dir.NativeFile("ro").c_str(), 0755), 0);
        const auto path = dir.Write("ro/a.ini", "[S]\nk=1\n");
        ASSERT_EQ(chmod(dir.NativeFile("ro").c_str(), 0555), 0);
        EXPECT_FALSE(WriteProfileString(u"S", u"k", u"2", path));
        EXPECT_EQ(Read(path, u"S", u"k"), u"1");
    }
}

TEST(WriteProfileString, ReplacesTheFileBehindALinkAndKeepsItsMode) {
    TempDir dir;
    const auto real = dir.Write("real.ini", "[S]\nk=1\n");
    ASSERT_EQ(chmod(dir.NativeFile("real.ini").c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.ini", dir.NativeFile("link.ini").c_str()), 0);
    ASSERT_TRUE(WriteProfileString(u"S", u"k", u"2", dir.File("link.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.NativeFile("link.ini")));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("real.ini")), "[S]\nk=2\n");
    struct stat st;
    ASSERT_EQ(stat(dir.NativeFile("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace zorvia
