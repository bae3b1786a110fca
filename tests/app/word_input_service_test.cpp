#include "app/ui/word_input_service.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/ipc.h>

#include "platform/text_convert.h"
#include "support/test_support.h"

extern char** environ;

namespace zorvia {
namespace {

using test::N;
using test::TempDir;
using test::TraceCapture;
using test::W;

// Keeps the event loop running until `done` holds or ten seconds pass.
template <typename Predicate>
bool PumpUntil(Predicate done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        wxEventLoopBase::GetActive()->DispatchTimeout(10);
        wxTheApp->ProcessPendingEvents();
    }
    return true;
}

// Lets pending work (a word on its way to the target) arrive.
void PumpBriefly() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    PumpUntil([&] { return std::chrono::steady_clock::now() > until; });
}

// A poke as zorvia-poke sends it: the poke, then the advise start that
// brings back its result.
bool PokeAndConfirm(wxConnectionBase& connection, const char* item, const void* data, size_t size,
                    wxIPCFormat format) {
    const wxString name = wxString::FromUTF8(item);
    return connection.Poke(name, data, size, format) && connection.StartAdvise(name);
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_previous = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_previous) {
            setenv(m_name.c_str(), m_previous->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

struct PokeRun {
    int exitCode = -1;
    std::string message;  // what the client wrote to standard error
};

class FakeTarget : public IWordInputTarget {
public:
    void OnWordPoked(const std::u16string& word) override { words.push_back(word); }
    std::vector<std::u16string> words;
};

class WordInputServiceTest : public ::testing::Test {
protected:
    // The service's socket goes into a runtime directory of the test's own.
    WordInputServiceTest() : m_runtime("XDG_RUNTIME_DIR", m_dir.path().c_str()) {}

    std::string SocketPath() const { return m_dir.NativeFile("Zorvia Concordancer"); }

    // Runs the real client as a child process while this process serves.
    PokeRun Poke(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {ZORVIA_POKE_TOOL};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (auto& arg : argv) pointers.push_back(arg.data());
        pointers.push_back(nullptr);
        const std::string errors = m_dir.NativeFile("poke-stderr");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = 0;
        PokeRun run;
        const int rc = posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            ADD_FAILURE() << "cannot start " << argv[0] << ": " << std::strerror(rc);
            return run;
        }
        int status = 0;
        const bool ended = PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "zorvia-poke did not finish";
            return run;
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.message = test::ReadFileBytes(errors);
        // The word travels on through the event loop after the answer.
        PumpBriefly();
        return run;
    }

    // A client inside the test process, for what zorvia-poke does not do.
    std::unique_ptr<wxConnectionBase> Connect(const char* topic) {
        return std::unique_ptr<wxConnectionBase>(m_client.MakeConnection(
            wxASCII_STR("localhost"), wxString::FromUTF8(SocketPath()), wxString::FromUTF8(topic)));
    }

    TempDir m_dir;
    ScopedEnv m_runtime;
    wxClient m_client;
    FakeTarget target;
    CWordInputService service;
};

TEST_F(WordInputServiceTest, PokedWordReachesTheTargetAndIsAcknowledged) {
    TraceCapture trace;
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    EXPECT_EQ(service.Address(), SocketPath());

    const PokeRun run = Poke({"apple"});
    EXPECT_EQ(run.exitCode, 0) << run.message;
    EXPECT_EQ(target.words, std::vector<std::u16string>{u"apple"});
    const std::string lines = trace.Joined();
    EXPECT_NE(lines.find("[DDE] MyDdeProc\n[DDE]  connect.\n[DDE] 接続完了\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("[DDE] MyDdeProc\n[DDE]  poke.\n[DDE] 受信データ：/apple/\n"), std::string::npos)
        << lines;

    // Text beyond ASCII arrives as the same characters.
    EXPECT_EQ(Poke({"りんご"}).exitCode, 0);
    ASSERT_EQ(target.words.size(), 2u);
    EXPECT_EQ(target.words[1], W("りんご"));
}

TEST_F(WordInputServiceTest, OtherNamesInAnyLetterCaseAreRefused) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);

    PokeRun run = Poke({"--service", "zorvia concordancer", "apple"});
    EXPECT_EQ(run.exitCode, 3) << run.message;
    run = Poke({"--topic", "simulate", "apple"});
    EXPECT_EQ(run.exitCode, 4) << run.message;
    EXPECT_EQ(Connect("SIMULATE"), nullptr);
    run = Poke({"--item", "inputword", "apple"});
    EXPECT_EQ(run.exitCode, 5) << run.message;
    run = Poke({"--item", "Other", "apple"});
    EXPECT_EQ(run.exitCode, 5) << run.message;
    EXPECT_TRUE(target.words.empty());

    // Each failure says what happened in one line.
    EXPECT_EQ(run.message, "zorvia-poke: 'Other' not processed\n");
}

TEST_F(WordInputServiceTest, RequestsGetNoDataAndAdviseLoopsAreRefused) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    TraceCapture trace;
    auto connection = Connect("Simulate");
    ASSERT_NE(connection, nullptr);
    size_t size = 123;
    EXPECT_EQ(connection->Request(wxASCII_STR("InputWord"), &size), nullptr);
    EXPECT_EQ(connection->Request(wxASCII_STR("anything"), &size), nullptr);
    EXPECT_EQ(trace.Count("[DDE]  request."), 2);
    EXPECT_FALSE(connection->StartAdvise(wxASCII_STR("InputWord")));
    // A result is answered once, for the poke right before, of that item.
    EXPECT_TRUE(PokeAndConfirm(*connection, "InputWord", "a", 2, wxIPC_TEXT));
    EXPECT_FALSE(connection->StartAdvise(wxASCII_STR("InputWord")));
    ASSERT_TRUE(connection->Poke(wxASCII_STR("InputWord"), "b", 2, wxIPC_TEXT));
    EXPECT_FALSE(connection->StartAdvise(wxASCII_STR("Other")));
    EXPECT_TRUE(connection->Disconnect());
    PumpBriefly();
    EXPECT_EQ(target.words, (std::vector<std::u16string>{u"a", u"b"}));
}

TEST_F(WordInputServiceTest, LongPokesAreCutInsideTheBufferAtACharacterBoundary) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);

    // 300 bytes and its NUL from the client: 255 bytes remain.
    EXPECT_EQ(Poke({std::string(300, 'x')}).exitCode, 0);
    // 150 two-byte characters: the cut would split the 128th, so 127 remain.
    std::string accents;
    for (int i = 0; i < 150; ++i) accents += "é";
    EXPECT_EQ(Poke({accents}).exitCode, 0);
    // 300 bytes without any NUL, straight from a client of our own.
    auto connection = Connect("Simulate");
    ASSERT_NE(connection, nullptr);
    const std::string raw(300, 'y');
    EXPECT_TRUE(PokeAndConfirm(*connection, "InputWord", raw.data(), raw.size(), wxIPC_PRIVATE));
    // The text ends at the first NUL even when more data follows.
    const char embedded[] = "pear\0hidden";
    EXPECT_TRUE(PokeAndConfirm(*connection, "InputWord", embedded, sizeof embedded, wxIPC_TEXT));
    PumpBriefly();

    ASSERT_EQ(target.words.size(), 4u);
    EXPECT_EQ(target.words[0], std::u16string(255, u'x'));
    EXPECT_EQ(target.words[1], std::u16string(127, u'é'));
    EXPECT_EQ(target.words[2], std::u16string(255, u'y'));
    EXPECT_EQ(target.words[3], u"pear");
}

TEST_F(WordInputServiceTest, PokesWithoutAWindowAreAcknowledgedAndIgnored) {
    ASSERT_EQ(service.Start(nullptr), WordInputStart::Started);
    EXPECT_EQ(Poke({"apple"}).exitCode, 0);

    // A conversation opened while the window existed, used after Stop.
    FakeTarget window;
    CWordInputService second;
    service.Stop();
    ASSERT_EQ(second.Start(&window), WordInputStart::Started);
    auto connection = Connect("Simulate");
    ASSERT_NE(connection, nullptr);
    second.Stop();
    EXPECT_FALSE(second.IsRunning());
    EXPECT_TRUE(PokeAndConfirm(*connection, "InputWord", "late", 5, wxIPC_TEXT));
    PumpBriefly();
    EXPECT_TRUE(window.words.empty());
    // Stopping removed the socket: nobody to talk to any more.
    EXPECT_EQ(Poke({"apple"}).exitCode, 3);
    EXPECT_TRUE(target.words.empty());
}

TEST_F(WordInputServiceTest, SocketIsReadableAndWritableByTheUserAlone) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    struct stat st;
    ASSERT_EQ(lstat(SocketPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_uid, geteuid());
    service.Stop();
    EXPECT_NE(lstat(SocketPath().c_str(), &st), 0);
}

// Without a usable runtime directory the socket goes into a directory of
// our own under the temporary directory.
TEST_F(WordInputServiceTest, FallbackDirectoryIsPrivateAndOthersAreRefused) {
    TempDir temporary;
    ScopedEnv tmpdir("TMPDIR", temporary.path().c_str());
    const std::string own = temporary.NativeFile("zorvia-" + std::to_string(geteuid()));
    {
        // A runtime directory that others can enter is not used.
        ASSERT_EQ(chmod(m_dir.path().c_str(), 0755), 0);
        ASSERT_EQ(service.Start(&target), WordInputStart::Started);
        EXPECT_EQ(service.Address(), own + "/Zorvia Concordancer");
        struct stat st;
        ASSERT_EQ(lstat(own.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        EXPECT_EQ(st.st_uid, geteuid());
        ASSERT_EQ(lstat(service.Address().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        // The client finds the same place by the same rule.
        EXPECT_EQ(Poke({"apple"}).exitCode, 0);
        EXPECT_EQ(target.words.size(), 1u);
        service.Stop();
    }
    {
        ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
        // A directory of that name that others can enter is refused, not
        // repaired: someone else may have made it.
        ASSERT_EQ(chmod(own.c_str(), 0755), 0);
        EXPECT_EQ(service.Start(&target), WordInputStart::Failed);
        EXPECT_EQ(Poke({"apple"}).exitCode, 3);
        ASSERT_EQ(chmod(own.c_str(), 0700), 0);
        // So is a link to a directory, even a private one.
        ASSERT_EQ(rename(own.c_str(), (own + "-real").c_str()), 0);
        ASSERT_EQ(symlink((own + "-real").c_str(), own.c_str()), 0);
        EXPECT_EQ(service.Start(&target), WordInputStart::Failed);
        ASSERT_EQ(unlink(own.c_str()), 0);
        ASSERT_EQ(rename((own + "-real").c_str(), own.c_str()), 0);
        if (geteuid() == 0) {
            // And one owned by another user.
            ASSERT_EQ(chown(own.c_str(), 65534, 65534), 0);
            EXPECT_EQ(service.Start(&target), WordInputStart::Failed);
            EXPECT_EQ(Poke({"apple"}).exitCode, 3);
            ASSERT_EQ(chown(own.c_str(), 0, 0), 0);
        }
        EXPECT_EQ(service.Start(&target), WordInputStart::Started);
        service.Stop();
    }
    ASSERT_EQ(chmod(m_dir.path().c_str(), 0700), 0);
}

// A listening socket that is not a wx server: it stands for another
// instance that answers.
int ListenAt(const std::string& path, bool listening) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -1;
    if (listening && listen(fd, 4) != 0) return -1;
    return fd;
}

TEST_F(WordInputServiceTest, ASecondInstanceLeavesTheRunningServiceAlone) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    struct stat before;
    ASSERT_EQ(lstat(SocketPath().c_str(), &before), 0);

    FakeTarget otherWindow;
    CWordInputService other;
    EXPECT_EQ(other.Start(&otherWindow), WordInputStart::ServedElsewhere);
    EXPECT_FALSE(other.IsRunning());
    other.Stop();  // must not remove the first instance's socket
    struct stat after;
    ASSERT_EQ(lstat(SocketPath().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(Poke({"apple"}).exitCode, 0);
    EXPECT_EQ(target.words.size(), 1u);
    EXPECT_TRUE(otherWindow.words.empty());
}

TEST_F(WordInputServiceTest, AnAnsweringSocketIsNeverReplaced) {
    const int fd = ListenAt(SocketPath(), true);
    ASSERT_GE(fd, 0);
    struct stat before;
    ASSERT_EQ(lstat(SocketPath().c_str(), &before), 0);
    EXPECT_EQ(service.Start(&target), WordInputStart::ServedElsewhere);
    struct stat after;
    ASSERT_EQ(lstat(SocketPath().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    close(fd);
}

TEST_F(WordInputServiceTest, AStaleSocketIsReplaced) {
    // Bound and never listened on, then abandoned, as after a crash.
    const int fd = ListenAt(SocketPath(), false);
    ASSERT_GE(fd, 0);
    close(fd);
    TraceCapture trace;
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    EXPECT_EQ(trace.Count("[DDE] removing the stale socket"), 1);
    EXPECT_EQ(Poke({"apple"}).exitCode, 0);
    EXPECT_EQ(target.words, std::vector<std::u16string>{u"apple"});
}

TEST_F(WordInputServiceTest, SomethingElseAtTheSocketPathIsLeftAlone) {
    m_dir.Write("Zorvia Concordancer", "not a socket");
    EXPECT_EQ(service.Start(&target), WordInputStart::Failed);
    EXPECT_EQ(test::ReadFileBytes(SocketPath()), "not a socket");
}

}  // namespace
}  // namespace zorvia
