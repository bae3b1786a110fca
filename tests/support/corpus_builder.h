// Test corpora without the file import: rows written with the import's own
// statements, so ids, line numbers and folds are what an import would store.
#pragma once

#include <string>
#include <vector>

#include "corpus/corpus_database.h"

namespace zorvia::test {

// Opens `path` (":memory:" by default) with the corpus schema.
void OpenCorpus(CCorpusDatabase& db, const std::u16string& path = u":memory:");

// Registers a file: each non-empty line (UTF-8) is stored with its index as
// line_no, its words (cut by the corpus's word rule) with their folds.
// Returns the file's oid.
int AddFile(CCorpusDatabase& db, const std::string& path, const std::vector<std::string>& lines);

// The first cell of a query as a number, e.g. a count(*) or a lid.
int QueryInt(CCorpusDatabase& db, const std::u16string& sql);
// Every row of a query, its cells joined by '|'.
std::vector<std::u16string> QueryRows(CCorpusDatabase& db, const std::u16string& sql);
// Whether no transaction is open: a BEGIN would fail inside one.
bool NoTransactionOpen(CCorpusDatabase& db);

// Makes the next COMMIT that deletes occurrences of `wordUpper` fail, with
// the transaction still open: a deferred reference pins them. Switches
// foreign keys on, so add no file after it.
void PinWordUntilCommit(CCorpusDatabase& db, const std::u16string& wordUpper);

}  // namespace zorvia::test
