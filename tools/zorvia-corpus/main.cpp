#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus/database_files.h"
#include "platform/file_status.h"
#include "platform/text_convert.h"
#include "platform/trace.h"
#include "tool.h"
#include "tool_commands.h"

namespace zorvia::tool {

void PrintError(const std::string& message) { std::fprintf(stderr, "zorvia-corpus: %s\n", message.c_str()); }

bool StatementCheck::Failed() const {
    if (m_db.GetFailureCount() == m_failuresBefore) return false;
    PrintError(WideToUtf8(m_db.GetErrorText()));
    return true;
}

namespace {

// The schema in one transaction, so that a file is either a whole corpus or
// left as it was. `error` receives the message of the first failure.
bool CreateSchema(CCorpusDatabase& db, std::u16string& error) {
    bool ok = db.Exec(u"BEGIN");
    for (const char16_t* statement : kSchemaStatements) ok = ok && db.Exec(statement);
    ok = ok && db.Exec(u"COMMIT");
    if (!ok) {
        error = db.GetErrorText();
        db.Exec(u"ROLLBACK");
    }
    return ok;
}

// Opens the corpus a command works on. A missing or empty file is given the
// corpus schema; an existing corpus is used as it is, read-only for the
// commands that only read; any other file is refused and left untouched.
bool OpenCorpus(ToolContext& context, const std::string& arg, bool readOnly) {
    if (arg.empty() || arg == ":memory:") {
        PrintError("'" + arg + "' names no corpus file");
        return false;
    }
    // SQLite takes a name beginning with "file:" for a URI; "./" keeps every
    // relative name a plain file name.
    context.databasePath = Utf8ToWide(arg[0] == '/' ? arg : "./" + arg);
    CCorpusDatabase& db = context.db;
    const CorpusFileProbe probe = ProbeCorpusFile(context.databasePath);
    switch (probe.state) {
        case CorpusFileState::Corpus:
            if (readOnly ? db.OpenReadOnly(context.databasePath) : OpenDatabase(db, context.databasePath)) return true;
            break;
        case CorpusFileState::Missing:
        case CorpusFileState::Empty: {
            std::u16string error;
            if (!OpenDatabase(db, context.databasePath)) {
                error = db.GetErrorText();
            } else if (CreateSchema(db, error)) {
                return true;
            }
            db.Close();
            // A corpus that could not be made (a full disk, say) leaves no
            // empty file behind.
            if (probe.state == CorpusFileState::Missing) {
                std::error_code ec;
                std::filesystem::remove(NativePath(context.databasePath) + "-journal", ec);
                std::filesystem::remove(NativePath(context.databasePath), ec);
            }
            PrintError("cannot create the corpus " + arg + ": " + WideToUtf8(error));
            return false;
        }
        case CorpusFileState::NotCorpus:
            PrintError(arg + " is not a corpus database (it holds other tables); it was left unchanged");
            return false;
        case CorpusFileState::NotDatabase:
            PrintError(arg + " is not a corpus database: " + WideToUtf8(probe.errorText));
            return false;
        case CorpusFileState::Locked:
        case CorpusFileState::Unreadable:
            PrintError("cannot open database " + arg + ": " + WideToUtf8(probe.errorText));
            return false;
    }
    PrintError("cannot open database " + arg + ": " + WideToUtf8(db.GetErrorText()));
    return false;
}

bool IsReadCommand(const std::string& name) {
    return name == "search" || name == "words" || name == "wordlist" || name == "stats" || name == "files";
}

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: zorvia-corpus [--trace] DB COMMAND [ARGS...]\n\ncommands:\n");
    for (const ToolCommand* command : AllCommands()) {
        std::fprintf(out, "  %-14s %s\n", command->name, command->usage);
    }
    std::fprintf(out, "\nDB is a corpus database file; a missing or empty file is given the corpus schema,\n"
                      "any other file that is not a corpus is refused and left unchanged.\n"
                      "E (--encoding) is auto (detect; the default), cp932, utf-8, utf-16le, utf-16be or euc-jp.\n");
}

}  // namespace
}  // namespace zorvia::tool

int main(int argc, char** argv) {
    using namespace zorvia;
    using namespace zorvia::tool;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--trace") {
        SetTraceEnabled(true);
        args.erase(args.begin());
    }
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(stdout);
        return 0;
    }
    if (args.size() < 2) {
        PrintUsage(stderr);
        return 2;
    }
    const ToolCommand* command = nullptr;
    for (const ToolCommand* candidate : AllCommands()) {
        if (args[1] == candidate->name) command = candidate;
    }
    if (command == nullptr) {
        PrintError("unknown command '" + args[1] + "'");
        PrintUsage(stderr);
        return 2;
    }
    ToolContext context;
    if (!OpenCorpus(context, args[0], IsReadCommand(command->name))) return 1;
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    return command->run(context, rest);
}
