#include "app/command_line.h"

#include <filesystem>

#include "corpus/database_files.h"
#include "platform/file_status.h"
#include "platform/prompt.h"
#include "platform/text_convert.h"

namespace zorvia {

std::string VersionText(const char* program) {
    return std::string(program) + " (" + WideToUtf8(kAppTitle) + ") " + WideToUtf8(kAppVersion) + "\n";
}

AppCommandLine ParseAppCommandLine(const std::vector<std::string>& args) {
    AppCommandLine result;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (option && (arg == "--help" || arg == "-h")) {
            result.action = AppCommandLine::Action::Help;
            return result;
        }
        if (option && arg == "--version") {
            result.action = AppCommandLine::Action::Version;
            return result;
        }
        if (option && arg == "--trace") {
            result.trace = true;
        } else if (option && arg == "--") {
            optionsEnded = true;
        } else if (option) {
            result.action = AppCommandLine::Action::Error;
            result.error = "unknown option '" + arg + "' (see zorvia --help)";
            return result;
        } else if (!result.file.empty() || arg.empty()) {
            result.action = AppCommandLine::Action::Error;
            result.error = arg.empty() ? "empty file name" : "give at most one FILE (see zorvia --help)";
            return result;
        } else {
            result.file = arg;
        }
    }
    return result;
}

std::string AppUsageText() {
    return "Usage: zorvia [OPTION]... [FILE]\n"
           "Look up every occurrence of a word in a corpus of plain-text and HTML files.\n"
           "\n"
           "Opens the Zorvia Concordancer window: type a word and see every occurrence as\n"
           "a key-word-in-context line, the passage around the selected one, and frequency\n"
           "lists of the corpus's words. The window's menus build and maintain the corpus.\n"
           "\n"
           "FILE is a corpus database (*.zorviacorpusdb) to open instead of the one named\n"
           "in the settings; it becomes the settings' corpus. A missing FILE, or one that\n"
           "holds no corpus, is reported and left untouched, and the window opens on the\n"
           "settings' corpus.\n"
           "\n"
           "Options:\n"
           "      --trace    write diagnostic lines to standard output\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Exit status:\n"
           "  0              the window was closed, or help or version shown\n"
           "  1              the window could not open (no display)\n"
           "  2              bad arguments\n"
           "\n"
           "Examples:\n"
           "  zorvia         start on the corpus of the settings\n"
           "  zorvia ~/corpora/novels.zorviacorpusdb\n"
           "                 start on that corpus and keep it for the next start\n";
}

namespace {

std::u16string NotUsedReason(CorpusFileState state) {
    switch (state) {
        case CorpusFileState::Missing:
            return u"が見つかりません。";
        case CorpusFileState::Locked:
            return u"は他のプログラムが使用中のため開けません。";
        case CorpusFileState::Unreadable:
            return u"を読み込めません。";
        case CorpusFileState::Empty:
        case CorpusFileState::NotCorpus:
        case CorpusFileState::NotDatabase:
        case CorpusFileState::Corpus:
            break;
    }
    return u"はコーパスデータベースではありません。";
}

// How the settings' corpus at `path` opens, and what the status bar says
// when it does not open as a corpus.
void DecideOpening(StartupCorpus& start) {
    const std::u16string& path = start.path;
    switch (ProbeCorpusFile(path).state) {
        case CorpusFileState::Missing:
        case CorpusFileState::Empty:
        case CorpusFileState::Corpus:
            start.opening = StartupCorpus::Opening::WithSchema;
            return;
        case CorpusFileState::Locked:
            start.opening = StartupCorpus::Opening::WithoutSchema;
            start.statusMessage = u"データベースは他のプログラムが使用中です: " + path;
            return;
        case CorpusFileState::Unreadable: {
            std::error_code error;
            const bool folder = std::filesystem::is_directory(NativePath(path), error);
            start.opening = StartupCorpus::Opening::None;
            start.statusMessage = (folder ? u"フォルダーはデータベースとして開けません: "
                                          : u"データベースを読み込めないため開けません: ") +
                                  path;
            return;
        }
        case CorpusFileState::NotCorpus:
        case CorpusFileState::NotDatabase:
            start.opening = StartupCorpus::Opening::None;
            start.statusMessage = u"コーパスデータベースではないため開けません: " + path;
            return;
    }
}

}  // namespace

StartupCorpus ChooseStartupCorpus(const std::u16string& storedPath, const std::u16string& commandLineFile) {
    StartupCorpus start;
    if (!commandLineFile.empty()) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(NativePath(commandLineFile), error);
        const std::u16string path = error ? commandLineFile : Utf8ToWide(absolute.string());
        const CorpusFileProbe probe = ProbeCorpusFile(path);
        if (probe.state == CorpusFileState::Corpus) {
            start.path = path;
            start.fromCommandLine = true;
            start.opening = StartupCorpus::Opening::WithoutSchema;
            return start;
        }
        start.message = path + u"\n" + NotUsedReason(probe.state) + u"\n設定されているデータベースを開きます。";
    }
    start.path = StartupDatabasePath(storedPath);
    DecideOpening(start);
    return start;
}

}  // namespace zorvia
