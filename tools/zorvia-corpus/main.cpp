#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "corpus/database_files.h"
#include "platform/text_convert.h"
#include "platform/trace.h"
#include "tool.h"
#include "tool_commands.h"

namespace zorvia::tool {

void PrintError(const std::string& message) { std::fprintf(stderr, "zorvia-corpus: %s\n", message.c_str()); }

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: zorvia-corpus [--trace] DB COMMAND [ARGS...]\n\ncommands:\n");
    for (const ToolCommand* command : AllCommands()) {
        std::fprintf(out, "  %-14s %s\n", command->name, command->usage);
    }
    std::fprintf(out, "\nDB is a corpus database file; it is created with the corpus schema when missing.\n");
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
    context.databasePath = Utf8ToWide(args[0]);
    if (command->readOnly) {
        const CorpusFileProbe probe = ProbeCorpusFile(context.databasePath);
        if (probe.state != CorpusFileState::Corpus || !context.db.OpenReadOnly(context.databasePath)) {
            const std::string why = probe.state == CorpusFileState::Missing ? "no such file"
                                    : !probe.errorText.empty()              ? WideToUtf8(probe.errorText)
                                                                            : "not a corpus database";
            PrintError("cannot read " + args[0] + ": " + why);
            return 1;
        }
        const std::vector<std::string> rest(args.begin() + 2, args.end());
        return command->run(context, rest);
    }
    // Exactly as the application opens its corpus: create the schema when
    // it is missing, use the file unchanged when it is there.
    if (!OpenDatabaseWithSchema(context.db, context.databasePath)) {
        PrintError("cannot open database " + args[0] + ": " + WideToUtf8(context.db.GetErrorText()));
        return 1;
    }
    // A file that is not a corpus opens without error; say so before any
    // command runs against it.
    if (!context.db.Exec(u"SELECT count(*) FROM original_file")) {
        PrintError(args[0] + " is not a corpus database: " + WideToUtf8(context.db.GetErrorText()));
        return 1;
    }
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    return command->run(context, rest);
}
