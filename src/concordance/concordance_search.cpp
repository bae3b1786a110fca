#include "concordance/concordance_search.h"

#include "corpus/word_rules.h"
#include "platform/text_convert.h"
#include "platform/trace.h"

namespace zorvia {

std::vector<ConcordanceHit> SearchConcordance(CCorpusDatabase& db, std::u16string_view word, int limit) {
    const std::u16string key = EscapeSqlText(FoldToUpper(word));
    db.Exec(u"SELECT wid, lid FROM word WHERE word_upper='" + key + u"' ORDER BY wid LIMIT " + FormatInt(limit));
    const int rows = db.GetRowCount();
    if (rows == 0) Trace("NO RESULT\n");
    std::vector<ConcordanceHit> hits;
    hits.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) hits.push_back(ConcordanceHit{db.GetCellInt(i, 0), db.GetCellInt(i, 1)});
    return hits;
}

namespace {

// The word one character shorter. A surrogate pair is one character: cutting
// it in half would leave a code unit that matches nothing stored.
std::u16string WithoutLastCharacter(const std::u16string& word) {
    std::size_t cut = word.size() - 1;
    if (cut > 0 && word[cut] >= 0xDC00 && word[cut] <= 0xDFFF && word[cut - 1] >= 0xD800 && word[cut - 1] <= 0xDBFF)
        --cut;
    return word.substr(0, cut);
}

}  // namespace

void RunSearchFallbacks(const std::u16string& typedWord, std::u16string& searchWord,
                        ISearchCommandTarget& target) {
    if (typedWord.empty()) return;
    searchWord = typedWord;
    target.WordListSearch(searchWord);
    if (target.ConcordanceSearch(searchWord)) return;

    Trace("con-list is empty...\n");
    if (target.WordListCount() > 0) {
        searchWord = target.WordListKey0();
        target.ConcordanceSearch(searchWord);
        return;
    }
    // Shortened once only: a miss here ends with the most frequent word that
    // begins with the shorter text, if any.
    searchWord = WithoutLastCharacter(searchWord);
    target.WordListSearch(searchWord);
    if (target.ConcordanceSearch(searchWord)) return;
    if (target.WordListCount() > 0) {
        searchWord = target.WordListKey0();
        target.ConcordanceSearch(searchWord);
    }
}

}  // namespace zorvia
