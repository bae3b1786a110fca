// zorvia-poke: hands a word to the running application through its
// word-input service, which searches it as if it had been typed.
//
//   zorvia-poke [--service NAME] [--topic NAME] [--item NAME] [--timeout SECONDS] WORD
//
// The word goes over as UTF-8 text followed by a NUL. The name options exist
// to try the names the service refuses. PrintUsage below is the whole help
// text; the manual page is made from it.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>

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
    kBusy = 7,
};

// The whole run, from the first connection attempt to the answer: a server
// that does not answer (the window is busy in a long operation) or never
// takes the connection must not keep a script waiting for ever.
constexpr int kDefaultTimeoutSeconds = 30;

// A failed connection to a server that is there is either a refused topic
// or a full queue of connections at that moment (many clients at once).
// The queue is looked at after each failure: full means busy, and the client
// tries again; free this many times in a row means the topic was refused.
constexpr int kRefusalsToBelieve = 3;

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
        "      --timeout SECONDS how long to try in all (default 30)\n"
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
        "  6                     no answer within the time allowed (30 seconds unless --timeout)\n"
        "  7                     busy: the service did not take the connection in time\n"
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
    int timeoutSeconds = kDefaultTimeoutSeconds;
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
        if (!optionsEnded && arg == "--timeout") {
            const std::string value = i + 1 < argc ? argv[++i] : "";
            if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(value) < 1)
                return Fail(kBadArguments, "--timeout needs a number of seconds from 1");
            timeoutSeconds = std::stoi(value);
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

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    // What is left of the run, in whole seconds, at least one: the alarm
    // ends a wait for an answer that does not come.
    const auto secondsLeft = [&] {
        const auto left = std::chrono::ceil<std::chrono::seconds>(deadline - Clock::now()).count();
        return static_cast<unsigned>(left < 1 ? 1 : left);
    };
    signal(SIGALRM, OnAlarm);

    wxClient client;
    std::unique_ptr<wxConnectionBase> connection;
    std::minstd_rand jitter(static_cast<unsigned>(getpid()));
    int refusals = 0;
    for (int attempt = 0;; ++attempt) {
        alarm(secondsLeft());
        connection.reset(client.MakeConnection(wxASCII_STR("localhost"), wxString::FromUTF8(where.path),
                                               wxString::FromUTF8(WideToUtf8(topic))));
        alarm(0);
        if (connection != nullptr) break;
        // wx does not say why.
        switch (ProbeSocket(where.path)) {
        case SocketProbe::Busy:
            refusals = 0;
            break;
        case SocketProbe::Live:
            if (++refusals >= kRefusalsToBelieve) return Fail(kRefused, "connection refused by " + WideToUtf8(service));
            break;
        default:
            return Fail(kNoServer, "no server for " + WideToUtf8(service));
        }
        if (Clock::now() >= deadline) {
            return Fail(kBusy, "busy: " + WideToUtf8(service) + " did not take the connection within " +
                                   std::to_string(timeoutSeconds) + " seconds");
        }
        // A little longer each time, and never in step with the other clients.
        const int pause = std::min(200, 5 << std::min(attempt, 5));
        std::this_thread::sleep_for(std::chrono::milliseconds(pause / 2 + static_cast<int>(jitter() % pause)));
    }
    alarm(secondsLeft());
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
