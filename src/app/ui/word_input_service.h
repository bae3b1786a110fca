// The word-input service: while the main window exists, another program can
// hand it a word (zorvia-poke, or any wx IPC client), which is searched as if
// the user had typed it. Service "Zorvia Concordancer", topic "Simulate",
// poke item "InputWord"; everything else is refused. Nothing is ever sent
// back but the acknowledgement.
//
// Built on wx IPC: DDE on Windows, elsewhere a Unix-domain socket that only
// this user can reach (see app/word_input_endpoint.h).
#pragma once

#include <memory>
#include <string>

#include "app/word_input_endpoint.h"

namespace zorvia {

// What the main window does with a poked word: take it as the typed word,
// write it into the word edit box and run the search command. The text comes
// from another program: it is only ever used as that word.
class IWordInputTarget {
public:
    virtual ~IWordInputTarget() = default;
    virtual void OnWordPoked(const std::u16string& word) = 0;
};

struct WordInputState;

enum class WordInputStart {
    Started,
    ServedElsewhere,  // another instance answers on the service; this one runs without it
    Failed,
};

class CWordInputService {
public:
    CWordInputService();
    ~CWordInputService();
    CWordInputService(const CWordInputService&) = delete;
    CWordInputService& operator=(const CWordInputService&) = delete;

    // StartDdeService: remembers the target and starts serving. Failures are
    // only traced; the window works without the service.
    WordInputStart Start(IWordInputTarget* target);

    // StopDdeService: forgets the target first (pokes still arriving on an
    // open conversation are acknowledged and change nothing), then stops
    // listening and removes the socket.
    void Stop();

    bool IsRunning() const;

    // Where the service listens (a socket path on Unix); empty before Start.
    const std::string& Address() const { return m_address; }

private:
    class CServer;

    std::shared_ptr<WordInputState> m_shared;
    std::unique_ptr<CServer> m_server;
    CServiceLock m_lock;
    std::string m_address;
};

}  // namespace zorvia
