#include "support/corpus_builder.h"

#include <gtest/gtest.h>

#include "corpus/database_files.h"
#include "corpus/word_rule.h"
#include "platform/text_convert.h"

namespace zorvia::test {

namespace {
void MustExec(CCorpusDatabase& db, const std::u16string& sql) {
    EXPECT_TRUE(db.Exec(sql)) << WideToUtf8(sql) << ": " << WideToUtf8(db.GetErrorText());
}
std::u16string Quoted(const std::u16string& text) { return u"'" + EscapeSqlText(text) + u"'"; }
}  // namespace

void OpenCorpus(CCorpusDatabase& db, const std::u16string& path) { ASSERT_TRUE(OpenDatabaseWithSchema(db, path)); }

int AddFile(CCorpusDatabase& db, const std::string& path, const std::vector<std::string>& lines) {
    MustExec(db, u"BEGIN TRANSACTION");
    MustExec(db, u"INSERT INTO original_file VALUES( NULL, " + Quoted(Utf8ToWide(path)) + u", 1700000000,'' )");
    const int oid = db.GetLastInsertRowId();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const std::u16string line = Utf8ToWide(lines[i]);
        MustExec(db, u"INSERT INTO line VALUES( NULL, " + FormatInt(oid) + u", " + FormatInt(std::int64_t(i)) + u", " +
                         Quoted(line) + u" )");
        const int lid = db.GetLastInsertRowId();
        for (const std::u16string& word : db.WordRule().SplitWords(line))
            MustExec(db, u"INSERT INTO word VALUES( NULL, " + FormatInt(lid) + u", " + Quoted(word) + u", " +
                             Quoted(FoldToUpper(word)) + u" )");
    }
    MustExec(db, u"COMMIT");
    return oid;
}

int QueryInt(CCorpusDatabase& db, const std::u16string& sql) {
    EXPECT_TRUE(db.Exec(sql)) << WideToUtf8(sql);
    return db.GetCellInt(0, 0);
}

std::vector<std::u16string> QueryRows(CCorpusDatabase& db, const std::u16string& sql) {
    std::vector<std::u16string> rows;
    EXPECT_TRUE(db.Exec(sql)) << WideToUtf8(sql) << ": " << WideToUtf8(db.GetErrorText());
    for (int r = 0; r < db.GetRowCount(); ++r) {
        std::u16string row;
        for (int c = 0; c < db.GetColumnCount(); ++c) row += (c > 0 ? u"|" : u"") + db.GetCell(r, c);
        rows.push_back(row);
    }
    return rows;
}

bool NoTransactionOpen(CCorpusDatabase& db) { return db.Exec(u"BEGIN TRANSACTION") && db.Exec(u"ROLLBACK"); }

void PinWordUntilCommit(CCorpusDatabase& db, const std::u16string& wordUpper) {
    MustExec(db, u"CREATE TABLE IF NOT EXISTS pin ( wid INTEGER REFERENCES word(wid) DEFERRABLE INITIALLY DEFERRED )");
    MustExec(db, u"INSERT INTO pin SELECT wid FROM word WHERE word_upper=" + Quoted(wordUpper));
    MustExec(db, u"PRAGMA foreign_keys=ON");
}

}  // namespace zorvia::test
