#include "concordance/hit_deletion.h"

#include "platform/text_convert.h"

namespace zorvia {

std::u16string DeleteHitQuestion(int itemNumber) {
    return FormatInt(itemNumber) + u" 番を削除してもよろしいですか？";
}

DeleteHitResult DeleteHitFromCorpus(CCorpusDatabase& db, int wid) {
    using Outcome = DeleteHitResult::Outcome;
    // When BEGIN fails a transaction of someone else may be open; a DELETE,
    // COMMIT or ROLLBACK sent now would end it, so nothing is sent.
    if (!db.Exec(u"BEGIN TRANSACTION")) return {Outcome::NotStarted, db.GetErrorText()};
    if (!db.Exec(u"DELETE FROM word WHERE wid=" + FormatInt(wid))) {
        DeleteHitResult result{Outcome::DeleteFailed, db.GetErrorText()};
        db.Exec(u"ROLLBACK");
        return result;
    }
    if (!db.Exec(u"COMMIT")) {
        // A COMMIT that fails (a lock held by another connection, a deferred
        // constraint) leaves the transaction open; it must not stay open to
        // be committed by whatever runs next, so it is rolled back and the
        // hit stays.
        DeleteHitResult result{Outcome::CommitFailed, db.GetErrorText()};
        db.Exec(u"ROLLBACK");
        return result;
    }
    return {};
}

}  // namespace zorvia
