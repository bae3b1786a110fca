#include "analysis/kwic.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <numeric>

#include "analysis/token_stream.h"
#include "corpus/word_rule.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

using Clock = std::chrono::steady_clock;

// The first batch goes out as soon as a window's worth of rows is there;
// later ones at most this often, or when this large.
constexpr std::size_t kFirstBatchRows = 64;
constexpr auto kBatchInterval = std::chrono::milliseconds(150);
constexpr std::size_t kMaxBatchRows = 1 << 16;

bool IsGlobCharacter(char16_t c) { return c == u'*' || c == u'?' || c == u'['; }

// Whether a token's key matches one part of the node, remembered per key.
class PartMatcher {
public:
    PartMatcher(std::string part, bool pattern) : m_part(std::move(part)), m_pattern(pattern) {}
    bool Matches(const CTextIds& uppers, std::int32_t upper) {
        if (static_cast<std::size_t>(upper) >= m_known.size()) m_known.resize(uppers.size(), kUnknown);
        std::int8_t& known = m_known[static_cast<std::size_t>(upper)];
        if (known == kUnknown) {
            const std::string& text = uppers.Text(upper);
            known = m_pattern ? sqlite3_strglob(m_part.c_str(), text.c_str()) == 0 : text == m_part;
        }
        return known == 1;
    }

private:
    static constexpr std::int8_t kUnknown = -1;
    std::string m_part;
    bool m_pattern;
    std::vector<std::int8_t> m_known;
};

}  // namespace

// --- keys and node -----------------------------------------------------------------

std::optional<std::vector<KwicSortKey>> ParseKwicSortKeys(std::string_view text) {
    std::vector<KwicSortKey> keys;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view name = text.substr(start, comma - start);
        start = comma + 1;
        if (name.empty()) return std::nullopt;
        const char head = static_cast<char>(name[0] & ~0x20);  // upper case for letters
        KwicSortKey key;
        if (name.size() == 1 && (head == 'K' || head == 'F')) {
            key.kind = head == 'K' ? KwicSortKey::Kind::Node : KwicSortKey::Kind::File;
        } else if ((head == 'L' || head == 'R') && name.size() >= 2 && name.size() <= 3) {
            int distance = 0;
            for (char c : name.substr(1)) {
                if (c < '0' || c > '9') return std::nullopt;
                distance = distance * 10 + (c - '0');
            }
            if (distance < 1 || distance > kMaxKwicReach || name[1] == '0') return std::nullopt;
            key.kind = head == 'L' ? KwicSortKey::Kind::Left : KwicSortKey::Kind::Right;
            key.distance = distance;
        } else {
            return std::nullopt;
        }
        keys.push_back(key);
        if (comma == text.size()) break;
    }
    return keys;
}

std::string KwicSortKeyName(const KwicSortKey& key) {
    switch (key.kind) {
        case KwicSortKey::Kind::Left: return "L" + std::to_string(key.distance);
        case KwicSortKey::Kind::Right: return "R" + std::to_string(key.distance);
        case KwicSortKey::Kind::Node: return "K";
        case KwicSortKey::Kind::File: return "F";
    }
    return {};
}

KwicNode ParseKwicNode(std::u16string_view node) {
    KwicNode parsed;
    std::size_t i = 0;
    while (i < node.size()) {
        while (i < node.size() && (node[i] == u' ' || node[i] == u'\t' || node[i] == u'\u3000')) ++i;
        const std::size_t start = i;
        while (i < node.size() && node[i] != u' ' && node[i] != u'\t' && node[i] != u'\u3000') ++i;
        if (i == start) break;
        const std::u16string_view part = node.substr(start, i - start);
        parsed.parts.push_back(WideToUtf8(FoldToUpper(part)));
        parsed.isPattern.push_back(std::any_of(part.begin(), part.end(), IsGlobCharacter));
    }
    return parsed;
}

std::u16string NodeInWordsOf(CWordRule& rule, std::u16string_view node) {
    if (rule.IsSeparators()) return std::u16string(node);
    std::u16string out;
    auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; };
    std::size_t i = 0;
    while (i < node.size()) {
        while (i < node.size() && isBlank(node[i])) ++i;
        const std::size_t start = i;
        while (i < node.size() && !isBlank(node[i])) ++i;
        if (i == start) break;
        const std::u16string_view part = node.substr(start, i - start);
        std::vector<std::u16string> words;
        // A pattern stays whole: its wildcards are not text to cut. So does
        // a part whose words cannot be cut now.
        if (std::none_of(part.begin(), part.end(), IsGlobCharacter)) words = rule.SplitWords(part);
        if (words.empty()) words.emplace_back(part);
        for (const std::u16string& word : words) {
            if (!out.empty()) out += u' ';
            out += word;
        }
    }
    return out;
}

// --- the run -------------------------------------------------------------------------

JobResult RunKwic(CCorpusReader& reader, const KwicRequest& request, std::stop_token stop, IKwicSink& sink,
                  IJobProgress& progress) {
    const KwicNode node = ParseKwicNode(request.node);
    if (node.size() == 0) return JobResult::Failed(u"中心語がありません");
    const int n = static_cast<int>(node.size());
    const int context = std::clamp(request.context, 0, kMaxKwicReach);
    int before = context, after = context;
    for (const KwicSortKey& key : request.keys) {
        if (key.kind == KwicSortKey::Kind::Left) before = std::max(before, key.distance);
        if (key.kind == KwicSortKey::Kind::Right) after = std::max(after, key.distance);
    }
    // The part whose occurrences are looked up: the first exact one, whose
    // index hands its occurrences over in wid order.
    int anchor = 0;
    for (int k = 0; k < n; ++k) {
        if (!node.isPattern[static_cast<std::size_t>(k)]) {
            anchor = k;
            break;
        }
    }
    const bool anchorIsPattern = node.isPattern[static_cast<std::size_t>(anchor)];
    const int reachBefore = before + anchor;
    const int reachAfter = after + (n - 1 - anchor);

    CWordForms forms;
    CLineLookup lines(reader);
    CTokenWindows windows(reader, forms, lines, reachBefore, reachAfter);
    CStatement candidates(reader, anchorIsPattern ? "SELECT wid FROM word WHERE word_upper GLOB ?1"
                                                  : "SELECT wid FROM word WHERE word_upper = ?1 ORDER BY wid");
    CStatement filePath(reader, "SELECT filename FROM original_file WHERE oid = ?1");
    if (!candidates.Ok() || !filePath.Ok()) return JobResult::Failed(reader.ErrorText());
    candidates.Bind(1, node.parts[static_cast<std::size_t>(anchor)]);

    // A pattern's index range is ordered by key, not by wid: collect first.
    std::vector<std::int64_t> patternWids;
    if (anchorIsPattern) {
        progress.Report(u"検索中...", -1);
        while (candidates.Step()) patternWids.push_back(candidates.Int(0));
        if (stop.stop_requested()) return JobResult::Stopped();
        if (candidates.Failed()) return JobResult::Failed(reader.ErrorText());
        std::sort(patternWids.begin(), patternWids.end());
    }
    std::size_t nextPatternWid = 0;
    auto nextCandidate = [&](std::int64_t& wid) {
        if (anchorIsPattern) {
            if (nextPatternWid == patternWids.size()) return false;
            wid = patternWids[nextPatternWid++];
            return true;
        }
        if (!candidates.Step()) return false;
        wid = candidates.Int(0);
        return true;
    };

    std::vector<PartMatcher> matchers;
    for (int k = 0; k < n; ++k)
        matchers.emplace_back(node.parts[std::size_t(k)], node.isPattern[std::size_t(k)]);

    const std::size_t keyCount = request.keys.size();
    std::vector<std::int32_t> keyValues;  // per hit and key: an upper id, node key id or oid
    std::vector<std::int64_t> wids;
    CTextIds nodeKeys;                    // the node's keys joined by spaces, for phrases
    std::map<std::int32_t, std::string> paths;

    KwicBatch batch;
    std::size_t formsSent = 0;
    std::size_t rows = 0;
    auto lastBatch = Clock::now();
    auto flush = [&] {
        for (; formsSent < forms.size(); ++formsSent)
            batch.newForms.push_back(forms.Word(static_cast<std::int32_t>(formsSent)));
        rows += batch.hits.size();
        sink.OnRows(std::move(batch));
        batch = KwicBatch{};
        lastBatch = Clock::now();
        progress.Report(FormatInt(static_cast<std::int64_t>(rows)) + u" 件", -1);
    };

    TokenWindow window;
    std::int64_t wid = 0;
    std::string joined;
    while (nextCandidate(wid)) {
        if (stop.stop_requested()) return JobResult::Stopped();
        if (!windows.Read(wid, window)) {
            if (windows.Failed()) break;
            continue;
        }
        // Token of node part k: index reachBefore + (k - anchor) of the window.
        const auto at = [&](int offsetFromFirst) -> const Token& {
            return window.tokens[static_cast<std::size_t>(reachBefore - anchor + offsetFromFirst)];
        };
        bool match = true;
        for (int k = 0; k < n && match; ++k) {
            if (k == anchor) continue;
            const Token& t = at(k);
            match = t.form >= 0 && matchers[std::size_t(k)].Matches(forms.Uppers(), forms.Upper(t.form));
        }
        if (!match) continue;

        const Token& first = at(0);
        KwicHit hit{first.wid, first.lid, window.line.oid, window.line.lineNo};
        if (first.lid != window.lid) {
            const LineInfo info = lines.Find(first.lid);
            hit.oid = info.oid;
            hit.lineNo = info.lineNo;
        }
        if (!paths.contains(hit.oid)) {
            std::string path;
            filePath.Reset();
            filePath.Bind(1, std::int64_t{hit.oid});
            if (filePath.Step()) path = filePath.Text(0);
            if (filePath.Failed()) break;
            batch.newFiles.emplace_back(hit.oid, path);
            paths.emplace(hit.oid, std::move(path));
        }
        batch.hits.push_back(hit);
        for (int p = -context; p < n + context; ++p) batch.tokens.push_back(at(p).form);

        if (keyCount > 0) {
            wids.push_back(hit.wid);
            for (const KwicSortKey& key : request.keys) {
                std::int32_t value = -1;
                if (key.kind == KwicSortKey::Kind::File) {
                    value = hit.oid;
                } else if (key.kind == KwicSortKey::Kind::Node) {
                    if (n == 1) {
                        value = forms.Upper(first.form);
                    } else {
                        joined.clear();
                        for (int k = 0; k < n; ++k) {
                            if (k > 0) joined.push_back(' ');
                            joined += forms.Uppers().Text(forms.Upper(at(k).form));
                        }
                        value = nodeKeys.Intern(joined);
                    }
                } else {
                    const Token& t = key.kind == KwicSortKey::Kind::Left ? at(-key.distance) : at(n - 1 + key.distance);
                    value = t.form >= 0 ? forms.Upper(t.form) : -1;
                }
                keyValues.push_back(value);
            }
        }
        if ((rows == 0 && batch.hits.size() >= kFirstBatchRows) || batch.hits.size() >= kMaxBatchRows ||
            (rows > 0 && Clock::now() - lastBatch >= kBatchInterval))
            flush();
    }
    if (stop.stop_requested() || reader.StopRequested()) return JobResult::Stopped();
    if (candidates.Failed() || windows.Failed() || filePath.Failed()) return JobResult::Failed(reader.ErrorText());
    flush();
    if (keyCount == 0 || wids.empty()) return JobResult::Done();

    progress.Report(FormatInt(static_cast<std::int64_t>(rows)) + u" 件を並べ替え中...", -1);
    // Every key becomes a rank in text order, so that sorting compares
    // integers; a missing token (-1) comes before every word.
    const std::vector<std::int32_t> upperRanks = forms.Uppers().Ranks();
    const std::vector<std::int32_t> nodeRanks = n == 1 ? upperRanks : nodeKeys.Ranks();
    std::map<std::int32_t, std::int32_t> fileRanks;
    {
        std::vector<std::pair<std::string, std::int32_t>> byPath;
        for (const auto& [oid, path] : paths) byPath.emplace_back(path, oid);
        std::sort(byPath.begin(), byPath.end());
        for (std::size_t r = 0; r < byPath.size(); ++r)
            fileRanks[byPath[r].second] = static_cast<std::int32_t>(r);
    }
    for (std::size_t i = 0; i < wids.size(); ++i) {
        for (std::size_t k = 0; k < keyCount; ++k) {
            std::int32_t& value = keyValues[i * keyCount + k];
            switch (request.keys[k].kind) {
                case KwicSortKey::Kind::File: value = fileRanks[value]; break;
                case KwicSortKey::Kind::Node: value = nodeRanks[static_cast<std::size_t>(value)]; break;
                default: value = value >= 0 ? upperRanks[static_cast<std::size_t>(value)] : -1; break;
            }
        }
    }
    if (stop.stop_requested()) return JobResult::Stopped();
    std::vector<std::uint32_t> order(wids.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::int32_t* ka = &keyValues[a * keyCount];
        const std::int32_t* kb = &keyValues[b * keyCount];
        for (std::size_t k = 0; k < keyCount; ++k)
            if (ka[k] != kb[k]) return ka[k] < kb[k];
        return wids[a] < wids[b];
    });
    if (stop.stop_requested()) return JobResult::Stopped();
    sink.OnOrder(std::move(order));
    return JobResult::Done();
}

// --- the table -------------------------------------------------------------------------

CKwicTable::CKwicTable(int context, int nodeLength)
    : m_context(context), m_nodeLength(nodeLength), m_stride(2 * context + nodeLength) {}

void CKwicTable::OnRows(KwicBatch batch) {
    m_hits.insert(m_hits.end(), batch.hits.begin(), batch.hits.end());
    m_tokens.insert(m_tokens.end(), batch.tokens.begin(), batch.tokens.end());
    for (std::string& form : batch.newForms) m_forms.push_back(std::move(form));
    for (auto& [oid, path] : batch.newFiles) m_files[oid] = std::move(path);
}

void CKwicTable::OnOrder(std::vector<std::uint32_t> order) {
    if (order.size() == m_hits.size()) m_order = std::move(order);
}

std::vector<TableColumn> CKwicTable::Columns() const {
    return {{u"No.", 64, true, false},
            {u"左文脈", 320, true, true, false},
            {u"中心語", 110, false, false},
            {u"右文脈", 320, false, false, false},
            {u"ファイル", 120, false, false},
            {u"行", 56, true, false}};
}

std::string CKwicTable::Join(std::size_t hit, int from, int to) const {
    std::string out;
    const std::int32_t* tokens = &m_tokens[hit * static_cast<std::size_t>(m_stride)];
    for (int i = from; i < to; ++i) {
        if (tokens[i] < 0) continue;
        if (!out.empty()) out.push_back(' ');
        out += m_forms[static_cast<std::size_t>(tokens[i])];
    }
    return out;
}

std::string CKwicTable::LeftText(std::size_t row) const { return Join(HitIndex(row), 0, m_context); }
std::string CKwicTable::NodeText(std::size_t row) const {
    return Join(HitIndex(row), m_context, m_context + m_nodeLength);
}
std::string CKwicTable::RightText(std::size_t row) const {
    return Join(HitIndex(row), m_context + m_nodeLength, m_stride);
}

std::string CKwicTable::Word(std::size_t row, int position) const {
    int index = 0;
    if (position < 0) index = m_context + position;
    else if (position == 0) index = m_context;
    else index = m_context + m_nodeLength - 1 + position;
    if (index < 0 || index >= m_stride) return {};
    const std::int32_t form = m_tokens[HitIndex(row) * static_cast<std::size_t>(m_stride) + std::size_t(index)];
    return form >= 0 ? m_forms[static_cast<std::size_t>(form)] : std::string();
}

const std::string& CKwicTable::FilePath(std::int32_t oid) const {
    static const std::string kNone;
    const auto it = m_files.find(oid);
    return it != m_files.end() ? it->second : kNone;
}

std::u16string CKwicTable::CellText(std::size_t row, int column) const {
    const KwicHit& hit = Hit(row);
    switch (column) {
        case kNumber: return FormatInt(static_cast<std::int64_t>(row) + 1);
        case kLeft: return Utf8ToWide(LeftText(row));
        case kNode: return Utf8ToWide(NodeText(row));
        case kRight: return Utf8ToWide(RightText(row));
        case kFile: return FileNameOfPath(Utf8ToWide(FilePath(hit.oid)));
        case kLine: return FormatInt(std::int64_t{hit.lineNo} + 1);
    }
    return {};
}

std::vector<std::string> CKwicTable::ExportHeader() const { return {"wid", "file", "line_no", "left", "node", "right"}; }

void CKwicTable::ExportRow(std::size_t row, std::vector<std::string>& fields) const {
    const KwicHit& hit = Hit(row);
    fields.resize(6);
    fields[0] = std::to_string(hit.wid);
    fields[1] = FilePath(hit.oid);
    fields[2] = std::to_string(hit.lineNo);
    fields[3] = LeftText(row);
    fields[4] = NodeText(row);
    fields[5] = RightText(row);
}

}  // namespace zorvia
