#include "app/ServerRequests.h"

namespace likenex {

void NetworkServerRequests::sendVersionQuery(const ServerEndpoint&) {
    // Filled in with the client transport: connect, send the version query, or show the
    // connection-failure dialog.
}

void NetworkServerRequests::sendOpenAvatar(const ServerEndpoint&, std::int64_t) {
    // Filled in with the client transport: connect, send the open-avatar request, or show
    // the connection-failure dialog.
}

}  // namespace likenex
