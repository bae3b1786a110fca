#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/ini_file.h"
#include "platform/prompt.h"
#include "platform/text_convert.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using namespace std::string_literals;

std::u16string Read(const std::u16string& path, std::u16string_view section, std::u16string_view key,
                    std::size_t maxChars = 1023) {
    return ReadProfileString(section, key, u"(none)", path, maxChars);
}

std::size_t EntriesIn(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(ReadProfileString, FindsKeysByLooseNameAndFallsBackToTheDefault) {
    TempDir dir;
    EXPECT_EQ(Read(dir.File("absent.ini"), u"S", u"k"), u"(none)");
    const auto path = dir.Write("a.ini",
                                "\xEF\xBB\xBF  [ Zorvia Concordancer ]  \r\n"
                                "\tWindow-Width =  800 \r\n"
                                "path = \"/my dir/x.db\" \r\n"
                                "[\xC3\xA9]\r\nk=1\r\n");
    EXPECT_EQ(Read(path, u"ZORVIA concordancer", u" window-width "), u"800");
    EXPECT_EQ(Read(path, u"Zorvia Concordancer", u"path"), u"/my dir/x.db");
    EXPECT_EQ(Read(path, u"Zorvia Concordancer", u"k"), u"(none)");
    EXPECT_EQ(Read(path, u"\u00E9", u"k"), u"1");
    EXPECT_EQ(Read(path, u"\u00C9", u"k"), u"(none)");  // only ASCII letters fold
    EXPECT_EQ(Read(path, u"\u00E9", u"window-width"), u"(none)");
}

TEST(ReadProfileString, SurvivesJunkAndCutsValuesAndDefaultsToMaxChars) {
    TempDir dir;
    const auto path = dir.Write("junk.ini", "\x00\x01\xFF\xFE\x00 garbage\n[S\n=orphan\n[S]\nk\nk=first\nk=second\n"
                                            "bad=\xC3\x28\xFF\0x\nlong="s + std::string(3000, 'p') +
                                            "\ne=ab\xF0\x9F\x98\x80\n" + std::string(5'000'000, 'z') + "\ntail=\x80\r\r\n");
    EXPECT_EQ(Read(path, u"S", u"k"), u"first");
    EXPECT_EQ(Read(path, u"S", u"long"), std::u16string(1023, u'p'));
    EXPECT_EQ(ReadProfileString(u"S", u"x", std::u16string(2000, u'd'), path), std::u16string(1023, u'd'));
    EXPECT_EQ(Read(path, u"S", u"e", 3), u"ab");  // no half surrogate pair
    EXPECT_EQ(Read(path, u"S", u"bad"), u"\uFFFD(\uFFFD\0x"s);
    EXPECT_EQ(Read(path, u"S", u"tail"), u"\uFFFD\r");  // only the last CR belongs to the line end
    EXPECT_EQ(Read(path, u"S", u""), u"(none)");
    // A directory, or a path through a file, reads as a missing file.
    EXPECT_EQ(Read(test::W(dir.path().c_str()), u"S", u"k"), u"(none)");
    EXPECT_EQ(Read(path + u"/x.ini", u"S", u"k"), u"(none)");
}

TEST(WriteProfileString, ReplacesInPlaceAndAddsAtTheEndOfTheSection) {
    TempDir dir;
    const auto path = dir.Write("a.ini",
                                "; settings\n[Other]\nk=keep\n\n"
                                "[S]\n# comment\nUnknown = x\nk = old\njunk without equals\nk=duplicate\n\n"
                                "; about T\n[T]\nt=1");  // no final line end
    ASSERT_TRUE(WriteProfileString(u"s", u"K", u"new", path));
    ASSERT_TRUE(WriteProfileString(u"S", u"added", u"2", path));
    ASSERT_TRUE(WriteProfileString(u"T", u"u", u"3", path));
    ASSERT_TRUE(WriteProfileString(u"New", u"n", u"4", path));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("a.ini")),
              "; settings\n[Other]\nk=keep\n\n"
              "[S]\n# comment\nUnknown = x\nK=new\njunk without equals\nk=duplicate\nadded=2\n\n"
              "; about T\n[T]\nt=1\nu=3\n[New]\nn=4\n");

    const auto crlf = dir.Write("crlf.ini", "\xEF\xBB\xBF[S]\r\nk=1\r\n");
    ASSERT_TRUE(WriteProfileString(u"S", u"k", u"2", crlf));
    ASSERT_TRUE(WriteProfileString(u"T", u"n", u"4", crlf));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("crlf.ini")), "[S]\r\nk=2\r\n[T]\r\nn=4\r\n");

    EXPECT_EQ(EntriesIn(dir), 2u);  // no temporary file stays behind

    // A last line ending in a lone CR gets only its line feed; no value gains
    // a CR, whether the key goes into its section or into a new one.
    for (const std::string section : {"S", "T"}) {
        const auto lone = dir.Write("lone.ini", "[S]\r\na=1\r\nb=2\r");
        ASSERT_TRUE(WriteProfileString(test::W(section.c_str()), u"c", u"3", lone));
        const std::string added = section == "T" ? "[T]\r\nc=3\r\n" : "c=3\r\n";
        EXPECT_EQ(ReadFileBytes(dir.NativeFile("lone.ini")), "[S]\r\na=1\r\nb=2\r\n" + added);
    }
}

TEST(WriteProfileString, ValuesRoundTripAndUnreadableOnesAreRefused) {
    TempDir dir;
    const auto path = dir.File("a.ini");
    // Paths with quotes, '=', '#' and ';': see the settings tests.
    for (const std::u16string value : {u"a=b==c", u"\"", u"  blank edges\t", u"", u"C:\\d\\x.db"}) {
        ASSERT_TRUE(WriteProfileString(u"S", u"v", value, path)) << test::N(value);
        EXPECT_EQ(Read(path, u"S", u"v"), value) << test::N(value);
    }
    const std::string before = ReadFileBytes(dir.NativeFile("a.ini"));
    for (const auto& [section, key, value] : {std::tuple{u"S", u"v", u"two\nlines"}, {u"S", u"a=b", u"1"},
                                              {u"S", u";v", u"1"}, {u"S]", u"v", u"1"}}) {
        EXPECT_FALSE(WriteProfileString(section, key, value, path)) << test::N(key);
    }
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("a.ini")), before);
}

TEST(WriteProfileString, FailsWithoutHarmWhereItCannotWrite) {
    TempDir dir;
    const auto file = dir.Write("plain", "x");
    for (const std::u16string& path : {dir.File("no/such/dir/a.ini"), file + u"/a.ini", test::W(dir.path().c_str()),
                                       std::u16string()}) {
        EXPECT_FALSE(WriteProfileString(u"S", u"k", u"1", path)) << test::N(path);
    }
    EXPECT_EQ(EntriesIn(dir), 1u);
    if (geteuid() != 0) {  // permissions do not stop root
        const auto ro = dir.Write("ro.ini", "[S]\nk=1\n");
        ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
        EXPECT_FALSE(WriteProfileString(u"S", u"k", u"2", ro));
        EXPECT_EQ(Read(ro, u"S", u"k"), u"1");
    }
}

// The file behind a link is replaced, keeping its mode; the link stays.
TEST(WriteProfileString, ReplacesTheFileBehindALinkAndKeepsItsMode) {
    TempDir dir;
    dir.Write("real.ini", "[S]\nk=1\n");
    ASSERT_EQ(chmod(dir.NativeFile("real.ini").c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.ini", dir.NativeFile("link.ini").c_str()), 0);
    ASSERT_TRUE(WriteProfileString(u"S", u"k", u"2", dir.File("link.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.NativeFile("link.ini")));
    EXPECT_EQ(ReadFileBytes(dir.NativeFile("real.ini")), "[S]\nk=2\n");
    EXPECT_EQ(std::filesystem::status(dir.NativeFile("real.ini")).permissions(), std::filesystem::perms(0640));
}

// Valid text round-trips through the database and the settings tests.
TEST(Utf8Conversion, ReplacesMalformedInput) {
    EXPECT_EQ(Utf8ToWide(static_cast<const char*>(nullptr)), u"");
    // Truncated, overlong, surrogate-encoding and stray continuation bytes.
    for (const auto& [bytes, text] : {std::pair{"a\xE6\x97", u"a\uFFFD"}, {"\xC0\xAF", u"\uFFFD"},
                                      {"\xED\xA0\x80x", u"\uFFFDx"}, {"\x80z", u"\uFFFDz"}})
        EXPECT_EQ(Utf8ToWide(bytes), text) << bytes;
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t{0xDC00})), "\xEF\xBF\xBD");
}

TEST(Utf8Conversion, AsciiRunsOfEveryLengthAroundOtherCharacters) {
    // ASCII is copied several code units at a time: every length of run
    // before, between and after wider characters, and a pair cut at the end.
    for (std::size_t before = 0; before < 10; ++before) {
        for (std::size_t after = 0; after < 10; ++after) {
            const std::u16string text = std::u16string(before, u'a') + u"\u00e9" + std::u16string(after, u'b') +
                                        u"\U0001F600" + std::u16string(after, u'c') + u"\u65e5";
            const std::string expected = std::string(before, 'a') + "\xC3\xA9" + std::string(after, 'b') +
                                         "\xF0\x9F\x98\x80" + std::string(after, 'c') + "\xE6\x97\xA5";
            EXPECT_EQ(WideToUtf8(text), expected) << before << " " << after;
        }
        EXPECT_EQ(WideToUtf8(std::u16string(before, u'x') + static_cast<char16_t>(0xD83D)),
                  std::string(before, 'x') + "\xEF\xBF\xBD");
    }
    EXPECT_EQ(WideToUtf8(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

// Padding and rounding the pages do not show; file names with a colon.
TEST(Formatting, PadsAndRoundsLikePrintfAndKeepsFileNames) {
    EXPECT_EQ(FormatInt(-5, 3, true), u"-05");
    EXPECT_EQ(FormatInt(-2147483647 - 1), u"-2147483648");
    EXPECT_EQ(FormatFixed2(2.675), u"2.67");  // the binary value is below 2.675
    EXPECT_EQ(FormatSeconds(1234), u"1.23 sec");
    for (const auto& [path, name] : {std::pair{u"E:\\texts\\a.txt", u"a.txt"}, {u"D:b.html", u"b.html"},
                                     {u"/tmp/odd:name.txt", u"odd:name.txt"}, {u"plain", u"plain"}, {u"", u""}}) {
        EXPECT_EQ(FileNameOfPath(path), name);
    }
}

// Each kind of file opens where the last file of its kind was chosen; a
// cancelled or vanished choice leaves that place, and other kinds keep
// their own.
TEST(PromptForFile, OpensWhereTheLastFileOfItsKindWasChosen) {
    TempDir texts, corpora;
    const std::u16string text = texts.Write("a.txt", "x");
    const std::u16string corpus = corpora.Write("c.zorviacorpusdb", "");
    FileRequest textRequest, corpusRequest, other;
    textRequest.kind = FileKind::Text;
    corpusRequest.kind = FileKind::Corpus;
    test::FakePrompt prompt;
    prompt.files = {corpus, text, std::nullopt, texts.File("gone.txt"), text, corpus};
    EXPECT_EQ(PromptForFile(prompt, corpusRequest), corpus);
    EXPECT_EQ(PromptForFile(prompt, textRequest), text);
    EXPECT_EQ(PromptForFile(prompt, textRequest), std::nullopt);
    EXPECT_EQ(PromptForFile(prompt, textRequest), std::nullopt);
    EXPECT_EQ(PromptForFile(prompt, textRequest), text);
    EXPECT_EQ(PromptForFile(prompt, other), corpus);
    const std::u16string textFolder = texts.File(""), corpusFolder = corpora.File("");
    EXPECT_FALSE(prompt.fileRequests[1].initialFolder.empty());  // the home folder, or an earlier test's
    for (std::size_t i : {2u, 3u, 4u}) EXPECT_EQ(prompt.fileRequests[i].initialFolder, textFolder) << i;
    EXPECT_EQ(prompt.fileRequests[5].initialFolder, u"");  // a file of no kind opens where the toolkit likes
    EXPECT_EQ(RecentFolder(FileKind::Corpus), corpusFolder);
    EXPECT_EQ(RecentFolder(FileKind::Other), u"");
    // A request that names its folder keeps it.
    corpusRequest.initialFolder = u"/somewhere/";
    prompt.files = {std::nullopt};
    PromptForFile(prompt, corpusRequest);
    EXPECT_EQ(prompt.fileRequests.back().initialFolder, u"/somewhere/");
}

}  // namespace
}  // namespace zorvia
