#include "analysis/vrt_export.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>

#include "analysis/table_export.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";
constexpr std::size_t kChunkBytes = 1 << 20;

void AppendInt(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// The merge of lines and words: the rows of both arrive in the order the
// file is written in. In the usual corpus (each file imported in one go)
// that is lid and wid order, read straight from the tables; when it is
// not, both are read sorted by file, line and word.
struct Order {
    const char* lines;
    const char* words;
    bool sortedByFile;  // the words carry their file as column 3
};
constexpr Order kStoredOrder{"SELECT lid, oid, line_no FROM line ORDER BY lid",
                             "SELECT lid, word, word_upper FROM word ORDER BY wid", false};
constexpr Order kSortedOrder{
    "SELECT lid, oid, line_no FROM line ORDER BY oid, lid",
    "SELECT w.lid, w.word, w.word_upper, l.oid FROM word AS w JOIN line AS l ON l.lid = w.lid "
    "ORDER BY l.oid, w.lid, w.wid",
    true};

enum class Pass { Written, OutOfOrder, Stopped, Failed };

Pass WritePass(CCorpusReader& reader, const Order& order, CReplacingFile& file, std::stop_token stop,
               IJobProgress& progress, VrtCounts& counts) {
    counts = {};
    std::map<std::int64_t, std::string> files;
    {
        CStatement statement(reader, "SELECT oid, filename FROM original_file ORDER BY oid");
        while (statement.Step()) files.emplace(statement.Int(0), std::string(statement.Text(1)));
        if (statement.Failed() || !statement.Ok()) return Pass::Failed;
    }
    std::int64_t firstWid = 0, lastWid = 0;
    {
        CStatement range(reader, "SELECT (SELECT min(wid) FROM word), (SELECT max(wid) FROM word)");
        if (!range.Step()) return Pass::Failed;
        firstWid = range.Int(0);
        lastWid = range.Int(1);
    }
    CStatement lines(reader, order.lines);
    CStatement words(reader, order.words);
    if (!lines.Ok() || !words.Ok()) return Pass::Failed;

    std::string out;
    out.reserve(kChunkBytes + 4096);
    auto nextFile = files.begin();
    bool textOpen = false;
    auto openText = [&](std::map<std::int64_t, std::string>::iterator it) {
        if (textOpen) out.append("</text>\n");
        out.append("<text id=\"");
        AppendInt(out, it->first);
        out.append("\" path=\"");
        AppendXmlEscaped(out, it->second, true);
        out.append("\">\n");
        textOpen = true;
        ++counts.texts;
    };

    bool haveWord = words.Step();
    std::int64_t previousWordLid = INT64_MIN;
    std::int64_t previousLineOid = INT64_MIN;
    std::int64_t tokensSinceCheck = 0;
    while (lines.Step()) {
        const std::int64_t lid = lines.Int(0);
        const std::int64_t oid = lines.Int(1);
        if (oid < previousLineOid) return Pass::OutOfOrder;
        previousLineOid = oid;
        // Registered files up to this line's, the empty ones included.
        while (nextFile != files.end() && nextFile->first <= oid) openText(nextFile++);
        const bool registered = files.contains(oid);
        if (registered) {
            out.append("<l n=\"");
            AppendInt(out, lines.Int(2));
            out.append("\">\n");
            ++counts.lines;
        }
        // Words before this line belong to no stored line; skip them.
        while (haveWord) {
            const std::int64_t wordLid = words.Int(0);
            if (!order.sortedByFile) {
                if (wordLid < previousWordLid) return Pass::OutOfOrder;
                previousWordLid = wordLid;
                if (wordLid > lid) break;
            } else {
                const std::int64_t wordOid = words.Int(3);
                if (wordOid > oid || (wordOid == oid && wordLid > lid)) break;
            }
            if (wordLid == lid && registered) {
                AppendXmlEscaped(out, words.Text(1), false);
                out.push_back('\t');
                AppendXmlEscaped(out, words.Text(2), false);
                out.push_back('\n');
                ++counts.tokens;
            }
            haveWord = words.Step();
            if (++tokensSinceCheck == 65536) {
                tokensSinceCheck = 0;
                if (stop.stop_requested()) return Pass::Stopped;
                const std::int64_t span = lastWid - firstWid + 1;
                progress.Report(FormatInt(counts.tokens) + u" 語",
                                order.sortedByFile || span <= 0
                                    ? -1
                                    : static_cast<int>((counts.tokens * 1000) / std::max<std::int64_t>(span, 1)));
            }
        }
        if (registered) out.append("</l>\n");
        if (out.size() >= kChunkBytes) {
            if (!file.Write(out)) return Pass::Failed;
            out.clear();
        }
    }
    if (lines.Failed() || words.Failed()) return stop.stop_requested() ? Pass::Stopped : Pass::Failed;
    while (nextFile != files.end()) openText(nextFile++);
    if (textOpen) out.append("</text>\n");
    if (stop.stop_requested()) return Pass::Stopped;
    return file.Write(out) ? Pass::Written : Pass::Failed;
}

}  // namespace

void AppendXmlEscaped(std::string& out, std::string_view s, bool attribute) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            switch (c) {
                case '&': out.append("&amp;"); break;
                case '<': out.append("&lt;"); break;
                case '>': out.append("&gt;"); break;
                case '"':
                    if (attribute) out.append("&quot;");
                    else out.push_back('"');
                    break;
                case '\r': out.append("&#13;"); break;
                case '\t': out.append("&#9;"); break;
                case '\n': out.append("&#10;"); break;
                default:
                    if (c < 0x20) out.append(kReplacement);
                    else out.push_back(static_cast<char>(c));
            }
            ++i;
            continue;
        }
        // A well-formed sequence is copied; anything else is one U+FFFD per
        // byte that starts no valid sequence.
        std::size_t length = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) length = 2, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF) length = 3, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4) length = 4, cp = c & 0x07;
        bool valid = length > 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (p[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        valid = valid && !(length == 3 && cp < 0x800) && !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) &&
                !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            out.append(kReplacement);
            ++i;
            continue;
        }
        if (cp == 0xFFFE || cp == 0xFFFF) out.append(kReplacement);
        else out.append(s.substr(i, length));
        i += length;
    }
}

JobResult ExportVrt(CCorpusReader& reader, const std::u16string& path, std::stop_token stop,
                    IJobProgress& progress, VrtCounts* counts) {
    VrtCounts local;
    VrtCounts& written = counts != nullptr ? *counts : local;
    for (const Order* order : {&kStoredOrder, &kSortedOrder}) {
        CReplacingFile file(path);
        if (!file.Open()) return JobResult::Failed(file.ErrorText());
        switch (WritePass(reader, *order, file, stop, progress, written)) {
            case Pass::Written:
                if (!file.Commit()) return JobResult::Failed(file.ErrorText());
                return JobResult::Done();
            case Pass::Stopped: return JobResult::Stopped();
            case Pass::Failed:
                if (stop.stop_requested()) return JobResult::Stopped();
                return JobResult::Failed(file.ErrorText().empty() ? reader.ErrorText() : file.ErrorText());
            case Pass::OutOfOrder:
                progress.Report(u"並べ替えて書き出し中...", -1);
                break;
        }
    }
    return JobResult::Failed(u"the corpus could not be read in file order");
}

}  // namespace zorvia
