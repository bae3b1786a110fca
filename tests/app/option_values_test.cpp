#include "app/option_values.h"

#include <gtest/gtest.h>

namespace zorvia {
namespace {

TEST(OptionValues, ScanLikePercentD) {
    EXPECT_EQ(ScanOptionInteger(u"25abc"), 25);
    EXPECT_EQ(ScanOptionInteger(u"  -3"), -3);
    EXPECT_EQ(ScanOptionInteger(u"+7"), 7);
    EXPECT_EQ(ScanOptionInteger(u""), std::nullopt);
    EXPECT_EQ(ScanOptionInteger(u"abc"), std::nullopt);
    EXPECT_EQ(ScanOptionInteger(u"-"), std::nullopt);
    // Only the first 63 characters are read.
    EXPECT_EQ(ScanOptionInteger(std::u16string(63, u' ') + u"5"), std::nullopt);
    // Beyond 32 bits the number saturates instead of wrapping into range.
    EXPECT_EQ(ScanOptionInteger(u"4294967297"), 2147483647);
    EXPECT_EQ(ScanOptionInteger(u"-99999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace zorvia
