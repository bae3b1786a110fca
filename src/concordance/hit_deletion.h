// Removing one occurrence from the corpus: the row of table word only; the
// line stays, so the other hits of the line still find their occurrences.
#pragma once

#include <string>

#include "corpus/corpus_database.h"

namespace zorvia {

// The question asked before the deletion of list item `itemNumber` (from 1).
std::u16string DeleteHitQuestion(int itemNumber);

struct DeleteHitResult {
    enum class Outcome {
        Deleted,       // committed: remove the hit from the list
        NotStarted,    // the transaction could not begin; nothing was sent
        DeleteFailed,  // the DELETE failed and was rolled back
        CommitFailed,  // the COMMIT failed; rolled back, the row is still there
    };
    Outcome outcome = Outcome::Deleted;
    std::u16string errorText;  // SQLite's message when not Deleted

    bool deleted() const { return outcome == Outcome::Deleted; }
};

// Deletes the occurrence `wid` in a transaction of its own. Whatever fails,
// no transaction is left open and the corpus is as before.
DeleteHitResult DeleteHitFromCorpus(CCorpusDatabase& db, int wid);

}  // namespace zorvia
