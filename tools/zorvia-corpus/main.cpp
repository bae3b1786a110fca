#include <cstdio>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "corpus/database_files.h"
#include "corpus/word_rule.h"
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
// corpus schema (unless the command only reads an existing corpus); an
// existing corpus is used as it is, read-only for the commands that only
// read; any other file is refused and left untouched.
enum class CorpusAccess {
    Write,         // a missing or empty file is given the schema
    Read,          // the same, but an existing corpus is opened read-only
    ExistingOnly,  // only an existing corpus, read-only; nothing is ever created
};

bool OpenCorpus(ToolContext& context, const std::string& arg, CorpusAccess access) {
    const bool readOnly = access != CorpusAccess::Write;
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
            if (access == CorpusAccess::ExistingOnly) {
                PrintError("cannot read " + arg + ": " +
                           (probe.state == CorpusFileState::Missing ? "no such file" : "not a corpus database"));
                return false;
            }
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

bool IsReadCommand(const std::string& name, const std::vector<std::string>& args) {
    return name == "search" || name == "words" || name == "wordlist" || name == "stats" || name == "files" ||
           (name == "word-rule" && args.empty());
}

// One line per command: its name and arguments, then what it does (on a
// line of its own when the arguments are long).
std::string CommandLine(const ToolCommand& command) {
    const std::string usage = command.usage;
    const auto gap = usage.find("  ");
    std::string synopsis = command.name;
    if (gap != 0) synopsis += " " + usage.substr(0, gap);
    const auto text = gap == std::string::npos ? std::string::npos : usage.find_first_not_of(' ', gap);
    const std::string what = text == std::string::npos ? std::string() : usage.substr(text);
    constexpr std::size_t kColumn = 26;
    std::string line = "  " + synopsis;
    line += line.size() + 2 <= kColumn ? std::string(kColumn - line.size(), ' ') : "\n" + std::string(kColumn, ' ');
    return line + what + "\n";
}

void PrintUsage(std::FILE* out) {
    std::string text =
        "Usage: zorvia-corpus [OPTION]... DB COMMAND [ARG]...\n"
        "Build, search and maintain a Zorvia Concordancer corpus without a window.\n"
        "\n"
        "DB is a corpus database file (*.zorviacorpusdb). A missing or empty file is given\n"
        "the corpus schema (kwic and export-vrt only read an existing corpus); any other\n"
        "file that is not a corpus is refused and left unchanged. The commands run the\n"
        "application's own code, so a corpus built here opens in the window and the\n"
        "other way round.\n"
        "\n"
        "Commands:\n";
    for (const ToolCommand* command : AllCommands()) text += CommandLine(*command);
    text +=
        "\n"
        "Options of import and remove-words:\n"
        "  --encoding E            auto (detect; the default), cp932, utf-8, utf-16le,\n"
        "                          utf-16be or euc-jp\n"
        "  --strict                import: a file with undecodable bytes is rolled back\n"
        "                          and the exit status is 1\n"
        "\n"
        "Options of search and words:\n"
        "  --limit N               at most N lines (search: 50, words: 20)\n"
        "  --tsv                   tab-separated output, one record a line\n"
        "\n"
        "Options of kwic, collocates, ngrams, dispersion and keywords (they only read DB):\n"
        "  --tsv, --csv            a first line of column names, then one record a line;\n"
        "                          CSV quoted, with a UTF-8 byte-order mark\n"
        "  --limit N               at most N rows (default: all)\n"
        "  --context N             kwic: words shown each side, 1-20 (5)\n"
        "  --sort KEY[,KEY...]     kwic: L1..L20, K, R1..R20, F (file)\n"
        "  --span L,R              collocates: words left and right of the node, 0-20 (5,5)\n"
        "  --min N                 collocates: rows with O >= N (1); ngrams: frequency >= N (2)\n"
        "  --sort COL              collocates: word_upper, O, O_L, O_R, f(c), MI, T, LL or\n"
        "                          logDice (default: LL)\n"
        "  --n N                   ngrams: words per cluster, 2-6 (3)\n"
        "  --word WORD             ngrams: only the clusters that hold WORD\n"
        "  --svg FILE              dispersion: also write the dispersion plot as SVG\n"
        "  --reference REF         keywords: the corpus file to compare DB with\n"
        "  --negative              keywords: the words rarer in DB than in REF\n"
        "  --min-ll X              keywords: log-likelihood at least X (3.84)\n"
        "\n"
        "Options:\n"
        "      --mecab-dictionary DIR\n"
        "                          the MeCab dictionary of word-rule mecab and of imports\n"
        "                          into a mecab corpus: a directory, or a name under\n"
        "                          /var/lib/mecab/dic/ (default: MeCab's own default)\n"
        "      --trace             write diagnostic lines to standard output\n"
        "  -h, --help              show this help and exit\n"
        "      --version           show the version and exit\n"
        "\n"
        "Exit status:\n"
        "  0                       success\n"
        "  1                       a command failed; the message says what\n"
        "  2                       bad arguments\n"
        "  130                     interrupted by Ctrl+C; the current file rolled back\n"
        "\n"
        "Examples:\n"
        "  zorvia-corpus novels.zorviacorpusdb import texts/*.txt\n"
        "                          build a corpus from text files, or add them to it\n"
        "  zorvia-corpus novels.zorviacorpusdb search apple --limit 20\n"
        "                          the first 20 occurrences of apple\n"
        "  zorvia-corpus novels.zorviacorpusdb words ap --tsv\n"
        "                          the most frequent words that begin with ap\n"
        "  zorvia-corpus novels.zorviacorpusdb remove-words ignore.txt\n"
        "                          remove every word listed in ignore.txt\n"
        "  zorvia-corpus novels.zorviacorpusdb collocates apple --span 3,3 --tsv\n"
        "                          the words around apple with MI, T, LL and logDice\n"
        "  zorvia-corpus novels.zorviacorpusdb keywords --reference news.zorviacorpusdb\n"
        "                          the words novels uses more often than news\n";
    std::fputs(text.c_str(), out);
}

}  // namespace
}  // namespace zorvia::tool

int main(int argc, char** argv) {
    using namespace zorvia;
    using namespace zorvia::tool;
    std::vector<std::string> args(argv + 1, argv + argc);
    // Options come before DB; "--" ends them, so DB may begin with a dash.
    std::size_t first = 0;
    std::string mecabDictionary;
    for (; first < args.size() && args[first].size() > 1 && args[first][0] == '-'; ++first) {
        const std::string& option = args[first];
        if (option == "--help" || option == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (option == "--version") {
            std::fputs(VersionText("zorvia-corpus").c_str(), stdout);
            return 0;
        }
        if (option == "--trace") {
            SetTraceEnabled(true);
        } else if (option == "--mecab-dictionary" || option.rfind("--mecab-dictionary=", 0) == 0) {
            if (option == "--mecab-dictionary" && first + 1 == args.size()) {
                PrintError("--mecab-dictionary needs a directory");
                return 2;
            }
            mecabDictionary = option == "--mecab-dictionary" ? args[++first] : option.substr(19);
        } else if (option == "--") {
            ++first;
            break;
        } else {
            PrintError("unknown option '" + option + "' (see zorvia-corpus --help)");
            return 2;
        }
    }
    args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(first));
    if (args.size() < 2) {
        PrintError(args.empty() ? "no database and command given (see zorvia-corpus --help)"
                                : "no command given (see zorvia-corpus --help)");
        return 2;
    }
    const ToolCommand* command = nullptr;
    for (const ToolCommand* candidate : AllCommands()) {
        if (args[1] == candidate->name) command = candidate;
    }
    if (command == nullptr) {
        PrintError("unknown command '" + args[1] + "' (see zorvia-corpus --help)");
        return 2;
    }
    ToolContext context;
    context.mecabDictionary = Utf8ToWide(mecabDictionary);
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    const CorpusAccess access = command->readOnly                    ? CorpusAccess::ExistingOnly
                                : IsReadCommand(command->name, rest) ? CorpusAccess::Read
                                                                     : CorpusAccess::Write;
    if (!OpenCorpus(context, args[0], access)) return 1;
    // A corpus whose words MeCab cuts, without MeCab: searched read-only.
    if (const auto message = EnsureWordRuleUsable(context.db, context.databasePath)) {
        std::string line = WideToUtf8(*message);
        for (char& c : line)
            if (c == '\n') c = ' ';
        PrintError("warning: " + line);
    }
    return command->run(context, rest);
}
