// Which corpus file is open: the schema of a new corpus, opening and
// creating, the default file, and the test that every database command runs
// first.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "corpus/corpus_database.h"
#include "platform/prompt.h"

namespace zorvia {

// Sent as they stand: existing corpus files carry this text in their schema.
inline constexpr std::array<const char16_t*, 5> kSchemaStatements = {
    u"CREATE TABLE original_file ( oid      INTEGER PRIMARY KEY,  filename TEXT NOT NULL,  date     INTEGER NOT NULL,  memo     TEXT NOT NULL )",
    u"CREATE TABLE line ( lid       INTEGER PRIMARY KEY, oid       INTEGER NOT NULL REFERENCES element_original_file(oid), line_no   INTEGER NOT NULL, line_data TEXT NOT NULL )",
    u"CREATE TABLE word ( wid  INTEGER PRIMARY KEY, lid  INTEGER NOT NULL REFERENCES line(lid), word TEXT NOT NULL, word_upper TEXT NOT NULL )",
    u"CREATE INDEX word_word_upper ON word(word_upper)",
    u"CREATE INDEX line_line_no ON line(line_no)",
};

inline constexpr char16_t kDefaultDatabaseName[] = u"x.zorviacorpusdb";
inline constexpr char16_t kDatabaseNotOpenMessage[] = u"データベースが開かれていません";

// Closes the connection held, then opens `path`. Failures are only traced.
bool OpenDatabase(CCorpusDatabase& db, const std::u16string& path);

// OpenDatabase, then the five schema statements; a statement that fails
// (the table exists already) is traced and the next one runs. True when the
// file opened, whatever the statements returned.
bool OpenDatabaseWithSchema(CCorpusDatabase& db, const std::u16string& path);

// A corpus whose words MeCab cuts cannot be changed while MeCab or its
// dictionary cannot be loaded: its words could not be cut as they were.
// Then the file is opened again read-only (it can still be searched) and
// the message for the user comes back; nothing for any other corpus.
std::optional<std::u16string> EnsureWordRuleUsable(CCorpusDatabase& db, const std::u16string& path);

// What a path holds, found without writing anything to it.
enum class CorpusFileState {
    Missing,      // no file of that name
    Empty,        // a file of 0 bytes, or an SQLite database without any schema object
    Corpus,       // an SQLite database holding the tables original_file, line and word
    NotCorpus,    // an SQLite database that holds other objects but not the corpus tables
    NotDatabase,  // a file that SQLite does not read as a database
    Locked,       // another process holds a lock that keeps it from being read
    Unreadable,   // a directory, or a file that cannot be opened for reading
};

struct CorpusFileProbe {
    CorpusFileState state = CorpusFileState::Missing;
    std::u16string errorText;  // SQLite's or the system's message, when there is one
};

// Looks at `path` through a read-only connection: a corpus may be opened, an
// empty file may be given the schema, anything else must be left alone.
CorpusFileProbe ProbeCorpusFile(const std::u16string& path);

// The default corpus directory (beside the executable, or the user's data
// directory when installed) followed by "x.zorviacorpusdb".
std::u16string DefaultDatabasePath();

// The path to open at start-up: the stored one when a file or directory of
// that name exists, otherwise the default file.
std::u16string StartupDatabasePath(const std::u16string& storedPath);

// The database not open test: false, after telling the user, when no
// database is open.
bool CheckDatabaseOpen(const CCorpusDatabase& db, IUserPrompt& prompt);

// The file-chooser filters of the New and Open database commands.
FileRequest DatabaseFileRequest(bool save);

}  // namespace zorvia
