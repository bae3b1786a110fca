// Every page of the body pane is the page head, the page's content and the
// page tail. The head links general.css from the program directory.
#pragma once

#include <string>

namespace zorvia {

inline constexpr char16_t kPageTail[] = u"</body>\n</html>\n";

// The page head for a program directory that ends in its separator. The
// directory goes in as it is, without URL encoding.
inline std::u16string BuildPageHead(const std::u16string& programDirectory) {
    return u"<html>\n<head>\n<link href=\"" + programDirectory +
           u"general.css\" type=\"text/css\" rel=\"stylesheet\" />\n</head>\n<body>\n";
}

}  // namespace zorvia
