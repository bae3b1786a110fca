#include "platform/text_convert.h"

#include <charconv>
#include <cmath>

namespace zorvia {

namespace {

// Writes `text` as UTF-8 from `o` on and returns the end; an unpaired
// surrogate becomes U+FFFD. At most three bytes per code unit.
char* EncodeUtf8(std::u16string_view text, char* o) {
    const std::size_t n = text.size();
    const char16_t* in = text.data();
    for (std::size_t i = 0; i < n; ++i) {
        // SQL is mostly ASCII: four code units at a time while they are.
        while (i + 4 <= n && ((in[i] | in[i + 1] | in[i + 2] | in[i + 3]) & 0xFF80) == 0) {
            o[0] = static_cast<char>(in[i]);
            o[1] = static_cast<char>(in[i + 1]);
            o[2] = static_cast<char>(in[i + 2]);
            o[3] = static_cast<char>(in[i + 3]);
            o += 4;
            i += 4;
        }
        if (i == n) break;
        char32_t c = in[i];
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            *o++ = static_cast<char>(0xC0 | (c >> 6));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *o++ = static_cast<char>(0xE0 | (c >> 12));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *o++ = static_cast<char>(0xF0 | (c >> 18));
            *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return o;
}

}  // namespace

std::string WideToUtf8(std::u16string_view text) {
    // Every statement sent to SQLite passes through here, so the bytes are
    // written straight into a buffer sized for the worst case (three bytes
    // per code unit; a surrogate pair gives four for two) and cut to size.
    std::string out;
    out.resize(text.size() * 3);
    out.resize(static_cast<std::size_t>(EncodeUtf8(text, out.data()) - out.data()));
    return out;
}

std::size_t Utf8Size(std::u16string_view text) {
    std::size_t bytes = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3;  // also an unpaired surrogate, as U+FFFD
        }
    }
    return bytes;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
    const std::size_t at = out.size();
    out.resize(at + Utf8Size(text));
    EncodeUtf8(text, out.data() + at);
}

std::u16string Utf8ToWide(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        int extra;
        char32_t c;
        char32_t min;
        if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07, min = 0x10000;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        int k = 1;
        for (; k <= extra; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) break;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (k <= extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            // Malformed: one replacement character for the bytes examined.
            out.push_back(0xFFFD);
            i += (k > 1) ? k : 1;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        i += extra + 1;
    }
    return out;
}

std::u16string Utf8ToWide(const char* text) {
    if (text == nullptr) return {};
    return Utf8ToWide(std::string_view(text));
}

std::u16string AsciiToWide(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string FormatInt(std::int64_t value, int width, bool zeroPad) {
    char digits[32];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    std::string_view body(digits, static_cast<std::size_t>(end - digits));
    std::u16string out;
    const int pad = width - static_cast<int>(body.size());
    if (pad > 0) {
        if (zeroPad) {
            // printf puts the sign before the zeros.
            if (!body.empty() && body[0] == '-') {
                out.push_back(u'-');
                body.remove_prefix(1);
            }
            out.append(static_cast<std::size_t>(pad), u'0');
        } else {
            out.append(static_cast<std::size_t>(pad), u' ');
        }
    }
    out.append(body.begin(), body.end());
    return out;
}

std::u16string FormatFixed2(double value) {
    if (!std::isfinite(value)) return AsciiToWide(std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf"));
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    (void)ec;
    return AsciiToWide(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

std::u16string FormatSeconds(std::uint32_t milliseconds) {
    return FormatFixed2(milliseconds * 0.001) + u" sec";
}

std::u16string FileNameOfPath(std::u16string_view path) {
    // A drive colon counts only as the second character ("E:a.txt").
    std::size_t start = (path.size() >= 2 && path[1] == u':') ? 2 : 0;
    const auto cut = path.find_last_of(u"/\\");
    if (cut != std::u16string_view::npos && cut + 1 > start) start = cut + 1;
    return std::u16string(path.substr(start));
}

}  // namespace zorvia
