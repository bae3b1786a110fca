// Where the word-input service listens and what a poke carries, shared by
// the service in the application and the zorvia-poke client. Nothing here
// needs wx: the service and the client hand the path to wx IPC.
//
// On Unix the service is a Unix-domain socket named after the service, in a
// directory only this user can enter, so no other user can connect to it or
// put a socket of their own in its place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/prompt.h"

namespace zorvia {

// The three names of the service. They are compared exactly, letter case
// included.
inline constexpr const char16_t* kWordInputServiceName = kAppTitle;  // "Zorvia Concordancer"
inline constexpr char16_t kWordInputTopic[] = u"Simulate";
inline constexpr char16_t kWordInputItem[] = u"InputWord";

// wx's socket transport sends a poke without waiting for an answer. So that
// a client learns whether its poke was acknowledged or not processed, it
// follows the poke with an advise start of the same item on the same
// conversation, which the server answers with the poke's result; no advise
// loop is ever started. An advise start that does not directly follow a
// poke is refused like every other transaction the service does not serve.

// The receive buffer of a poke: the text and its terminating NUL.
inline constexpr std::size_t kPokeBufferSize = 256;

// A service name that can be a file name: not empty, no slash or NUL, not
// "." or "..".
bool IsValidServiceName(std::u16string_view serviceName);

struct SocketPathResult {
    bool ok = false;
    std::string path;   // UTF-8, when ok
    std::string error;  // one line, when not
};

// The socket of `serviceName` for this user: in $XDG_RUNTIME_DIR when that
// is a directory owned by this user that no one else can enter; otherwise
// in zorvia-<uid> under the temporary directory, which must be a real
// directory (not a link) owned by this user with mode 0700. The server
// creates that directory when it is missing (`createDirectory`); a client
// never does. A directory that fails the checks is refused, never used.
SocketPathResult WordInputSocketPath(std::u16string_view serviceName, bool createDirectory);

enum class SocketProbe {
    Absent,     // nothing at the path
    Live,       // a server accepts connections there
    Busy,       // a server listens there, but its queue of connections is full
    Stale,      // a socket file nobody listens on (left by a crash)
    Unusable,   // something else is there, or it cannot be examined
};

// Looks at the path and, when it is a socket, tries to connect to it. A
// connection is closed again at once without a word.
SocketProbe ProbeSocket(const std::string& path);

// Lets the socket listening at `path` in this process queue as many
// connections as the system allows, so that many clients arriving at once
// wait for their turn instead of being turned away. False when this process
// has no such socket or the queue cannot be changed.
bool WidenListenQueue(const std::string& path);

// An exclusive lock on a file beside the socket, held while this process
// serves, so that two instances starting at the same moment cannot both
// create the socket (creating it replaces whatever file is there). The lock
// goes with the process, so a crash never leaves it taken.
class CServiceLock {
public:
    CServiceLock() = default;
    ~CServiceLock();
    CServiceLock(const CServiceLock&) = delete;
    CServiceLock& operator=(const CServiceLock&) = delete;

    // False when another holder has it or the lock file cannot be opened.
    bool TryAcquire(const std::string& socketPath);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The text of poked data, as UTF-8 bytes: up to its first NUL, and never
// more than fits the receive buffer with a terminator (255 bytes). Data
// without a NUL in that room is cut there, moved back to the start of a
// UTF-8 sequence the cut would split. Only the first `size` bytes of `data`
// are read.
std::string PokedText(const void* data, std::size_t size);

}  // namespace zorvia
