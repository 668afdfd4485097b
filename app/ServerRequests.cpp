#include "app/ServerRequests.h"

#include "net/Messages.h"
#include "net/ServerExchange.h"

namespace likenex {

bool NetworkServerRequests::sendVersionQuery(const ServerEndpoint& endpoint) {
    VersionQuery query;
    return exchange && query.encode() && exchange->send(endpoint.host, endpoint.port, query);
}

bool NetworkServerRequests::sendOpenAvatar(const ServerEndpoint& endpoint, std::int64_t avatarId) {
    OpenAvatarRequest request;
    request.avatarId = avatarId;
    return exchange && request.encode() && exchange->send(endpoint.host, endpoint.port, request);
}

}  // namespace likenex
