#include "app/word_input_endpoint.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zorvia {
namespace {

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

TEST(PokedText, EndsAtTheFirstNulAndFitsTheBufferWithItsTerminator) {
    EXPECT_EQ(Poked(std::string("apple\0pie", 9)), "apple");
    EXPECT_EQ(Poked("apple"), "apple");
    EXPECT_EQ(Poked(std::string(255, 'a') + '\0'), std::string(255, 'a'));
    EXPECT_EQ(Poked(std::string(256, 'a') + '\0'), std::string(255, 'a'));
    EXPECT_EQ(Poked(std::string(300, 'a')), std::string(255, 'a'));
}

TEST(PokedText, NeverSplitsAUtf8Sequence) {
    EXPECT_EQ(Poked(Repeat("あ", 100)), Repeat("あ", 85));              // 255 bytes exactly
    EXPECT_EQ(Poked("x" + Repeat("あ", 100)), "x" + Repeat("あ", 84));  // the 85th would be split
    EXPECT_EQ(Poked(std::string(253, 'a') + "\xF0\x9F\x98\x80"), std::string(253, 'a'));
    EXPECT_EQ(Poked(std::string(300, '\x80')), std::string(255, '\x80'));  // not UTF-8: cut at the buffer
}

}  // namespace
}  // namespace zorvia
