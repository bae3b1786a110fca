#include "app/ui/word_input_service.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include <wx/app.h>
#include <wx/ipc.h>

#include "platform/text_convert.h"
#include "platform/trace.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

// What the service and its open conversations share. Conversations can
// outlive the service object (a client may keep one open past Stop), so
// they hold this rather than the service.
struct WordInputState {
    IWordInputTarget* target = nullptr;
};

namespace {

// One conversation with a client on the topic "Simulate". wx deletes it
// when the client disconnects.
class CWordInputConnection : public wxConnection {
public:
    explicit CWordInputConnection(std::shared_ptr<WordInputState> shared)
        : m_shared(std::move(shared)) {}

    const void* OnRequest(const wxString&, const wxString&, size_t* size, wxIPCFormat) override {
        m_lastPoke.reset();
        Trace("[DDE] MyDdeProc\n");
        Trace("[DDE]  request.\n");
        if (size != nullptr) *size = 0;
        return nullptr;  // no data: the request fails
    }

    bool OnPoke(const wxString& topic, const wxString& item, const void* data, size_t size,
                wxIPCFormat) override {
        Trace("[DDE] MyDdeProc\n");
        Trace("[DDE]  poke.\n");
        m_lastPoke = std::make_pair(item, Poked(topic, item, data, size));
        return m_lastPoke->second;
    }

    bool OnExec(const wxString&, const wxString&) override {
        m_lastPoke.reset();
        Trace("[DDE] MyDdeProc\n");
        return false;
    }

    // The answer to the poke just before, for the client that asks.
    bool OnStartAdvise(const wxString&, const wxString& item) override {
        const auto lastPoke = std::exchange(m_lastPoke, std::nullopt);
        if (lastPoke && lastPoke->first == item) return lastPoke->second;
        Trace("[DDE] MyDdeProc\n");
        return false;
    }

private:
    bool Poked(const wxString& topic, const wxString& item, const void* data, size_t size) {
        if (topic != ToWx(kWordInputTopic) || item != ToWx(kWordInputItem)) return false;
        // The format is not examined: the data is text up to its first NUL.
        const std::string text = PokedText(data, size);
        Trace("[DDE] 受信データ：/%s/\n", text.c_str());
        Deliver(m_shared, Utf8ToWide(text));
        return true;
    }

    // The word reaches the window from the event loop, after the client has
    // its acknowledgement: the search may show a message box, and the
    // client should not wait on it, nor the search run inside the socket
    // handler. A window gone by then is not called.
    static void Deliver(std::shared_ptr<WordInputState> shared, std::u16string word) {
        if (shared->target == nullptr) return;
        if (wxTheApp == nullptr) {
            shared->target->OnWordPoked(word);
            return;
        }
        wxTheApp->CallAfter([shared, word = std::move(word)] {
            if (shared->target != nullptr) shared->target->OnWordPoked(word);
        });
    }

    std::shared_ptr<WordInputState> m_shared;
    // The item and result of the last transaction when it was a poke.
    std::optional<std::pair<wxString, bool>> m_lastPoke;
};

}  // namespace

class CWordInputService::CServer : public wxServer {
public:
    explicit CServer(std::shared_ptr<WordInputState> shared) : m_shared(std::move(shared)) {}

    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        Trace("[DDE] MyDdeProc\n");
        Trace("[DDE]  connect.\n");
        // Exact and case-sensitive. The service name was matched by the
        // address the client reached.
        if (topic != ToWx(kWordInputTopic)) return nullptr;
        Trace("[DDE] 接続完了\n");
        return new CWordInputConnection(m_shared);
    }

private:
    std::shared_ptr<WordInputState> m_shared;
};

CWordInputService::CWordInputService() : m_shared(std::make_shared<WordInputState>()) {}

CWordInputService::~CWordInputService() { Stop(); }

bool CWordInputService::IsRunning() const { return m_server != nullptr; }

WordInputStart CWordInputService::Start(IWordInputTarget* target) {
    m_shared->target = target;
    if (m_server != nullptr) return WordInputStart::Started;
    m_address.clear();

    const SocketPathResult where = WordInputSocketPath(kWordInputServiceName, true);
    if (!where.ok) {
        Trace("[DDE] DdeInitialize 失敗\n");
        Trace("[DDE] %s\n", where.error.c_str());
        return WordInputStart::Failed;
    }
    m_address = where.path;

    // Creating the server replaces whatever file has the socket's name, so
    // a running instance's socket must never get that far. Two checks: the
    // lock that every serving instance holds, and a connection attempt for
    // a server that answers anyway.
    if (!m_lock.TryAcquire(m_address)) {
        Trace("[DDE] another instance serves %s; running without the service\n", m_address.c_str());
        return WordInputStart::ServedElsewhere;
    }
    switch (ProbeSocket(m_address)) {
    case SocketProbe::Absent:
        break;
    case SocketProbe::Live:
    case SocketProbe::Busy:
        m_lock.Release();
        Trace("[DDE] another instance serves %s; running without the service\n", m_address.c_str());
        return WordInputStart::ServedElsewhere;
    case SocketProbe::Stale:
        // Left by an instance that crashed: nobody answers on it.
        Trace("[DDE] removing the stale socket %s\n", m_address.c_str());
        if (unlink(m_address.c_str()) != 0 && errno != ENOENT) {
            Trace("[DDE] DdeInitialize 失敗\n");
            Trace("[DDE] cannot remove %s: %s\n", m_address.c_str(), std::strerror(errno));
            m_lock.Release();
            return WordInputStart::Failed;
        }
        break;
    case SocketProbe::Unusable:
        // Something that is not our socket: leave it alone.
        Trace("[DDE] DdeInitialize 失敗\n");
        Trace("[DDE] %s is in the way of the service socket\n", m_address.c_str());
        m_lock.Release();
        return WordInputStart::Failed;
    }

    auto server = std::make_unique<CServer>(m_shared);
    if (!server->Create(wxString::FromUTF8(m_address))) {
        Trace("[DDE] DdeInitialize 失敗\n");
        Trace("[DDE] cannot listen on %s\n", m_address.c_str());
        m_lock.Release();
        return WordInputStart::Failed;
    }
    // wx creates the socket under a umask of 077 already; reading and
    // writing are all a client needs.
    if (chmod(m_address.c_str(), 0600) != 0) {
        Trace("[DDE] DdeInitialize 失敗\n");
        Trace("[DDE] cannot restrict %s: %s\n", m_address.c_str(), std::strerror(errno));
        server.reset();
        m_lock.Release();
        return WordInputStart::Failed;
    }
    // wx listens with a queue of five: clients arriving together beyond that
    // would be turned away.
    if (!WidenListenQueue(m_address)) Trace("[DDE] the queue of %s stays short\n", m_address.c_str());
    m_server = std::move(server);
    Trace("[DDE] DdeInitialize 成功\n");
    Trace("[DDE] listening on %s\n", m_address.c_str());
    return WordInputStart::Started;
}

void CWordInputService::Stop() {
    // Conversations still open keep the forgotten state; a later Start
    // begins with a fresh one, so they never reach a window again.
    m_shared->target = nullptr;
    m_shared = std::make_shared<WordInputState>();
    if (m_server == nullptr) return;
    m_server.reset();  // closes the listening socket and removes its file
    m_lock.Release();
    Trace("[DDE] ネームサービス解除成功\n");
    Trace("[DDE] DdeUninitialize成功\n");
}

}  // namespace zorvia
