// The page of the command that shows the file of the current preview: the
// registered file decoded exactly as its import decodes it, so that the
// pane never guesses an encoding of its own.
#pragma once

#include <optional>
#include <string>

#include "corpus/text_line_reader.h"

namespace zorvia {

// An HTML file as the HTML it holds; any other file as its text, escaped and
// preformatted. Nothing when the file cannot be read.
std::optional<std::u16string> BuildSourceFilePage(const std::u16string& path, EncodingChoice encoding);

}  // namespace zorvia
