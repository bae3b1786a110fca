// The numbers of the options dialog: how a field is read and which range it
// must lie in.
#pragma once

#include <optional>
#include <string>

namespace zorvia {

struct OptionRange {
    int minimum;
    int maximum;
};

inline constexpr OptionRange kBodyLineRange{1, 100000};
inline constexpr OptionRange kConcordanceCountRange{1, 9999};
inline constexpr OptionRange kWordListCountRange{1, 1000};

inline constexpr char16_t kEnterIntegerMessage[] = u"Please enter an integer.";

// Reads the field as a "%d" scan does: at most its first 63 characters,
// leading white space, an optional sign, digits; whatever follows is
// ignored. Nothing when no integer can be read. A number beyond the 32-bit
// range saturates, so it fails the range test instead of wrapping into it.
std::optional<int> ScanOptionInteger(const std::u16string& text);

// "Please enter an integer between %1 and %2." for the range.
std::u16string RangeMessage(OptionRange range);

// The message for a field's text, or nothing when it is acceptable.
std::optional<std::u16string> ValidateOptionField(const std::u16string& text, OptionRange range,
                                                  int* value);

}  // namespace zorvia
