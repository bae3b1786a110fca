#include "analysis/list_exports.h"

#include "concordance/hit_lookups.h"
#include "concordance/kwic_item.h"
#include "corpus/word_rules.h"
#include "platform/text_convert.h"

namespace zorvia {

CTextTable MakeWordListTable() { return CTextTable({{u"WORD", 120}, {u"回数", 60, true}}, {"word", "count"}); }

JobResult LoadCompleteWordList(CCorpusReader& reader, std::stop_token stop, CTextTable& table) {
    CStatement statement(reader,
                         "SELECT word_upper, count(word_upper) FROM word GROUP BY word_upper "
                         "ORDER BY count(word_upper) DESC, length(word_upper), word_upper");
    while (statement.Step()) {
        table.AddRow({WideToUtf8(FoldToLower(Utf8ToWide(statement.Text(0)))), std::to_string(statement.Int(1))});
    }
    if (stop.stop_requested()) return JobResult::Stopped();
    if (statement.Failed() || !statement.Ok()) return JobResult::Failed(reader.ErrorText());
    return JobResult::Done();
}

CTextTable MakeConcordanceTable() {
    return CTextTable({{u"wid", 80, true},
                       {u"file", 200},
                       {u"line_no", 60, true},
                       {u"left", 300, true, true},
                       {u"node", 100},
                       {u"right", 300}},
                      {"wid", "file", "line_no", "left", "node", "right"});
}

std::optional<std::vector<std::string>> ConcordanceRowFields(CCorpusDatabase& db, ConcordanceHit& hit,
                                                            LineCache& cache, const std::u16string& searchWord,
                                                            int index) {
    const auto text = PrepareKwicItem(db, hit, cache, searchWord, index);
    if (!text) return std::nullopt;
    return std::vector<std::string>{std::to_string(hit.wid),
                                    WideToUtf8(LookupFilePath(db, hit.oid)),
                                    std::to_string(hit.line_no),
                                    WideToUtf8(text->left),
                                    WideToUtf8(text->key),
                                    WideToUtf8(text->right)};
}

JobResult LoadConcordanceList(const std::u16string& corpusPath, std::vector<ConcordanceHit> hits,
                              const std::u16string& searchWord, std::stop_token stop, IJobProgress& progress,
                              CTextTable& table) {
    CCorpusDatabase db;
    if (!db.OpenReadOnly(corpusPath)) return JobResult::Failed(db.GetErrorText());
    LineCache cache;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        if (stop.stop_requested()) return JobResult::Stopped();
        if (auto fields = ConcordanceRowFields(db, hits[i], cache, searchWord, static_cast<int>(i)))
            table.AddRow(std::move(*fields));
        if (i % 1024 == 1023) {
            cache.clear();
            progress.Report(FormatInt(static_cast<std::int64_t>(i + 1)) + u" / " +
                                FormatInt(static_cast<std::int64_t>(hits.size())),
                            static_cast<int>((i + 1) * 1000 / hits.size()));
        }
    }
    return JobResult::Done();
}

}  // namespace zorvia
