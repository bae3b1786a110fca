#include "analysis/keywords.h"

#include <algorithm>

#include "analysis/statistics.h"
#include "analysis/word_counts.h"
#include "corpus/database_files.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

constexpr const char* kColumnNames[] = {"word_upper", "O1", "O2", "LL", "log_ratio"};

// Every word of a corpus with its count, in text order; progress runs from
// `from` to `to` permille as the tokens are counted.
JobResult ReadCounts(CCorpusReader& reader, std::stop_token stop, CProgressPacer& pacer, const std::u16string& what,
                     int from, int to, std::vector<WordFrequency>& counts, std::int64_t& n) {
    pacer.Report(what, from);
    CWordFrequencies frequencies(reader);
    const auto total = frequencies.Total();
    if (!total) return stop.stop_requested() ? JobResult::Stopped() : JobResult::Failed(reader.ErrorText());
    n = *total;
    return frequencies.AllWords(stop, [&](std::int64_t counted) {
        if (pacer.Due())
            pacer.Report(what + u" " + FormatInt(counted) + u" / " + FormatInt(*total) + u" 語",
                         from + static_cast<int>((to - from) * counted / std::max<std::int64_t>(1, *total)));
    }, counts);
}

}  // namespace

std::optional<std::u16string> ReferenceCorpusProblem(const std::u16string& path) {
    const CorpusFileProbe probe = ProbeCorpusFile(path);
    switch (probe.state) {
        case CorpusFileState::Corpus: return std::nullopt;
        case CorpusFileState::Missing: return u"参照コーパスのファイルがありません: " + path;
        case CorpusFileState::Locked: return u"参照コーパスのファイルは別のプログラムが使用中です: " + path;
        default: break;
    }
    std::u16string text = u"参照コーパスのファイルはコーパスデータベースではありません: " + path;
    if (!probe.errorText.empty()) text += u" (" + probe.errorText + u")";
    return text;
}

JobResult RunKeywords(CCorpusReader& target, CCorpusReader& reference, const KeywordRequest& request,
                      std::stop_token stop, IJobProgress& progress, CKeywordTable& table) {
    CProgressPacer pacer(progress);
    std::vector<WordFrequency> first, second;
    std::int64_t n1 = 0, n2 = 0;
    if (JobResult read = ReadCounts(target, stop, pacer, u"対象コーパスの単語を数えています...", 0, 700, first, n1);
        !read.done())
        return read;
    if (JobResult read = ReadCounts(reference, stop, pacer, u"参照コーパスの単語を数えています...", 700, 950, second, n2);
        !read.done())
        return read;
    pacer.Report(u"比べています...", 950);

    // Both lists come in text order: one merge finds every word of either.
    std::vector<KeywordRow> rows;
    const auto consider = [&](const std::string& word, std::int64_t o1, std::int64_t o2) {
        const int side = CompareRates(o1, n1, o2, n2);
        if (side == 0 || (side > 0) == request.negative) return;
        const double ll = KeywordLogLikelihood(o1, n1, o2, n2);
        if (ll < request.minLl) return;
        rows.push_back({word, o1, o2, ll, KeywordLogRatio(o1, n1, o2, n2)});
    };
    std::size_t i = 0, j = 0;
    while (i < first.size() || j < second.size()) {
        if (stop.stop_requested()) return JobResult::Stopped();
        if (j == second.size() || (i < first.size() && first[i].word < second[j].word)) {
            consider(first[i].word, first[i].count, 0);
            ++i;
        } else if (i == first.size() || second[j].word < first[i].word) {
            consider(second[j].word, 0, second[j].count);
            ++j;
        } else {
            consider(first[i].word, first[i].count, second[j].count);
            ++i;
            ++j;
        }
    }
    table.targetTokens = n1;
    table.referenceTokens = n2;
    table.SetRows(std::move(rows));
    return JobResult::Done();
}

// --- the table -------------------------------------------------------------------------

void CKeywordTable::SetRows(std::vector<KeywordRow> rows) {
    std::sort(rows.begin(), rows.end(), [](const KeywordRow& a, const KeywordRow& b) {
        if (a.ll != b.ll) return a.ll > b.ll;
        return a.word < b.word;
    });
    m_rows = std::move(rows);
    SetOrder({});
}

std::vector<TableColumn> CKeywordTable::Columns() const {
    return {{u"特徴語", 160}, {u"O1", 80, true}, {u"O2", 80, true}, {u"LL", 96, true}, {u"log_ratio", 96, true}};
}

std::u16string CKeywordTable::CellText(std::size_t row, int column) const {
    std::vector<std::string> fields;
    ExportRow(row, fields);
    return column >= 0 && column < kColumnCount ? Utf8ToWide(fields[static_cast<std::size_t>(column)])
                                                : std::u16string();
}

std::vector<std::string> CKeywordTable::ExportHeader() const {
    return std::vector<std::string>(std::begin(kColumnNames), std::end(kColumnNames));
}

void CKeywordTable::ExportRow(std::size_t row, std::vector<std::string>& fields) const {
    const KeywordRow& r = Row(row);
    fields = {r.word, std::to_string(r.o1), std::to_string(r.o2), FormatDecimal(r.ll, 4), FormatDecimal(r.logRatio, 4)};
}

int CKeywordTable::CompareStored(std::size_t a, std::size_t b, int column) const {
    const KeywordRow& x = m_rows[a];
    const KeywordRow& y = m_rows[b];
    switch (column) {
        case kWord: return x.word.compare(y.word);
        case kO1: return CompareValues(x.o1, y.o1);
        case kO2: return CompareValues(x.o2, y.o2);
        case kLl: return CompareValues(x.ll, y.ll);
        case kLogRatio: return CompareValues(x.logRatio, y.logRatio);
    }
    return 0;
}

}  // namespace zorvia
