// The corpus-building commands of the tool: import, files, remove-file and
// remove-words. They run the application's own operations; the questions
// those ask are answered here (the tool is not interactive), and their
// messages go to standard error.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "corpus/file_import.h"
#include "corpus/file_removal.h"
#include "corpus/registered_files.h"
#include "corpus/stopword_removal.h"
#include "platform/file_status.h"
#include "platform/text_convert.h"
#include "tool.h"

namespace zorvia::tool {

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;  // the shell's status for a death by SIGINT

// --- Ctrl+C ------------------------------------------------------------------

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// While it lives, Ctrl+C asks the running operation to cancel (it rolls
// back at its next pump) instead of killing the process mid-transaction.
class InterruptScope {
public:
    InterruptScope() {
        g_interrupted = 0;
        struct sigaction action {};
        action.sa_handler = &OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptScope() { sigaction(SIGINT, &m_previous, nullptr); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction m_previous {};
};

// --- the screen of a terminal ---------------------------------------------------

// Answers every question with Yes and says so; messages go to standard error.
class ToolPrompt : public IUserPrompt {
public:
    PromptAnswer Message(const std::u16string& text, PromptButtons buttons, PromptIcon) override {
        std::string line = WideToUtf8(text);
        for (char& c : line)
            if (c == '\n') c = ' ';
        // On a terminal the message replaces the progress bar's line.
        const char* clear = isatty(STDERR_FILENO) == 1 ? "\r\033[K" : "";
        if (buttons == PromptButtons::Ok) {
            std::fprintf(stderr, "%szorvia-corpus: %s\n", clear, line.c_str());
            return PromptAnswer::Ok;
        }
        std::fprintf(stderr, "%szorvia-corpus: %s -> yes (not interactive)\n", clear, line.c_str());
        return PromptAnswer::Yes;
    }
    std::optional<std::u16string> ChooseFile(const FileRequest&) override { return std::nullopt; }
    bool IsShiftDown() override { return false; }
};

// A one-line progress bar on standard error when that is a terminal;
// nothing otherwise. Its pump reports Ctrl+C as a cancel.
class TerminalProgress : public IProgressSink {
public:
    TerminalProgress() : m_terminal(isatty(STDERR_FILENO) == 1) {}

    void Begin() override { m_shown = m_terminal; }
    void SetText(const std::u16string& text) override { m_text = text; }
    void SetPosition(int permille) override { m_permille = permille; }
    bool Pump() override {
        if (m_shown) Draw();
        return g_interrupted == 0;
    }
    void End() override {
        if (m_shown) std::fputs("\r\033[K", stderr);
        m_shown = false;
    }

private:
    void Draw() {
        // A few redraws a second are plenty; the pump runs every other line.
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastDraw < std::chrono::milliseconds(100)) return;
        m_lastDraw = now;
        constexpr int kWidth = 30;
        const int filled = m_permille * kWidth / 1000;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(kWidth - filled), '.');
        std::fprintf(stderr, "\r\033[K[%s] %3d%%  %s", bar.c_str(), m_permille / 10, WideToUtf8(m_text).c_str());
        std::fflush(stderr);
    }

    bool m_terminal;
    bool m_shown = false;
    std::u16string m_text;
    int m_permille = 0;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

class NoStatusBar : public IStatusText {
public:
    void SetStatusText(const std::u16string&) override {}
};

// The full path, as the application stores what its chooser returns.
std::u16string FullPath(const std::string& arg) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(arg, ec);
    return Utf8ToWide(ec ? arg : full.string());
}

// Only a regular file is read: a FIFO would be empty for the second pass,
// and a device may never end.
bool IsRegularFile(const std::u16string& path) {
    struct stat status {};
    return ::stat(NativePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The options of the commands that read text files, and the files.
struct ReadOptions {
    EncodingChoice encoding = EncodingChoice::Detect;
    bool strict = false;
    std::vector<std::string> files;
};

// --encoding NAME (or --encoding=NAME), --strict where the command takes it,
// "--" before names that begin with "--". Nothing, after a message, on a bad
// argument.
std::optional<ReadOptions> ParseReadOptions(const std::string& command, const std::vector<std::string>& args,
                                            bool takesStrict) {
    ReadOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--strict" && takesStrict) {
            options.strict = true;
        } else if (arg == "--encoding" || arg.rfind("--encoding=", 0) == 0) {
            const bool separate = arg == "--encoding";
            if (separate && i + 1 == args.size()) {
                PrintError(command + ": --encoding needs a name");
                return std::nullopt;
            }
            const std::string name = separate ? args[++i] : arg.substr(11);
            const auto choice = ParseEncodingChoice(name);
            if (!choice) {
                PrintError(command + ": unknown encoding '" + name +
                           "' (auto, cp932, utf-8, utf-16le, utf-16be or euc-jp)");
                return std::nullopt;
            }
            options.encoding = *choice;
        } else {
            PrintError(command + ": unknown option '" + arg + "'");
            return std::nullopt;
        }
    }
    return options;
}

// The line on standard error for bytes that did not decode.
void WarnUndecodable(const std::u16string& path, const TextLineReader::Report& reading) {
    if (reading.undecodableBytes == 0) return;
    std::fprintf(stderr, "warning: %s: %lld bytes could not be decoded as %s (first at line %lld)\n",
                 WideToUtf8(path).c_str(), static_cast<long long>(reading.undecodableBytes),
                 EncodingName(reading.encoding), static_cast<long long>(reading.firstUndecodableLine));
}

bool ParseOid(const std::string& text, int& oid) {
    if (text.empty() || text.size() > 10) return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > 0x7FFFFFFF) return false;
    oid = static_cast<int>(value);
    return true;
}

// --- the commands ----------------------------------------------------------------

int RunImport(ToolContext& context, const std::vector<std::string>& arguments) {
    const auto parsed = ParseReadOptions("import", arguments, true);
    if (!parsed) return kExitUsage;
    const std::vector<std::string>& args = parsed->files;
    if (args.empty()) {
        PrintError("import: no file given");
        return kExitUsage;
    }
    ImportOptions options;
    options.encoding = parsed->encoding;
    options.refuseUndecodable = parsed->strict;
    options.mecabDictionary = context.mecabDictionary;
    InterruptScope interrupts;
    ToolPrompt prompt;
    NoStatusBar status;
    int exitStatus = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (g_interrupted) {
            PrintError("interrupted; not imported: " + arg + (i + 1 < args.size() ? " and the files after it" : ""));
            return kExitInterrupted;
        }
        const std::u16string path = FullPath(arg);
        if (!PathExists(path)) {
            PrintError(arg + ": no such file");
            exitStatus = kExitFailed;
            continue;
        }
        if (!IsRegularFile(path)) {
            PrintError(arg + ": not a regular file");
            exitStatus = kExitFailed;
            continue;
        }
        TerminalProgress progress;
        const ImportOutcome outcome = ImportOneFile(context.db, path, prompt, progress, status, options);
        switch (outcome.result) {
            case ImportResult::Committed:
                std::printf("imported oid %d: %s (%s, %lld lines, %lld words)\n", outcome.oid, WideToUtf8(path).c_str(),
                            EncodingName(outcome.reading.encoding), static_cast<long long>(outcome.lines),
                            static_cast<long long>(outcome.words));
                std::fflush(stdout);
                WarnUndecodable(path, outcome.reading);
                break;
            case ImportResult::Undecodable:
                WarnUndecodable(path, outcome.reading);
                PrintError(arg + ": not imported (--strict)");
                exitStatus = kExitFailed;
                break;
            case ImportResult::UnknownKind:
                PrintError(arg + ": not imported: unknown file kind (.txt, .html and .htm are imported)");
                exitStatus = kExitFailed;
                break;
            case ImportResult::OpenFailed:
                PrintError(arg + ": cannot be opened");
                exitStatus = kExitFailed;
                break;
            case ImportResult::Cancelled:
                PrintError("interrupted; " + arg + " rolled back" +
                           (i + 1 < args.size() ? ", the files after it not imported" : ""));
                return kExitInterrupted;
            case ImportResult::Refused:  // the reason is on standard error already
                PrintError(arg + ": not imported");
                exitStatus = kExitFailed;
                break;
            case ImportResult::NotOpen:
            case ImportResult::Failed:
                PrintError(arg + ": not imported: " + WideToUtf8(outcome.errorText));
                exitStatus = kExitFailed;
                break;
        }
    }
    return exitStatus;
}

int RunFiles(ToolContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) {
        PrintError("files: takes no arguments");
        return kExitUsage;
    }
    const StatementCheck check(context.db);
    const std::vector<RegisteredFile> files = ListRegisteredFiles(context.db);
    if (check.Failed()) return kExitFailed;
    for (const RegisteredFile& file : files) {
        std::printf("%d\t%s\t%s\n", file.oid, WideToUtf8(FormatRegistrationDate(file.date)).c_str(),
                    WideToUtf8(file.path).c_str());
    }
    return 0;
}

int RunRemoveFile(ToolContext& context, const std::vector<std::string>& args) {
    int oid = 0;
    if (args.size() != 1 || !ParseOid(args[0], oid)) {
        PrintError(args.size() == 1 ? "remove-file: '" + args[0] + "' is not a file id (see the files command)"
                                    : "remove-file: one file id expected");
        return kExitUsage;
    }
    ToolPrompt prompt;
    switch (RemoveRegisteredFile(context.db, oid, prompt)) {
        case FileRemovalResult::Removed:
            std::printf("removed oid %d\n", oid);
            return 0;
        case FileRemovalResult::NotFound:
            PrintError("remove-file: no registered file has the id " + args[0]);
            return kExitFailed;
        case FileRemovalResult::Declined:
        case FileRemovalResult::Failed:
            break;
    }
    PrintError("remove-file: the file is still registered");
    return kExitFailed;
}

int RunRemoveWords(ToolContext& context, const std::vector<std::string>& arguments) {
    const auto parsed = ParseReadOptions("remove-words", arguments, false);
    if (!parsed) return kExitUsage;
    const std::vector<std::string>& args = parsed->files;
    if (args.size() != 1) {
        PrintError("remove-words: one list file expected");
        return kExitUsage;
    }
    const std::u16string path = FullPath(args[0]);
    if (!PathExists(path)) {
        PrintError(args[0] + ": no such file");
        return kExitFailed;
    }
    if (!IsRegularFile(path)) {
        PrintError(args[0] + ": not a regular file");
        return kExitFailed;
    }
    InterruptScope interrupts;
    ToolPrompt prompt;
    TerminalProgress progress;
    NoStatusBar status;
    const StopWordOutcome outcome =
        DeleteWordsInFile(context.db, path, prompt, progress, status, {}, parsed->encoding);
    switch (outcome.result) {
        case StopWordResult::Deleted:
            std::printf("deleted the words of %s (%s, %lld lines, %lld words)\n", WideToUtf8(path).c_str(),
                        EncodingName(outcome.reading.encoding), static_cast<long long>(outcome.lines),
                        static_cast<long long>(outcome.statements));
            WarnUndecodable(path, outcome.reading);
            return 0;
        case StopWordResult::OpenFailed:
            PrintError(args[0] + ": cannot be opened");
            return kExitFailed;
        case StopWordResult::Cancelled:
            PrintError("interrupted; no word was deleted");
            return kExitInterrupted;
        case StopWordResult::Refused:  // the reason is on standard error already
            PrintError("remove-words: no word was deleted");
            return kExitFailed;
        case StopWordResult::Failed:
            break;
    }
    PrintError("remove-words: no word was deleted: " + WideToUtf8(outcome.errorText));
    return kExitFailed;
}

}  // namespace

extern const ToolCommand kImportCommand = {
    "import", "[--encoding E] [--strict] FILE...  add text and HTML files, one transaction each", &RunImport};
extern const ToolCommand kFilesCommand = {"files", "               list the registered files: oid, date, path",
                                   &RunFiles};
extern const ToolCommand kRemoveFileCommand = {"remove-file", "OID            remove a registered file", &RunRemoveFile};
extern const ToolCommand kRemoveWordsCommand = {
    "remove-words", "[--encoding E] LISTFILE  remove every word listed in the file", &RunRemoveWords};

}  // namespace zorvia::tool
