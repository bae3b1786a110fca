// zorvia-poke: hands a word to the running application through its
// word-input service, which searches it as if it had been typed.
//
//   zorvia-poke [--service NAME] [--topic NAME] [--item NAME] WORD
//
// The word goes over as UTF-8 text followed by a NUL. The options exist to
// try the names the service refuses. PrintUsage below is the whole help
// text; the manual page is made from it.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <wx/init.h>
#include <wx/ipc.h>

#include "app/command_line.h"
#include "app/word_input_endpoint.h"
#include "platform/text_convert.h"

namespace {

enum ExitCode {
    kAcknowledged = 0,
    kInternalError = 1,
    kBadArguments = 2,
    kNoServer = 3,
    kRefused = 4,
    kNotProcessed = 5,
    kNoAnswer = 6,
};

// A server that accepted the connection but does not answer (the window is
// busy in a long operation) must not keep a script waiting for ever.
constexpr unsigned kAnswerTimeoutSeconds = 30;

void OnAlarm(int) {
    static const char message[] = "zorvia-poke: no answer from the service\n";
    ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    _exit(kNoAnswer);
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "zorvia-poke: %s\n", message.c_str());
    return code;
}

void PrintUsage(std::FILE* out) {
    std::fputs(
        "Usage: zorvia-poke [OPTION]... WORD\n"
        "Hand a word to the running Zorvia Concordancer, which searches it.\n"
        "\n"
        "WORD is searched as if it had been typed into the window's word box: any UTF-8\n"
        "text, cut to 255 bytes. The first window started serves the word-input service\n"
        "(service \"Zorvia Concordancer\", topic \"Simulate\", item \"InputWord\").\n"
        "\n"
        "Options:\n"
        "      --service NAME    ask the service NAME instead\n"
        "      --topic NAME      use the topic NAME instead\n"
        "      --item NAME       poke the item NAME instead\n"
        "  -h, --help            show this help and exit\n"
        "      --version         show the version and exit\n"
        "\n"
        "Exit status:\n"
        "  0                     the word was acknowledged\n"
        "  1                     wxWidgets could not start\n"
        "  2                     bad arguments\n"
        "  3                     no server: the application is not running\n"
        "  4                     connection refused: the service refused the topic\n"
        "  5                     not processed: the service refused the item\n"
        "  6                     no answer within 30 seconds\n"
        "\n"
        "Examples:\n"
        "  zorvia-poke apple     search apple in the running window\n"
        "  zorvia-poke --topic Other apple\n"
        "                        see the service refuse a topic (exit status 4)\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zorvia;
    std::u16string service = kWordInputServiceName;
    std::u16string topic = kWordInputTopic;
    std::u16string item = kWordInputItem;
    std::string word;
    bool haveWord = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            PrintUsage(stdout);
            return kAcknowledged;
        }
        if (!optionsEnded && arg == "--version") {
            std::fputs(VersionText("zorvia-poke").c_str(), stdout);
            return kAcknowledged;
        }
        if (!optionsEnded && (arg == "--service" || arg == "--topic" || arg == "--item")) {
            if (i + 1 >= argc) return Fail(kBadArguments, arg + " needs a value");
            const std::u16string value = Utf8ToWide(argv[++i]);
            (arg == "--service" ? service : arg == "--topic" ? topic : item) = value;
            continue;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-')
            return Fail(kBadArguments, "unknown option '" + arg + "' (see zorvia-poke --help)");
        if (haveWord) return Fail(kBadArguments, "give exactly one word");
        word = arg;
        haveWord = true;
    }
    if (!haveWord) return Fail(kBadArguments, "no word given (see zorvia-poke --help)");
    if (!IsValidServiceName(service)) return Fail(kBadArguments, "invalid service name");

    const SocketPathResult where = WordInputSocketPath(service, false);
    if (!where.ok) return Fail(kNoServer, "no server: " + where.error);

    wxInitializer initializer;
    if (!initializer.IsOk()) return Fail(kInternalError, "cannot initialise wxWidgets");

    signal(SIGALRM, OnAlarm);
    alarm(kAnswerTimeoutSeconds);

    wxClient client;
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection(wxASCII_STR("localhost"), wxString::FromUTF8(where.path),
                              wxString::FromUTF8(WideToUtf8(topic))));
    if (connection == nullptr) {
        // wx does not say why; a server that is there refused the topic.
        if (ProbeSocket(where.path) == SocketProbe::Live) {
            return Fail(kRefused, "connection refused by " + WideToUtf8(service));
        }
        return Fail(kNoServer, "no server for " + WideToUtf8(service));
    }
    std::string data = word;
    data.push_back('\0');
    const wxString itemName = wxString::FromUTF8(WideToUtf8(item));
    // The poke itself goes out unanswered; the advise start that follows
    // brings back its result.
    const bool acknowledged = connection->Poke(itemName, data.data(), data.size(), wxIPC_UTF8TEXT) &&
                              connection->StartAdvise(itemName);
    connection->Disconnect();
    alarm(0);
    if (!acknowledged) return Fail(kNotProcessed, "'" + WideToUtf8(item) + "' not processed");
    return kAcknowledged;
}
