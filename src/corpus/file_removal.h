// The registered files of the corpus and the removal of one of them with
// all its lines and word occurrences.
#pragma once

#include <string>
#include <vector>

#include "corpus/corpus_database.h"
#include "platform/prompt.h"

namespace zorvia {

struct RegisteredFile {
    int oid = 0;
    std::u16string path;  // as it was registered
    int date = 0;         // seconds since 1970, see FormatRegistrationDate
};

// Every registered file, oldest registration first. Empty when the query
// fails (traced).
std::vector<RegisteredFile> ListRegisteredFiles(CCorpusDatabase& db);

enum class FileRemovalResult {
    Removed,   // committed; the file is gone from the corpus
    NotFound,  // no file row with that id (removed meanwhile); nothing shown
    Declined,  // the user did not answer Yes
    Failed,    // a statement failed; rolled back, the user was told
};

// Asks "%s を削除してもよろしいですか？" with the stored path and, on Yes,
// deletes the file's words, lines and row in one transaction. Anything but
// Removed means the file is still registered.
FileRemovalResult RemoveRegisteredFile(CCorpusDatabase& db, int oid, IUserPrompt& prompt);

}  // namespace zorvia
