#pragma once
// A server for the connection tests: listens on 127.0.0.1 (a free port) and serves its
// connections one after another, each by its own script, on a thread of its own.

#include "platform/win/Handles.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace likenex::test {

using Bytes = std::vector<std::uint8_t>;

// What the peer does with one connection, after reading the request.
struct PeerScript {
    unsigned delayMs = 0;             // pause before the replies
    std::vector<Bytes> replies;       // written back to back in one go, or byte by byte
    unsigned byteIntervalMs = 0;      // above 0: one byte, then this pause, and so on
    bool hangUp = false;              // close at once after the replies instead of waiting for the client
    unsigned laterDelayMs = 0;        // pause after the replies, before the later replies
    std::vector<Bytes> laterReplies;  // written back to back in one go after that pause
};

class ScriptedPeer {
public:
    explicit ScriptedPeer(std::vector<PeerScript> scripts);
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;
    ~ScriptedPeer();

    [[nodiscard]] int port() const { return port_; }
    // The requests read so far, one per connection.
    [[nodiscard]] std::vector<Bytes> requests() const;
    // Connections the client shut down while the peer was waiting for it.
    [[nodiscard]] int clientShutDowns() const { return clientShutDowns_; }

private:
    void run();
    void serve(SOCKET connection, const PeerScript& script);
    // Waits until `socket` can be read; false when the peer is stopping.
    bool waitReadable(SOCKET socket);

    std::vector<PeerScript> scripts_;
    UniqueSocket listener_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> clientShutDowns_{0};
    mutable std::mutex mutex_;
    std::vector<Bytes> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
[[nodiscard]] int refusingPort();

}  // namespace likenex::test
