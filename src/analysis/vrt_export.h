// The corpus in the vertical format that corpus servers read (cwb-encode
// and the tools built on its format): per registered file, in oid order,
// <text id="OID" path="PATH">; per stored line <l n="LINE_NO">; one token per
// line as word TAB word_upper. UTF-8, no XML declaration and no root element
// of its own. Text is escaped so that the file parses as XML once wrapped in
// a root element and every token stays on its line.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"

namespace zorvia {

// Appends UTF-8 text as XML character data (attribute: as a value between
// double quotes). & < > (and " in attributes) become entities; a CR becomes
// &#13;, a tab &#9; and a line feed &#10;; characters that XML 1.0 forbids
// (other C0 controls, U+FFFE, U+FFFF) and malformed UTF-8 become U+FFFD.
void AppendXmlEscaped(std::string& out, std::string_view utf8, bool attribute);

struct VrtCounts {
    std::int64_t texts = 0;
    std::int64_t lines = 0;
    std::int64_t tokens = 0;
};

// Writes the corpus to `path` (replacing it only once complete).
JobResult ExportVrt(CCorpusReader& reader, const std::u16string& path, std::stop_token stop,
                    IJobProgress& progress, VrtCounts* counts = nullptr);

}  // namespace zorvia
