#include "app/word_input_endpoint.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zorvia {
namespace {

// Exactly `bytes` in a heap block of its own, so that a read past the end
// shows under AddressSanitizer.
std::string Poked(const std::string& bytes) {
    auto block = std::make_unique<char[]>(bytes.size());
    bytes.copy(block.get(), bytes.size());
    return PokedText(block.get(), bytes.size());
}

TEST(PokedText, EndsAtTheFirstNulWithinTheBuffer) {
    EXPECT_EQ(Poked(std::string("apple\0pie", 9)), "apple");
    EXPECT_EQ(Poked(std::string("\0apple", 6)), "");
    EXPECT_EQ(Poked("apple"), "apple");  // no NUL at all, but short
    EXPECT_EQ(Poked(""), "");
    EXPECT_EQ(PokedText(nullptr, 10), "");
    // A NUL in the last byte of the buffer leaves the longest text.
    EXPECT_EQ(Poked(std::string(255, 'a') + '\0'), std::string(255, 'a'));
    // One past the buffer is too late: the text is cut to fit.
    EXPECT_EQ(Poked(std::string(256, 'a') + '\0'), std::string(255, 'a'));
}

TEST(PokedText, CutsLongDataBeforeASplitCharacter) {
    EXPECT_EQ(Poked(std::string(255, 'a')), std::string(255, 'a'));
    EXPECT_EQ(Poked(std::string(300, 'a')), std::string(255, 'a'));
    // "あ" is three bytes; 85 of them fill 255 bytes exactly.
    std::string kana;
    for (int i = 0; i < 100; ++i) kana += "あ";
    std::string expected;
    for (int i = 0; i < 85; ++i) expected += "あ";
    EXPECT_EQ(Poked(kana), expected);
    // Shifted by one byte, the 85th character would be split: 84 remain.
    EXPECT_EQ(Poked("x" + kana), "x" + expected.substr(0, 84 * 3));
    // A four-byte character across the cut goes as a whole.
    EXPECT_EQ(Poked(std::string(253, 'a') + "\xF0\x9F\x98\x80" + "tail"), std::string(253, 'a'));
    // Bytes that are not UTF-8 are cut where the buffer ends.
    EXPECT_EQ(Poked(std::string(300, '\x80')), std::string(255, '\x80'));
}

TEST(WordInputNames, ServiceNamesMustBeFileNames) {
    EXPECT_TRUE(IsValidServiceName(kWordInputServiceName));
    EXPECT_TRUE(IsValidServiceName(u"zorvia concordancer"));
    EXPECT_FALSE(IsValidServiceName(u""));
    EXPECT_FALSE(IsValidServiceName(u".."));
    EXPECT_FALSE(IsValidServiceName(u"../run"));
    EXPECT_FALSE(IsValidServiceName(std::u16string(u"a\0b", 3)));
    EXPECT_FALSE(WordInputSocketPath(u"a/b", false).ok);
    EXPECT_FALSE(WordInputSocketPath(std::u16string(200, u'x'), false).ok);
}

}  // namespace
}  // namespace zorvia
