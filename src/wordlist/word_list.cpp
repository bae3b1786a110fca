#include "wordlist/word_list.h"

#include "corpus/word_rules.h"
#include "corpus/word_summary.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

std::vector<WordListRow> ReadRows(const CCorpusDatabase& db, int wordColumn, int countColumn) {
    std::vector<WordListRow> rows;
    const int n = db.GetRowCount();
    rows.reserve(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
        std::u16string key = db.GetCell(r, wordColumn);
        rows.push_back({FoldToLower(key), db.GetCellInt(r, countColumn), std::move(key)});
    }
    return rows;
}

}  // namespace

std::vector<WordListRow> QueryFrequencyTable(CCorpusDatabase& db, int limit) {
    if (QuerySummaryRanking(db, limit).has_value()) return ReadRows(db, 0, 1);
    db.Exec(u"SELECT count(word_upper), word_upper FROM word GROUP BY word_upper ORDER BY count(word_upper) DESC, "
            u"length(word_upper), word_upper LIMIT " +
            FormatInt(limit));
    return ReadRows(db, 1, 0);
}

std::vector<WordListRow> QueryWordsStartingWith(CCorpusDatabase& db, std::u16string_view prefix, int limit) {
    const std::u16string folded = FoldToUpper(prefix);
    if (QuerySummaryStartingWith(db, folded, limit).has_value()) return ReadRows(db, 0, 1);
    const std::u16string key = EscapeSqlText(folded);
    db.Exec(u"SELECT word_upper, count(word_upper) FROM word WHERE word_upper GLOB '" + key +
            u"*' GROUP BY word_upper ORDER BY count(word_upper) DESC, length(word_upper), word_upper LIMIT " +
            FormatInt(limit));
    return ReadRows(db, 0, 1);
}

bool CreateSearchIndex(CCorpusDatabase& db) { return db.Exec(u"CREATE INDEX IF NOT EXISTS word_lid ON word(lid)"); }

}  // namespace zorvia
