// Deleting every occurrence of words chosen in the word list, all in one
// transaction: either every word goes or none does.
#pragma once

#include <string>
#include <vector>

#include "corpus/corpus_database.h"

namespace zorvia {

// The confirmation naming the words as the list shows them: the first five,
// one per line, and "..." when there are more.
std::u16string BuildDeleteWordsQuestion(const std::vector<std::u16string>& words);

struct DeleteWordsResult {
    bool deleted = true;
    std::u16string errorText;  // SQLite's message when not deleted, for the user
};

// Deletes the rows of table word whose word_upper is the fold of each word.
// On any failure the transaction is rolled back (also when COMMIT itself
// fails) and the corpus is as before; the caller then keeps its list.
DeleteWordsResult DeleteWordsFromCorpus(CCorpusDatabase& db, const std::vector<std::u16string>& words);

}  // namespace zorvia
