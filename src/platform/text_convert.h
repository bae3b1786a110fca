// Conversions between the program's UTF-16 text and the UTF-8 of SQLite and
// the file system, and the few number formats that users see. Nothing here
// depends on the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvia {

// The whole UTF-16 text as UTF-8. An unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::u16string_view text);
// The length of that UTF-8 in bytes, and the same appended to `out` (which
// grows by exactly that much).
std::size_t Utf8Size(std::u16string_view text);
void AppendUtf8(std::string& out, std::u16string_view text);

// NUL-terminated UTF-8 as UTF-16; a null pointer gives the empty string.
// Malformed sequences become U+FFFD.
std::u16string Utf8ToWide(const char* text);
std::u16string Utf8ToWide(std::string_view text);

// ASCII-only text (format strings, digits) widened without decoding.
std::u16string AsciiToWide(std::string_view ascii);

// printf's "%d", "%4d", "%10d" and "%02d": right-aligned in `width`
// characters, padded with spaces or zeros.
std::u16string FormatInt(std::int64_t value, int width = 0, bool zeroPad = false);

// printf's "%.2f", independent of the locale's decimal separator.
std::u16string FormatFixed2(double value);

// "%.2f sec" for a millisecond interval of the tick counter.
std::u16string FormatSeconds(std::uint32_t milliseconds);

// The file name and extension of a path: the text after the last slash or
// backslash, or after a drive colon ("E:a.txt").
std::u16string FileNameOfPath(std::u16string_view path);

}  // namespace zorvia
