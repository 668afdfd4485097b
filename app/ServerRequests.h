#pragma once
// The requests the shell sends to the service's server: the version query at start, and
// the open-avatar request for an avatar named on the command line or forwarded by a second
// instance. The Application sends them through this interface; tests record them.

#include "app/CommandLine.h"

#include <cstdint>

namespace likenex {

class ServerRequests {
public:
    virtual ~ServerRequests() = default;
    virtual void sendVersionQuery(const ServerEndpoint& endpoint) = 0;
    virtual void sendOpenAvatar(const ServerEndpoint& endpoint, std::int64_t avatarId) = 0;
};

// The requests over the network connection. Until the client transport exists they send
// nothing.
class NetworkServerRequests : public ServerRequests {
public:
    void sendVersionQuery(const ServerEndpoint& endpoint) override;
    void sendOpenAvatar(const ServerEndpoint& endpoint, std::int64_t avatarId) override;
};

}  // namespace likenex
