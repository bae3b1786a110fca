#include "list_output.h"

#include <unicode/uchar.h>

#include <charconv>
#include <climits>

#include "tool.h"

namespace zorvia::tool {

namespace {

bool ParseLimit(std::string_view text, int& limit) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > INT_MAX) return false;
    limit = static_cast<int>(value);
    return true;
}

// One character of the text from position i, which moves past it.
char32_t NextCodePoint(std::u16string_view text, std::size_t& i) {
    char32_t c = text[i++];
    if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
    return c;
}

int CharWidth(char32_t c) {
    const auto category = u_charType(static_cast<UChar32>(c));
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR) return 0;
    const int eaw = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_EAST_ASIAN_WIDTH);
    return (eaw == U_EA_WIDE || eaw == U_EA_FULLWIDTH) ? 2 : 1;
}

}  // namespace

std::optional<ListOptions> ParseListOptions(const std::vector<std::string>& args, int defaultLimit) {
    ListOptions options;
    options.limit = defaultLimit;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--tsv") {
            options.tsv = true;
        } else if (arg == "--limit" || arg.compare(0, 8, "--limit=") == 0) {
            std::string value;
            if (arg == "--limit") {
                if (i + 1 == args.size()) {
                    PrintError("--limit needs a number");
                    return std::nullopt;
                }
                value = args[++i];
            } else {
                value = arg.substr(8);
            }
            if (!ParseLimit(value, options.limit)) {
                PrintError("--limit must be a whole number from 1, not '" + value + "'");
                return std::nullopt;
            }
        } else {
            PrintError("unknown option '" + arg + "'");
            return std::nullopt;
        }
    }
    return options;
}

int DisplayWidth(std::u16string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) width += CharWidth(NextCodePoint(text, i));
    return width;
}

std::u16string FitKeepingEnd(std::u16string_view text, int width) {
    // Walk back from the end while the characters fit.
    std::size_t start = text.size();
    int used = 0;
    while (start > 0) {
        std::size_t from = start - 1;
        if (from > 0 && text[from] >= 0xDC00 && text[from] <= 0xDFFF && text[from - 1] >= 0xD800 &&
            text[from - 1] <= 0xDBFF)
            --from;
        std::size_t i = from;
        const int w = CharWidth(NextCodePoint(text, i));
        if (used + w > width) break;
        used += w;
        start = from;
    }
    return std::u16string(static_cast<std::size_t>(width - used), u' ') + std::u16string(text.substr(start));
}

std::u16string FitKeepingStart(std::u16string_view text, int width) {
    std::size_t end = 0;
    int used = 0;
    while (end < text.size()) {
        std::size_t i = end;
        const int w = CharWidth(NextCodePoint(text, i));
        if (used + w > width) break;
        used += w;
        end = i;
    }
    return std::u16string(text.substr(0, end)) + std::u16string(static_cast<std::size_t>(width - used), u' ');
}

std::u16string OneLineField(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) c = u' ';
    }
    return out;
}

}  // namespace zorvia::tool
