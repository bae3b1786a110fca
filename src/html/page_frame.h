// Every page of the body pane is the page head, the page's content and the
// page tail. The head links general.css from the program directory.
#pragma once

#include <string>
#include <string_view>

namespace zorvia {

inline constexpr char16_t kPageTail[] = u"</body>\n</html>\n";

// The file: URL of a local path (a directory keeps its closing separator).
// Every byte of its UTF-8 form but letters, digits, "-._~", "/" and ":" is
// percent-encoded, so that "#", "?", "%", spaces, quotes and non-ASCII
// names all reach the file. Backslashes count as separators, and a path
// with a drive letter gets the URL's empty host.
std::u16string FileUrlOfPath(std::u16string_view path);

// The page head for a program directory that ends in its separator: the
// style sheet is linked by its file: URL.
inline std::u16string BuildPageHead(const std::u16string& programDirectory) {
    return u"<html>\n<head>\n<link href=\"" + FileUrlOfPath(programDirectory) +
           u"general.css\" type=\"text/css\" rel=\"stylesheet\" />\n</head>\n<body>\n";
}

}  // namespace zorvia
