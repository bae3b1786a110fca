#include "analysis/dispersion.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "analysis/collocates.h"
#include "analysis/statistics.h"
#include "analysis/table_export.h"
#include "analysis/token_stream.h"
#include "analysis/vrt_export.h"
#include "analysis/word_counts.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

// A file's tokens as one run of wids: from the first to the last.
struct Span {
    std::int32_t oid = -1;
    std::int64_t first = 0;
    std::int64_t last = 0;
};

// The token at or after a wid, with its file.
class CTokenProbe {
public:
    CTokenProbe(CCorpusReader& reader, CLineLookup& lines)
        : m_next(reader, "SELECT wid, lid FROM word WHERE wid >= ?1 ORDER BY wid LIMIT 1"),
          m_previous(reader, "SELECT max(wid) FROM word WHERE wid < ?1"),
          m_lines(lines) {}
    // False past the last token, or on a failure.
    bool Next(std::int64_t wid, std::int64_t& found, std::int32_t& oid) {
        m_next.Reset();
        m_next.Bind(1, wid);
        if (!m_next.Step()) return false;
        found = m_next.Int(0);
        oid = m_lines.Find(m_next.Int(1)).oid;
        return true;
    }
    std::int64_t Previous(std::int64_t wid) {
        m_previous.Reset();
        m_previous.Bind(1, wid);
        return m_previous.Step() ? m_previous.Int(0) : 0;
    }
    bool Failed() const { return m_next.Failed() || m_previous.Failed() || m_lines.Failed(); }

private:
    CStatement m_next;
    CStatement m_previous;
    CLineLookup& m_lines;
};

// The wid runs of the files, found by halving the wid range wherever the file
// of the next token differs at both ends: a few look-ups per file instead
// of a pass over every token. The importer writes each file's tokens as one
// run of wids above every wid in use, so a file's tokens are exactly the
// wids of its run, less the deleted ones. Nothing when a token's line is
// missing or the files are not in oid order.
std::optional<std::vector<Span>> FindSpans(CTokenProbe& probe, std::int64_t firstWid, std::int64_t lastWid) {
    std::vector<Span> spans;
    std::int64_t found = 0;
    std::int32_t firstOid = -1, lastOid = -1;
    if (!probe.Next(firstWid, found, firstOid) || !probe.Next(lastWid, found, lastOid)) return std::nullopt;
    spans.push_back({firstOid, firstWid, 0});
    // (wid, oid of the token at or after it) at both ends of each range.
    struct Range {
        std::int64_t lo;
        std::int32_t oidLo;
        std::int64_t hi;
        std::int32_t oidHi;
    };
    std::vector<Range> todo = {{firstWid, firstOid, lastWid, lastOid}};
    while (!todo.empty()) {
        const Range r = todo.back();
        todo.pop_back();
        if (r.oidLo == r.oidHi) continue;
        if (r.oidLo < 0 || r.oidHi < 0 || r.oidLo > r.oidHi) return std::nullopt;
        if (r.hi == r.lo + 1) {
            if (!probe.Next(r.hi, found, lastOid)) return std::nullopt;
            spans.push_back({r.oidHi, found, 0});
            continue;
        }
        const std::int64_t mid = r.lo + (r.hi - r.lo) / 2;
        std::int32_t oidMid = -1;
        if (!probe.Next(mid, found, oidMid)) return std::nullopt;
        // Lower half last, so that it is taken first: spans come in wid order.
        todo.push_back({mid, oidMid, r.hi, r.oidHi});
        todo.push_back({r.lo, r.oidLo, mid, oidMid});
    }
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (spans[i].oid < 0 || (i > 0 && spans[i].oid <= spans[i - 1].oid)) return std::nullopt;
        spans[i].last = i + 1 < spans.size() ? probe.Previous(spans[i + 1].first) : lastWid;
    }
    if (probe.Failed()) return std::nullopt;
    return spans;
}

}  // namespace

JobResult RunDispersion(CCorpusReader& reader, const std::u16string& nodeText, std::stop_token stop,
                        IJobProgress& progress, CDispersionTable& table) {
    const auto node = SingleWordNode(nodeText);
    if (!node) return JobResult::Failed(u"中心語を1語で指定してください");
    CProgressPacer pacer(progress);
    pacer.Report(u"検索中...", -1);
    const auto failed = [&] { return stop.stop_requested() ? JobResult::Stopped() : JobResult::Failed(reader.ErrorText()); };

    std::vector<DispersionFile> files;
    std::unordered_map<std::int64_t, std::size_t> fileOfOid;
    {
        CStatement statement(reader, "SELECT oid, filename FROM original_file ORDER BY oid");
        while (statement.Step()) {
            fileOfOid.emplace(statement.Int(0), files.size());
            files.push_back({statement.Int(0), std::string(statement.Text(1)), 0, {}});
        }
        if (!statement.Ok() || statement.Failed()) return failed();
    }
    std::vector<std::int64_t> hits;
    {
        CStatement statement(reader, "SELECT wid FROM word WHERE word_upper = ?1 ORDER BY wid");
        statement.Bind(1, *node);
        while (statement.Step()) hits.push_back(statement.Int(0));
        if (!statement.Ok() || statement.Failed()) return failed();
    }
    std::int64_t firstWid = 0, lastWid = 0;
    {
        CStatement range(reader, "SELECT (SELECT min(wid) FROM word), (SELECT max(wid) FROM word)");
        if (!range.Step()) return failed();
        firstWid = range.Int(0);
        lastWid = range.Int(1);
    }
    const auto n = CountTokens(reader);
    if (!n) return failed();

    CLineLookup lines(reader);
    CTokenProbe probe(reader, lines);
    std::optional<std::vector<Span>> spans;
    if (*n > 0) spans = FindSpans(probe, firstWid, lastWid);
    if (stop.stop_requested()) return JobResult::Stopped();
    std::int64_t spanned = 0;
    if (spans) {
        for (const Span& span : *spans) spanned += span.last - span.first + 1;
    }
    std::vector<std::int64_t> ordinals;  // per hit, -1 outside every registered file
    std::vector<std::size_t> hitFiles;
    if (spans && spanned == *n) {
        // No token deleted inside a file: a file's tokens are its whole run.
        for (const Span& span : *spans) {
            const auto it = fileOfOid.find(span.oid);
            if (it != fileOfOid.end()) files[it->second].tokens = span.last - span.first + 1;
        }
        for (std::int64_t wid : hits) {
            const auto after = std::upper_bound(spans->begin(), spans->end(), wid,
                                                [](std::int64_t w, const Span& s) { return w < s.first; });
            const Span& span = *(after - 1);
            const auto it = fileOfOid.find(span.oid);
            hitFiles.push_back(it != fileOfOid.end() ? it->second : SIZE_MAX);
            ordinals.push_back(wid - span.first);
        }
    } else {
        // Every token in wid order, counted per file.
        CStatement tokens(reader, "SELECT wid, lid FROM word ORDER BY wid");
        std::int64_t lastLid = -1;
        std::size_t file = SIZE_MAX;
        std::size_t nextHit = 0;
        std::int64_t read = 0;
        while (tokens.Step()) {
            const std::int64_t wid = tokens.Int(0);
            if ((++read & 65535) == 0 && pacer.Due())
                pacer.Report(FormatInt(read) + u" / " + FormatInt(*n) + u" 語", Permille(read, *n));
            if (tokens.Int(1) != lastLid) {
                lastLid = tokens.Int(1);
                const auto it = fileOfOid.find(lines.Find(lastLid).oid);
                file = it != fileOfOid.end() ? it->second : SIZE_MAX;
            }
            if (file != SIZE_MAX) ++files[file].tokens;
            if (nextHit < hits.size() && hits[nextHit] == wid) {
                hitFiles.push_back(file);
                ordinals.push_back(file != SIZE_MAX ? files[file].tokens - 1 : -1);
                ++nextHit;
            }
        }
        if (!tokens.Ok() || tokens.Failed() || lines.Failed()) return failed();
    }
    for (std::size_t i = 0; i < hitFiles.size(); ++i) {
        if (hitFiles[i] == SIZE_MAX) continue;
        DispersionFile& file = files[hitFiles[i]];
        file.positions.push_back(
            static_cast<float>(static_cast<double>(ordinals[i]) / static_cast<double>(file.tokens)));
    }
    table.SetFiles(*node, std::move(files), static_cast<std::int64_t>(hits.size()));
    return JobResult::Done();
}

// --- the table -------------------------------------------------------------------------

void CDispersionTable::SetFiles(std::string node, std::vector<DispersionFile> files, std::int64_t frequency) {
    m_node = std::move(node);
    m_files = std::move(files);
    m_frequency = frequency;
    std::vector<DispersionPart> parts;
    m_filesHolding = 0;
    for (const DispersionFile& file : m_files) {
        parts.push_back({file.tokens, file.hits()});
        if (file.hits() > 0) ++m_filesHolding;
    }
    m_d = JuillandD(parts);
    SetOrder({});
}

std::string CDispersionTable::Summary() const {
    return "D=" + (m_d ? FormatDecimal(*m_d, 4) : std::string("-")) + " frequency=" + std::to_string(m_frequency) +
           " files=" + std::to_string(m_filesHolding);
}

std::vector<TableColumn> CDispersionTable::Columns() const {
    return {{u"ファイル", 360}, {u"語数", 90, true}, {u"出現数", 80, true}, {u"1万語あたり", 100, true}};
}

std::u16string CDispersionTable::CellText(std::size_t row, int column) const {
    std::vector<std::string> fields;
    ExportRow(row, fields);
    return column >= 0 && column < 4 ? Utf8ToWide(fields[static_cast<std::size_t>(column)]) : std::u16string();
}

void CDispersionTable::ExportRow(std::size_t row, std::vector<std::string>& fields) const {
    const DispersionFile& file = File(row);
    fields = {file.path, std::to_string(file.tokens), std::to_string(file.hits()),
              FormatDecimal(PerTenThousand(file.hits(), file.tokens), 2)};
}

int CDispersionTable::CompareStored(std::size_t a, std::size_t b, int column) const {
    const DispersionFile& x = m_files[a];
    const DispersionFile& y = m_files[b];
    switch (column) {
        case kPath: return x.path.compare(y.path);
        case kTokens: return CompareValues(x.tokens, y.tokens);
        case kHits: return CompareValues(x.hits(), y.hits());
        case kPerTenThousand:
            return CompareValues(PerTenThousand(x.hits(), x.tokens), PerTenThousand(y.hits(), y.tokens));
    }
    return 0;
}

// --- the plot as SVG -------------------------------------------------------------------

namespace {

constexpr int kSvgWidth = 900;
constexpr int kSvgLabelWidth = 240;
constexpr int kSvgBarWidth = kSvgWidth - kSvgLabelWidth - 16;
constexpr int kSvgTop = 40;
constexpr int kSvgRow = 22;
constexpr int kSvgBar = 14;
constexpr std::size_t kSvgLabelChars = 34;
// Marks closer than this (a tenth of a pixel) are drawn as one.
constexpr int kSvgSlots = kSvgBarWidth * 10;

// Tenths of a pixel as a coordinate: "240.3".
std::string Tenths(int tenths) { return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10); }

// At most `max` characters of UTF-8 text, an ellipsis when cut.
std::string Shortened(const std::string& text, std::size_t max) {
    std::size_t chars = 0, i = 0;
    for (; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == max) break;
    }
    return i < text.size() ? text.substr(0, i) + "\xE2\x80\xA6" : text;
}

}  // namespace

std::string DispersionSvg(const CDispersionTable& table) {
    const std::size_t rows = table.RowCount();
    const int height = kSvgTop + static_cast<int>(rows) * kSvgRow + 12;
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kSvgWidth) +
                      "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(kSvgWidth) + " " +
                      std::to_string(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n<title>";
    AppendXmlEscaped(out, table.Node(), false);
    out += "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n<text x=\"8\" y=\"22\" font-size=\"14\">";
    AppendXmlEscaped(out, table.Node(), false);
    out += "  " + table.Summary() + "</text>\n";
    for (std::size_t i = 0; i < rows; ++i) {
        const DispersionFile& file = table.File(i);
        const int y = kSvgTop + static_cast<int>(i) * kSvgRow;
        out += "<g><title>";
        AppendXmlEscaped(out, file.path + ": " + std::to_string(file.hits()), false);
        out += "</title><text x=\"8\" y=\"" + std::to_string(y + kSvgBar - 2) + "\">";
        AppendXmlEscaped(out, Shortened(WideToUtf8(FileNameOfPath(Utf8ToWide(file.path))), kSvgLabelChars), false);
        out += "</text><rect x=\"" + std::to_string(kSvgLabelWidth) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
               std::to_string(kSvgBarWidth) + "\" height=\"" + std::to_string(kSvgBar) +
               "\" fill=\"#f2f2f2\" stroke=\"#999999\"/>";
        if (!file.positions.empty()) {
            out += "<path stroke=\"#c0392b\" stroke-width=\"1\" d=\"";
            int lastSlot = -1;
            for (float position : file.positions) {
                const int slot = std::clamp(static_cast<int>(position * kSvgSlots), 0, kSvgSlots - 1);
                if (slot == lastSlot) continue;
                lastSlot = slot;
                out += "M" + Tenths(kSvgLabelWidth * 10 + slot) + " " + std::to_string(y) + "v" + std::to_string(kSvgBar);
            }
            out += "\"/>";
        }
        out += "</g>\n";
    }
    out += "</svg>\n";
    return out;
}

JobResult WriteDispersionSvg(const CDispersionTable& table, const std::u16string& path) {
    CReplacingFile file(path);
    if (!file.Open() || !file.Write(DispersionSvg(table)) || !file.Commit()) return JobResult::Failed(file.ErrorText());
    return JobResult::Done();
}

}  // namespace zorvia
