// The one crossing between the program's UTF-16 text and wxString. Never
// through the C locale: a narrow conversion without a named encoding yields
// an empty string for non-ASCII text.
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace zorvia {

inline wxString ToWx(std::u16string_view text) {
    if (text.empty()) return wxString();
    return wxString(reinterpret_cast<const char*>(text.data()), wxMBConvUTF16LE(),
                    text.size() * sizeof(char16_t));
}

inline std::u16string FromWx(const wxString& text) {
    const wxCharBuffer utf16 = text.mb_str(wxMBConvUTF16LE());
    const std::size_t bytes = utf16.length();
    return std::u16string(reinterpret_cast<const char16_t*>(utf16.data()), bytes / sizeof(char16_t));
}

}  // namespace zorvia
