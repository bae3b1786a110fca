// The word list's two queries: the frequency table of the whole corpus and
// the words beginning with a prefix. Both order the words most frequent
// first, then shorter first, then by character code of the upper-case text.
// On a corpus with the word-count summary (word_summary.h) they read it, with
// the same rows as a result.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "corpus/corpus_database.h"

namespace zorvia {

struct WordListRow {
    std::u16string word;  // the stored upper-case word shown in lower case
    int count = 0;
    // The stored word_upper itself. The lower-case text does not always fold
    // back to it (İ, ẞ, the Kelvin sign...), so every command on a row
    // searches and deletes by this key.
    std::u16string key;
};

// The `limit` most frequent words. A failing statement gives the rows
// delivered before the failure, usually none.
std::vector<WordListRow> QueryFrequencyTable(CCorpusDatabase& db, int limit);

// The `limit` most frequent words beginning with `prefix` (any case). The
// prefix is a GLOB pattern: only quotes are escaped, so *, ? and [ typed by
// the user act as wildcards, and a malformed pattern matches nothing. An
// empty prefix lists the most frequent words of the corpus.
std::vector<WordListRow> QueryWordsStartingWith(CCorpusDatabase& db, std::u16string_view prefix, int limit);

// An index on word(lid), which the occurrence lookup of every hit joins on.
// Large corpora answer it much faster with the index; nothing creates it
// unless asked, and it changes no result. False with SQLite's message in the
// database's error text when it cannot be created. (The speed-up command adds
// it with the word-count summary, word_summary.h.)
bool CreateSearchIndex(CCorpusDatabase& db);

}  // namespace zorvia
