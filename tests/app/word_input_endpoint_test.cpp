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

// The text ends at the first NUL and fits the buffer with its terminator,
// never splitting a UTF-8 sequence.
TEST(PokedText, EndsAtTheFirstNulAndFitsTheBufferWholeCharactersOnly) {
    const std::string a255(255, 'a');
    for (const auto& [bytes, text] :
         {std::pair{std::string("apple\0pie", 9), std::string("apple")}, {"apple", "apple"}, {a255 + '\0', a255},
          {a255 + "a\0", a255}, {Repeat("あ", 100), Repeat("あ", 85)}, {"x" + Repeat("あ", 100), "x" + Repeat("あ", 84)},
          {std::string(253, 'a') + "\xF0\x9F\x98\x80", std::string(253, 'a')},
          {std::string(300, '\x80'), std::string(255, '\x80')}}) {  // not UTF-8: cut at the buffer
        EXPECT_EQ(Poked(bytes), text) << bytes.size();
    }
}

}  // namespace
}  // namespace zorvia
