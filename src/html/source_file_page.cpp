#include "html/source_file_page.h"

#include "corpus/file_import.h"

namespace zorvia {

std::optional<std::u16string> BuildSourceFilePage(const std::u16string& path, EncodingChoice encoding) {
    std::optional<std::u16string> text = ReadWholeText(path, encoding);
    if (!text || FileKindOfPath(path) == ImportFileKind::Html) return text;
    // Plain text as a browser shows a text file: wrapped, nothing in it read
    // as markup.
    std::u16string page = u"<html>\n<body>\n<pre style=\"white-space: pre-wrap; word-wrap: break-word\">";
    page.reserve(page.size() + text->size() + text->size() / 8 + 32);
    for (const char16_t c : *text) {
        switch (c) {
            case u'&': page += u"&amp;"; break;
            case u'<': page += u"&lt;"; break;
            case u'>': page += u"&gt;"; break;
            case u'"': page += u"&quot;"; break;
            default: page += c;
        }
    }
    page += u"</pre>\n</body>\n</html>\n";
    return page;
}

}  // namespace zorvia
