#include "html/page_frame.h"

#include "platform/text_convert.h"

namespace zorvia {

std::u16string FileUrlOfPath(std::u16string_view path) {
    const std::string bytes = WideToUtf8(path);
    std::u16string url = u"file://";
    if (bytes.empty() || (bytes[0] != '/' && bytes[0] != '\\')) url += u'/';
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
        if (plain) {
            url += static_cast<char16_t>(c);
        } else if (c == '\\') {
            url += u'/';
        } else {
            url += u'%';
            url += static_cast<char16_t>(kHex[c >> 4]);
            url += static_cast<char16_t>(kHex[c & 15]);
        }
    }
    return url;
}

}  // namespace zorvia
