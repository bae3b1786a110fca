#include "analysis/collocates.h"

#include <algorithm>
#include <deque>
#include <numeric>

#include "analysis/kwic.h"
#include "analysis/token_stream.h"
#include "analysis/word_counts.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

constexpr const char* kColumnNames[] = {"word_upper", "O", "O_L", "O_R", "f(c)", "MI", "T", "LL", "logDice"};

// The positions of the window area not yet counted, in wid order. Windows
// come in the order of their occurrences, and each starts no earlier than
// the one before, so a position can be counted once no later window can
// reach it.
class CWindowArea {
public:
    enum Side : std::uint8_t { kLeft = 1, kRight = 2 };

    void Add(std::int64_t wid, std::int32_t upper, Side side) {
        if (m_pending.empty() || wid > m_pending.back().wid) {
            m_pending.push_back({wid, upper, side});
            return;
        }
        const auto at = std::lower_bound(m_pending.begin(), m_pending.end(), wid,
                                         [](const Position& p, std::int64_t target) { return p.wid < target; });
        if (at != m_pending.end() && at->wid == wid) at->sides |= side;
        else m_pending.insert(at, {wid, upper, side});  // only where a file's tokens are not in one wid run
    }
    // Counts every position before `wid`.
    void CountBefore(std::int64_t wid) {
        while (!m_pending.empty() && m_pending.front().wid < wid) {
            Count(m_pending.front());
            m_pending.pop_front();
        }
    }
    void CountAll() { CountBefore(INT64_MAX); }

    std::int64_t w = 0;
    std::vector<std::int64_t> o, oLeft, oRight;  // by upper id

private:
    struct Position {
        std::int64_t wid;
        std::int32_t upper;
        std::uint8_t sides;
    };
    void Count(const Position& p) {
        const auto u = static_cast<std::size_t>(p.upper);
        if (u >= o.size()) {
            o.resize(u + 1024);
            oLeft.resize(u + 1024);
            oRight.resize(u + 1024);
        }
        ++w;
        ++o[u];
        if (p.sides & kLeft) ++oLeft[u];
        if (p.sides & kRight) ++oRight[u];
    }
    std::deque<Position> m_pending;
};

}  // namespace

std::optional<std::string> SingleWordNode(std::u16string_view node) {
    const KwicNode parsed = ParseKwicNode(node);
    if (parsed.size() != 1) return std::nullopt;
    return parsed.parts[0];
}

std::optional<int> CollocateColumnByName(std::string_view name) {
    for (int c = 0; c < CCollocateTable::kColumnCount; ++c)
        if (name == kColumnNames[c]) return c;
    return std::nullopt;
}

JobResult RunCollocates(CCorpusReader& reader, const CollocateRequest& request, std::stop_token stop,
                        IJobProgress& progress, CCollocateTable& table) {
    const auto node = SingleWordNode(request.node);
    if (!node) return JobResult::Failed(u"中心語を1語で指定してください");
    const int left = std::clamp(request.left, 0, kMaxCollocateSpan);
    const int right = std::clamp(request.right, 0, kMaxCollocateSpan);
    if (left + right == 0) return JobResult::Failed(u"範囲が空です");
    CProgressPacer pacer(progress);
    pacer.Report(u"検索中...", -1);

    std::vector<std::int64_t> hits;
    {
        CStatement statement(reader, "SELECT wid FROM word WHERE word_upper = ?1 ORDER BY wid");
        statement.Bind(1, *node);
        while (statement.Step()) hits.push_back(statement.Int(0));
        if (stop.stop_requested()) return JobResult::Stopped();
        if (!statement.Ok() || statement.Failed()) return JobResult::Failed(reader.ErrorText());
    }
    CWordFrequencies frequencies(reader);
    const auto n = frequencies.Total();
    if (!n) return stop.stop_requested() ? JobResult::Stopped() : JobResult::Failed(reader.ErrorText());

    CWordForms forms;
    CLineLookup lines(reader);
    CTokenWindows windows(reader, forms, lines, left, right);
    CWindowArea area;
    TokenWindow window;
    std::int32_t nodeUpper = -1;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        if (stop.stop_requested()) return JobResult::Stopped();
        if (pacer.Due())
            pacer.Report(FormatInt(static_cast<std::int64_t>(i)) + u" / " +
                             FormatInt(static_cast<std::int64_t>(hits.size())) + u" 件",
                         Permille(static_cast<std::int64_t>(i), static_cast<std::int64_t>(hits.size())) * 9 / 10);
        if (!windows.Read(hits[i], window)) {
            if (windows.Failed()) return JobResult::Failed(reader.ErrorText());
            continue;
        }
        const Token& anchor = window.tokens[static_cast<std::size_t>(left)];
        if (nodeUpper < 0) nodeUpper = forms.Upper(anchor.form);
        std::int64_t start = anchor.wid;
        for (int k = 0; k < left; ++k) {
            if (window.tokens[static_cast<std::size_t>(k)].form >= 0) {
                start = window.tokens[static_cast<std::size_t>(k)].wid;
                break;
            }
        }
        area.CountBefore(start);
        for (int k = 0; k < left + 1 + right; ++k) {
            const Token& t = window.tokens[static_cast<std::size_t>(k)];
            if (k == left || t.form < 0) continue;
            const std::int32_t upper = forms.Upper(t.form);
            if (upper == nodeUpper) continue;
            area.Add(t.wid, upper, k < left ? CWindowArea::kLeft : CWindowArea::kRight);
        }
    }
    area.CountAll();

    // f(c) of every word of the area, looked up in text order.
    std::vector<std::int32_t> words;
    for (std::size_t u = 0; u < area.o.size(); ++u)
        if (area.o[u] >= std::max<std::int64_t>(1, request.minO)) words.push_back(static_cast<std::int32_t>(u));
    const CTextIds& uppers = forms.Uppers();
    std::sort(words.begin(), words.end(),
              [&](std::int32_t a, std::int32_t b) { return uppers.Text(a) < uppers.Text(b); });
    std::vector<CollocateRow> rows;
    rows.reserve(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (stop.stop_requested()) return JobResult::Stopped();
        if (pacer.Due())
            pacer.Report(u"頻度を数えています... " + FormatInt(static_cast<std::int64_t>(i)) + u" / " +
                             FormatInt(static_cast<std::int64_t>(words.size())) + u" 語",
                         900 + Permille(static_cast<std::int64_t>(i), static_cast<std::int64_t>(words.size())) / 10);
        const auto u = static_cast<std::size_t>(words[i]);
        const auto fc = frequencies.Count(uppers.Text(words[i]));
        if (!fc) return stop.stop_requested() ? JobResult::Stopped() : JobResult::Failed(reader.ErrorText());
        CollocateRow row{uppers.Text(words[i]), area.o[u], area.oLeft[u], area.oRight[u], *fc, {}};
        row.scores = ScoreCollocate({row.o, row.fc, static_cast<std::int64_t>(hits.size()), area.w, *n});
        rows.push_back(std::move(row));
    }
    table.nodeFrequency = static_cast<std::int64_t>(hits.size());
    table.windowArea = area.w;
    table.corpusTokens = *n;
    table.SetRows(std::move(rows));
    return JobResult::Done();
}

// --- the table -------------------------------------------------------------------------

void CCollocateTable::SetRows(std::vector<CollocateRow> rows) {
    std::sort(rows.begin(), rows.end(), [](const CollocateRow& a, const CollocateRow& b) {
        if (a.scores.ll != b.scores.ll) return a.scores.ll > b.scores.ll;
        if (a.o != b.o) return a.o > b.o;
        return a.word < b.word;
    });
    m_rows = std::move(rows);
    SetOrder({});
}

std::vector<TableColumn> CCollocateTable::Columns() const {
    std::vector<TableColumn> columns = {{u"共起語", 140}};
    for (int c = kO; c < kColumnCount; ++c) columns.push_back({AsciiToWide(kColumnNames[c]), 72, true});
    return columns;
}

std::string CCollocateTable::Field(const CollocateRow& row, int column) const {
    switch (column) {
        case kWord: return row.word;
        case kO: return std::to_string(row.o);
        case kOLeft: return std::to_string(row.oLeft);
        case kORight: return std::to_string(row.oRight);
        case kFc: return std::to_string(row.fc);
        case kMi: return FormatDecimal(row.scores.mi, 4);
        case kT: return FormatDecimal(row.scores.t, 4);
        case kLl: return FormatDecimal(row.scores.ll, 4);
        case kLogDice: return FormatDecimal(row.scores.logDice, 4);
    }
    return {};
}

std::u16string CCollocateTable::CellText(std::size_t row, int column) const {
    return Utf8ToWide(Field(Row(row), column));
}

std::vector<std::string> CCollocateTable::ExportHeader() const {
    return std::vector<std::string>(std::begin(kColumnNames), std::end(kColumnNames));
}

void CCollocateTable::ExportRow(std::size_t row, std::vector<std::string>& fields) const {
    fields.resize(kColumnCount);
    for (int c = 0; c < kColumnCount; ++c) fields[static_cast<std::size_t>(c)] = Field(Row(row), c);
}

int CCollocateTable::CompareStored(std::size_t a, std::size_t b, int column) const {
    const CollocateRow& x = m_rows[a];
    const CollocateRow& y = m_rows[b];
    switch (column) {
        case kWord: return x.word.compare(y.word);
        case kO: return CompareValues(x.o, y.o);
        case kOLeft: return CompareValues(x.oLeft, y.oLeft);
        case kORight: return CompareValues(x.oRight, y.oRight);
        case kFc: return CompareValues(x.fc, y.fc);
        case kMi: return CompareValues(x.scores.mi, y.scores.mi);
        case kT: return CompareValues(x.scores.t, y.scores.t);
        case kLl: return CompareValues(x.scores.ll, y.scores.ll);
        case kLogDice: return CompareValues(x.scores.logDice, y.scores.logDice);
    }
    return 0;
}

}  // namespace zorvia
