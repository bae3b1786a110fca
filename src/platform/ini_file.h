// Private-profile (INI) files: one or more "[section]" headers, each followed
// by "key=value" lines.
#pragma once

#include <string>
#include <string_view>

namespace zorvia {

// The value stored under `key` in `section` of the file, or `defaultText`
// when the file, the section or the key is missing. At most `maxChars`
// characters are returned.
std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultText, const std::u16string& path,
                                 std::size_t maxChars = 1023);

// Writes `key=value` into `section`: an existing key is replaced in place, a
// missing key is added at the end of its section, a missing section at the
// end of the file, a missing file is created; every other line stays as it
// was. The new text replaces the old file in one rename, so the file is never
// left half written. False when the file cannot be read or written, or when
// the key or value could not be read back as given (line breaks, '=' in the
// key).
bool WriteProfileString(std::u16string_view section, std::u16string_view key,
                        std::u16string_view value, const std::u16string& path);

}  // namespace zorvia
