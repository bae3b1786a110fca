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

TEST(OptionValues, RangeChecksGiveTheirMessages) {
    int value = 0;
    EXPECT_EQ(ValidateOptionField(u"0", kConcordanceCountRange, &value),
              u"Please enter an integer between 1 and 9999.");
    EXPECT_EQ(ValidateOptionField(u"100001", kBodyLineRange, &value),
              u"Please enter an integer between 1 and 100000.");
    EXPECT_EQ(ValidateOptionField(u"", kWordListCountRange, &value), u"Please enter an integer.");
    EXPECT_EQ(ValidateOptionField(u"4294967297", kWordListCountRange, &value),
              u"Please enter an integer between 1 and 1000.");
    EXPECT_EQ(ValidateOptionField(u"100000", kBodyLineRange, &value), std::nullopt);
    EXPECT_EQ(value, 100000);
    EXPECT_EQ(ValidateOptionField(u"25abc", kWordListCountRange, &value), std::nullopt);
    EXPECT_EQ(value, 25);
}

}  // namespace
}  // namespace zorvia
