#include "app/ui/word_input_service.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/ipc.h>

#include "support/test_support.h"

namespace zorvia {
namespace {

void DispatchOnce() { wxEventLoopBase::GetActive()->DispatchTimeout(10); }

// Lets a word on its way to the target arrive.
void PumpBriefly() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (std::chrono::steady_clock::now() < until) DispatchOnce();
}

struct FakeTarget : IWordInputTarget {
    void OnWordPoked(const std::u16string& word) override { words.push_back(word); }
    std::vector<std::u16string> words;
};

class WordInputServiceTest : public ::testing::Test {
protected:
    // The socket goes into a runtime directory of the test's own.
    void SetUp() override { setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1); }
    void TearDown() override {
        service.Stop();
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("TMPDIR");
    }

    std::string SocketPath() const { return dir.NativeFile("Zorvia Concordancer"); }

    // Runs the real client while this process serves; its exit status, and
    // its message in `message`.
    int Poke(std::vector<std::string> args) {
        args.insert(args.begin(), ZORVIA_POKE_TOOL);
        const test::ProgramRun run = test::RunProgram(args, DispatchOnce);
        message = run.err;
        PumpBriefly();
        return run.status;
    }

    // A client inside the test, for what zorvia-poke does not send.
    std::unique_ptr<wxConnectionBase> Connect(const char* topic) {
        return std::unique_ptr<wxConnectionBase>(client.MakeConnection(
            wxASCII_STR("localhost"), wxString::FromUTF8(SocketPath()), wxString::FromUTF8(topic)));
    }

    test::TempDir dir;
    wxClient client;
    FakeTarget target;
    CWordInputService service;
    std::string message;
};

TEST_F(WordInputServiceTest, DeliversPokedWordsAndRefusesEverythingElse) {
    test::TraceCapture trace;
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    for (const std::string& word : {std::string("apple"), std::string("りんご"), std::string(300, 'x')})
        EXPECT_EQ(Poke({word}), 0) << message;
    // The long one cut inside the buffer.
    EXPECT_EQ(target.words, (std::vector<std::u16string>{u"apple", u"りんご", std::u16string(255, u'x')}));
    EXPECT_NE(trace.Joined().find("[DDE] MyDdeProc\n[DDE]  connect.\n[DDE] 接続完了\n"
                                  "[DDE] MyDdeProc\n[DDE]  poke.\n[DDE] 受信データ：/apple/\n"),
              std::string::npos);

    // Names are exact: letter case counts.
    EXPECT_EQ(Poke({"--service", "zorvia concordancer", "pear"}), 3);
    EXPECT_EQ(Poke({"--topic", "simulate", "pear"}), 4);
    EXPECT_EQ(Poke({"--item", "inputword", "pear"}), 5);
    EXPECT_EQ(message, "zorvia-poke: 'inputword' not processed\n");
    auto connection = Connect("Simulate");
    ASSERT_NE(connection, nullptr);
    size_t size = 0;
    EXPECT_EQ(connection->Request(wxASCII_STR("InputWord"), &size), nullptr);
    EXPECT_FALSE(connection->StartAdvise(wxASCII_STR("InputWord")));  // no poke to answer for
    EXPECT_EQ(target.words.size(), 3u);
}

// A hundred clients at once: each is acknowledged, each word arrives once.
TEST_F(WordInputServiceTest, AHundredPokesAtOnceAreAllAcknowledged) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    std::vector<std::unique_ptr<test::TempDir>> scratch;
    std::vector<pid_t> clients;
    std::multiset<std::u16string> expected;
    for (int i = 0; i < 100; ++i) {
        scratch.push_back(std::make_unique<test::TempDir>());
        clients.push_back(test::StartProgram(*scratch.back(), {ZORVIA_POKE_TOOL, "w" + std::to_string(i)}));
        expected.insert(test::W(("w" + std::to_string(i)).c_str()));
    }
    for (int i = 0; i < 100; ++i) {
        const test::ProgramRun run = test::FinishProgram(*scratch[i], clients[i], DispatchOnce);
        EXPECT_EQ(run.status, 0) << i << ": " << run.err;
    }
    PumpBriefly();
    EXPECT_EQ(std::multiset<std::u16string>(target.words.begin(), target.words.end()), expected);
}

// Without a window pokes are acknowledged and ignored; so are those of a
// conversation opened while the window existed and used after Stop.
TEST_F(WordInputServiceTest, PokesWithoutAWindowAreAcknowledgedAndIgnored) {
    ASSERT_EQ(service.Start(nullptr), WordInputStart::Started);
    EXPECT_EQ(Poke({"apple"}), 0);
    service.Stop();
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    auto connection = Connect("Simulate");
    ASSERT_NE(connection, nullptr);
    service.Stop();
    // As zorvia-poke sends it: the poke, then the advise start that brings
    // back its result.
    EXPECT_TRUE(connection->Poke(wxASCII_STR("InputWord"), "late", 5, wxIPC_TEXT) &&
                connection->StartAdvise(wxASCII_STR("InputWord")));
    PumpBriefly();
    EXPECT_TRUE(target.words.empty());
    EXPECT_EQ(Poke({"apple"}), 3);  // the socket went with Stop
}

TEST_F(WordInputServiceTest, SocketAndItsDirectoryBelongToTheUserAlone) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    struct stat st;
    ASSERT_EQ(lstat(SocketPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & (S_IFMT | 07777), S_IFSOCK | 0600u);
    EXPECT_EQ(st.st_uid, geteuid());
    service.Stop();

    // A runtime directory others can enter is passed over for our own
    // directory under the temporary directory.
    test::TempDir temporary;
    setenv("TMPDIR", temporary.path().c_str(), 1);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string own = temporary.NativeFile("zorvia-" + std::to_string(geteuid()));
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    EXPECT_EQ(service.Address(), own + "/Zorvia Concordancer");
    ASSERT_EQ(lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(Poke({"apple"}), 0);  // the client finds it by the same rule
    service.Stop();

    // That directory is refused, not repaired, when others can enter it or
    // it belongs to someone else: they may have made it.
    ASSERT_EQ(chmod(own.c_str(), 0755), 0);
    EXPECT_EQ(service.Start(&target), WordInputStart::Failed);
    EXPECT_EQ(Poke({"apple"}), 3);
    ASSERT_EQ(chmod(own.c_str(), 0700), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(own.c_str(), 65534, 65534), 0);
        EXPECT_EQ(service.Start(&target), WordInputStart::Failed);
        ASSERT_EQ(chown(own.c_str(), 0, 0), 0);
    }
    EXPECT_EQ(target.words.size(), 1u);
}

// A socket at the service's path, listening or not: another instance, or
// what a crashed one left.
int BindAt(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

TEST_F(WordInputServiceTest, OnlyAnAnsweringServiceKeepsItsSocket) {
    ASSERT_EQ(service.Start(&target), WordInputStart::Started);
    CWordInputService second;
    EXPECT_EQ(second.Start(&target), WordInputStart::ServedElsewhere);
    second.Stop();
    EXPECT_EQ(Poke({"apple"}), 0);
    service.Stop();

    // A listener without the lock is left alone too, also when its queue
    // is full. A client tries it until its time is up, then says it was
    // busy, not refused; let into the queue, it waits for an answer.
    const int fd = BindAt(SocketPath());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(listen(fd, 0), 0);
    ASSERT_EQ(ProbeSocket(SocketPath()), SocketProbe::Live);  // takes the one place of the queue
    struct stat before, after;
    ASSERT_EQ(lstat(SocketPath().c_str(), &before), 0);
    EXPECT_EQ(service.Start(&target), WordInputStart::ServedElsewhere);
    ASSERT_EQ(lstat(SocketPath().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(Poke({"--timeout", "2", "pear"}), 7);
    EXPECT_EQ(message, "zorvia-poke: busy: Zorvia Concordancer did not take the connection within 2 seconds\n");
    ASSERT_TRUE(WidenListenQueue(SocketPath()));
    EXPECT_EQ(Poke({"--timeout", "1", "pear"}), 6);

    // Closed, it is stale, and replaced.
    close(fd);
    EXPECT_EQ(service.Start(&target), WordInputStart::Started);
    EXPECT_EQ(Poke({"pear"}), 0);
    EXPECT_EQ(target.words, (std::vector<std::u16string>{u"apple", u"pear"}));
    service.Stop();

    // Anything that is not a socket is never removed.
    dir.Write("Zorvia Concordancer", "mine");
    EXPECT_EQ(service.Start(&target), WordInputStart::Failed);
    EXPECT_EQ(test::ReadFileBytes(SocketPath()), "mine");
}

}  // namespace
}  // namespace zorvia
