#pragma once
// The requests the shell sends to the service's server: the version query at start, and
// the open-avatar request for an avatar named on the command line or forwarded by a second
// instance. The Application sends them through this interface; tests record them.

#include "app/CommandLine.h"

#include <cstdint>

namespace likenex {

class ServerExchange;

class ServerRequests {
public:
    virtual ~ServerRequests() = default;
    // False when the request could not go out (no connection to the server).
    virtual bool sendVersionQuery(const ServerEndpoint& endpoint) = 0;
    virtual bool sendOpenAvatar(const ServerEndpoint& endpoint, std::int64_t avatarId) = 0;
};

// The requests over the program's server exchange; without one nothing goes out.
class NetworkServerRequests : public ServerRequests {
public:
    bool sendVersionQuery(const ServerEndpoint& endpoint) override;
    bool sendOpenAvatar(const ServerEndpoint& endpoint, std::int64_t avatarId) override;

    ServerExchange* exchange = nullptr;
};

}  // namespace likenex
