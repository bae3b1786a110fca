#include "app/word_input_endpoint.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/text_convert.h"

namespace zorvia {

namespace {

// A directory nobody but this user can enter or change.
bool IsPrivateDirectory(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

std::string RuntimeDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') return {};
    struct stat st;
    if (stat(runtime, &st) != 0 || !IsPrivateDirectory(st)) return {};
    return runtime;
}

std::string TemporaryDirectory() {
    std::error_code ec;
    std::string base = std::filesystem::temp_directory_path(ec).string();
    if (ec || base.empty() || base[0] != '/') base = "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base;
}

}  // namespace

bool IsValidServiceName(std::u16string_view serviceName) {
    if (serviceName.empty() || serviceName == u"." || serviceName == u"..") return false;
    return serviceName.find_first_of(std::u16string_view(u"/\0", 2)) == std::u16string_view::npos;
}

SocketPathResult WordInputSocketPath(std::u16string_view serviceName, bool createDirectory) {
    SocketPathResult result;
    if (!IsValidServiceName(serviceName)) {
        result.error = "invalid service name '" + WideToUtf8(serviceName) + "'";
        return result;
    }
    std::string directory = RuntimeDirectory();
    if (directory.empty()) {
        directory = TemporaryDirectory() + "/zorvia-" + std::to_string(geteuid());
        if (createDirectory && mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
            result.error = "cannot create " + directory + ": " + std::strerror(errno);
            return result;
        }
        // lstat: a link planted by someone else is not our directory, even
        // when it points at one of ours. The mode must be exactly 0700.
        struct stat st;
        if (lstat(directory.c_str(), &st) != 0) {
            result.error = "no service directory " + directory;
            return result;
        }
        if (!IsPrivateDirectory(st) || (st.st_mode & 0777) != 0700) {
            result.error = directory + " is not a private directory of this user";
            return result;
        }
    }
    result.path = directory + "/" + WideToUtf8(serviceName);
    if (result.path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        result.error = "socket path too long: " + result.path;
        result.path.clear();
        return result;
    }
    result.ok = true;
    return result;
}

SocketProbe ProbeSocket(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT ? SocketProbe::Absent : SocketProbe::Unusable;
    if (!S_ISSOCK(st.st_mode)) return SocketProbe::Unusable;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return SocketProbe::Unusable;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // Without blocking: a full queue answers at once instead of holding the
    // caller until the server takes the connection.
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return SocketProbe::Unusable;
    const int rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    close(fd);
    if (rc == 0) return SocketProbe::Live;
    switch (error) {
    case EAGAIN:  // a listener whose queue is full is still alive
        return SocketProbe::Busy;
    case ECONNREFUSED:
        return SocketProbe::Stale;
    case ENOENT:
        return SocketProbe::Absent;
    default:
        return SocketProbe::Unusable;
    }
}

bool WidenListenQueue(const std::string& path) {
    // The listening socket is not handed out by whoever created it: it is
    // found among this process's descriptors by its address. Listening again
    // on a listening socket only changes the length of its queue.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        const int fd = std::stoi(name);
        int listening = 0;
        socklen_t size = sizeof listening;
        if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || listening == 0) continue;
        sockaddr_un address{};
        socklen_t length = sizeof address;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || address.sun_family != AF_UNIX)
            continue;
        if (path != std::string(address.sun_path, strnlen(address.sun_path, sizeof address.sun_path))) continue;
        return listen(fd, SOMAXCONN) == 0;
    }
    return false;
}

CServiceLock::~CServiceLock() { Release(); }

bool CServiceLock::TryAcquire(const std::string& socketPath) {
    Release();
    const std::string lockPath = socketPath + ".lock";
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void CServiceLock::Release() {
    if (m_fd < 0) return;
    close(m_fd);  // closing the last descriptor drops the lock
    m_fd = -1;
}

std::string PokedText(const void* data, std::size_t size) {
    if (data == nullptr) return {};
    const char* bytes = static_cast<const char*>(data);
    const std::size_t room = kPokeBufferSize - 1;
    const std::size_t scan = size < kPokeBufferSize ? size : kPokeBufferSize;
    const void* nul = std::memchr(bytes, '\0', scan);
    if (nul != nullptr) return std::string(bytes, static_cast<const char*>(nul));
    if (size <= room) return std::string(bytes, size);
    // No terminator within the buffer: keep what fits. When the first byte
    // left out continues a sequence, the sequence's start goes as well.
    std::size_t end = room;
    for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80; ++back) {
        --end;
    }
    if ((static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) end = room;  // not UTF-8 anyway
    return std::string(bytes, end);
}

}  // namespace zorvia
