// The concordance search: one word into the hit list, and the fallbacks of
// the search command when the typed word itself occurs nowhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "concordance/concordance_hit.h"
#include "corpus/corpus_database.h"

namespace zorvia {

// The stored occurrences of `word` (any case; it is folded), at most `limit`
// of them, in ascending wid, which is reading order. The hits carry wid and
// lid only. A failing statement gives the rows delivered before the failure,
// usually none.
std::vector<ConcordanceHit> SearchConcordance(CCorpusDatabase& db, std::u16string_view word, int limit);

// What the search command drives: the word list's prefix search and the
// concordance search of the main window.
class ISearchCommandTarget {
public:
    virtual ~ISearchCommandTarget() = default;
    // Refills the word list with the most frequent words beginning with
    // `prefix`.
    virtual void WordListSearch(const std::u16string& prefix) = 0;
    virtual int WordListCount() = 0;
    // The stored key (word_upper) of the first row of the word list.
    virtual std::u16string WordListKey0() = 0;
    // Replaces the hit list with the hits of `word`; true when there is one.
    virtual bool ConcordanceSearch(const std::u16string& word) = 0;
};

// The search command for a non-empty typed word: the prefix search and the
// concordance of the word; when that finds nothing, the most frequent word
// beginning with it; failing that, the word one character shorter, or the
// most frequent word beginning with the shorter one. `searchWord` ends as
// the word last handed to the concordance search. The caller runs the
// database test and handles an empty typed word itself.
void RunSearchFallbacks(const std::u16string& typedWord, std::u16string& searchWord,
                        ISearchCommandTarget& target);

}  // namespace zorvia
