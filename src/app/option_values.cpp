#include "app/option_values.h"

#include <climits>
#include <cstdint>

#include "platform/text_convert.h"

namespace zorvia {

std::optional<int> ScanOptionInteger(const std::u16string& text) {
    const std::u16string field = text.substr(0, 63);
    std::size_t i = 0;
    auto isSpace = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (i < field.size() && isSpace(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) {
        negative = field[i] == u'-';
        ++i;
    }
    const std::size_t firstDigit = i;
    std::int64_t value = 0;
    while (i < field.size() && field[i] >= u'0' && field[i] <= u'9') {
        if (value <= INT_MAX) value = value * 10 + (field[i] - u'0');
        ++i;
    }
    if (i == firstDigit) return std::nullopt;
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::u16string RangeMessage(OptionRange range) {
    return u"Please enter an integer between " + FormatInt(range.minimum) + u" and " +
           FormatInt(range.maximum) + u".";
}

std::optional<std::u16string> ValidateOptionField(const std::u16string& text, OptionRange range, int* value) {
    const auto scanned = ScanOptionInteger(text);
    if (!scanned) return std::u16string(kEnterIntegerMessage);
    if (*scanned < range.minimum || *scanned > range.maximum) return RangeMessage(range);
    if (value != nullptr) *value = *scanned;
    return std::nullopt;
}

}  // namespace zorvia
