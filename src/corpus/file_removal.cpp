#include "corpus/file_removal.h"

#include "corpus/corpus_transaction.h"
#include "corpus/word_summary.h"
#include "platform/trace.h"

namespace zorvia {

namespace {

constexpr char16_t kRemovalFailedMessage[] =
    u"ファイルを削除できませんでした。コーパスは変更されていません。";

std::u16string WithOid(const char16_t* statement, int oid) {
    std::u16string sql(statement);
    AppendDecimal(sql, oid);
    return sql;
}

}  // namespace

std::vector<RegisteredFile> ListRegisteredFiles(CCorpusDatabase& db) {
    std::vector<RegisteredFile> files;
    if (!ExecOrTrace(db, u"select oid, filename, date, memo from original_file order by date")) return files;
    files.reserve(static_cast<std::size_t>(db.GetRowCount()));
    for (int row = 0; row < db.GetRowCount(); ++row) {
        files.push_back({db.GetCellInt(row, 0), db.GetCell(row, 1), db.GetCellInt(row, 2)});
    }
    return files;
}

FileRemovalResult RemoveRegisteredFile(CCorpusDatabase& db, int oid, IUserPrompt& prompt) {
    if (!ExecOrTrace(db, WithOid(u"select filename from original_file where oid=", oid))) {
        prompt.Message(FailureMessage(kRemovalFailedMessage, db.GetErrorText()), PromptButtons::Ok,
                       PromptIcon::Error);
        return FileRemovalResult::Failed;
    }
    if (db.GetRowCount() == 0) return FileRemovalResult::NotFound;
    const std::u16string path = db.GetCell(0, 0);
    if (prompt.Message(path + u" を削除してもよろしいですか？", PromptButtons::YesNo) != PromptAnswer::Yes) {
        return FileRemovalResult::Declined;
    }

    // A BEGIN that fails means another transaction is open on this
    // connection: it is not ours to roll back.
    if (!ExecOrTrace(db, u"BEGIN TRANSACTION")) {
        prompt.Message(FailureMessage(kRemovalFailedMessage, db.GetErrorText()), PromptButtons::Ok,
                       PromptIcon::Error);
        return FileRemovalResult::Failed;
    }
    // The words, the lines and the file row go together or not at all: a
    // half-done removal would leave lines or words of a file that is gone.
    const std::u16string wordsOfFile = WithOid(u"lid IN (SELECT lid FROM line WHERE oid=", oid) + u")";
    SummaryBatch summary;
    const bool removed = summary.Begin(db) && summary.BeforeDelete(wordsOfFile) &&
                         ExecOrTrace(db, u"DELETE FROM word WHERE " + wordsOfFile) &&
                         ExecOrTrace(db, WithOid(u"DELETE FROM line WHERE oid=", oid)) &&
                         ExecOrTrace(db, WithOid(u"DELETE FROM original_file WHERE oid=", oid)) &&
                         summary.Finish() && ExecOrTrace(db, u"COMMIT");
    if (!removed) {
        const std::u16string error = db.GetErrorText();
        Rollback(db);
        prompt.Message(FailureMessage(kRemovalFailedMessage, error), PromptButtons::Ok, PromptIcon::Error);
        return FileRemovalResult::Failed;
    }
    return FileRemovalResult::Removed;
}

}  // namespace zorvia
