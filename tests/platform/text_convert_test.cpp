#include "platform/text_convert.h"

#include <gtest/gtest.h>

// Number formatting and file names are checked through the pages and lists
// that show them.
namespace zorvia {
namespace {

TEST(Utf8Conversion, RoundTripsValidTextAndReplacesMalformedInput) {
    const std::u16string text = u"abc \u00e9\u65e5\U0001F600";
    const std::string utf8 = WideToUtf8(text);
    EXPECT_EQ(utf8, "abc \xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide(utf8), text);
    EXPECT_EQ(Utf8ToWide(static_cast<const char*>(nullptr)), u"");
    // Truncated, overlong, surrogate-encoding and stray continuation bytes.
    EXPECT_EQ(Utf8ToWide("a\xE6\x97"), u"a\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80x"), u"\uFFFDx");
    EXPECT_EQ(Utf8ToWide("\x80z"), u"\uFFFDz");
    std::u16string lone(1, static_cast<char16_t>(0xDC00));
    EXPECT_EQ(WideToUtf8(lone), "\xEF\xBF\xBD");
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

}  // namespace
}  // namespace zorvia
