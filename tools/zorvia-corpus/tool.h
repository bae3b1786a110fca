// The headless corpus tool: the application's own core code driven from the
// command line, for scripting and large batch builds.
#pragma once

#include <string>
#include <vector>

#include "corpus/corpus_database.h"

namespace zorvia::tool {

struct ToolContext {
    std::u16string databasePath;
    CCorpusDatabase db;
    // --mecab-dictionary: the MeCab dictionary that imports and the word-rule
    // command use (empty: MeCab's default).
    std::u16string mecabDictionary;
};

struct ToolCommand {
    const char* name;
    // The arguments after the command name, at least two blanks, and what
    // the command does; blanks first when it takes no arguments. --help
    // lists one line per command from it.
    const char* usage;
    // Returns the exit status. The database is open (created with the
    // schema when missing) when it runs.
    int (*run)(ToolContext& context, const std::vector<std::string>& args);
    // Opened read-only: the file must already be a corpus, and nothing in
    // it is created or changed.
    bool readOnly = false;
};

// Error message on standard error, prefixed with the program name.
void PrintError(const std::string& message);

// Watches the statements a command runs from its creation on: Failed()
// prints SQLite's message of a failure and says whether there was one, so
// that a command never reports an empty or zero result that a failed query
// produced.
class StatementCheck {
public:
    explicit StatementCheck(const CCorpusDatabase& db) : m_db(db), m_failuresBefore(db.GetFailureCount()) {}
    bool Failed() const;

private:
    const CCorpusDatabase& m_db;
    std::uint64_t m_failuresBefore;
};

}  // namespace zorvia::tool
