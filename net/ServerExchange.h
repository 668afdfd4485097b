#pragma once
// The program's way to the server: one request, one reply, on a connection of its own. The
// reply reaches the main window as WM_SAVE_REPLY, WM_VERSION_REPLY or WM_AVATAR_REPLY, whose
// handler acts on it and then ends the exchange with closeConnection. The Win32 connection
// implements this; tests put a recorder in its place.

#include "net/ProtocolMessage.h"

#include <string>

namespace likenex {

// How long an exchange may wait for its reply before it counts as a connection failure.
inline constexpr unsigned kReplyTimeLimitMs = 30000;

class ServerExchange {
public:
    virtual ~ServerExchange() = default;

    // Sends an encoded request to host:port (a dotted address, or a name to look up). False
    // when no connection could be made: nothing was sent and no reply will come. While an
    // earlier exchange is still open the request waits until that one ends (its reply handled,
    // or the time limit) and then goes out; true is returned at once, and a failure to connect
    // then, like a reply that never comes, reaches the main window as WM_SERVER_FAILED.
    [[nodiscard]] virtual bool send(const std::string& host, int port, const ProtocolMessage& request) = 0;
    // Ends the current exchange; a reply handler calls it once it has acted on the reply.
    virtual void closeConnection() = 0;
};

}  // namespace likenex
