#include "wordlist/word_deletion.h"

#include "corpus/word_rules.h"
#include "corpus/word_summary.h"

namespace zorvia {

std::u16string BuildDeleteWordsQuestion(const std::vector<std::u16string>& words) {
    constexpr std::size_t kShown = 5;
    std::u16string text;
    for (std::size_t i = 0; i < words.size() && i < kShown; ++i) text += words[i] + u"\r\n";
    if (words.size() > kShown) text += u"...\n";
    text += u"\nを削除してもよろしいですか？";
    return text;
}

DeleteWordsResult DeleteWordsFromCorpus(CCorpusDatabase& db, const std::vector<std::u16string>& words) {
    if (words.empty()) return {};
    // A failed BEGIN means a transaction of someone else may be open; the
    // statements below would end it, so nothing is sent.
    if (!db.Exec(u"BEGIN TRANSACTION")) return {false, db.GetErrorText()};
    SummaryBatch summary;
    bool deleted = summary.Begin(db);
    for (std::size_t i = 0; deleted && i < words.size(); ++i) {
        const std::u16string folded = FoldToUpper(words[i]);
        deleted = summary.DeletingFoldedWord(folded) &&
                  db.Exec(u"DELETE FROM word WHERE word_upper='" + EscapeSqlText(folded) + u"'");
    }
    if (!deleted) {
        DeleteWordsResult result{false, db.GetErrorText()};
        db.Exec(u"ROLLBACK");
        return result;
    }
    if (!summary.Finish() || !db.Exec(u"COMMIT")) {
        // The transaction is still open after a failed COMMIT; left open, the
        // next statement of any command would run inside it.
        DeleteWordsResult result{false, db.GetErrorText()};
        db.Exec(u"ROLLBACK");
        return result;
    }
    return {};
}

}  // namespace zorvia
