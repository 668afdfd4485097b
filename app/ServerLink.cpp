#include "app/ServerLink.h"

namespace likenex {

bool ServerLink::start(HWND mainWindow) {
    if (!networkSession_.start()) return false;
    connection_ = std::make_unique<ServerConnection>(mainWindow);
    setExchange(connection_.get());
    return true;
}

void ServerLink::stop() {
    setExchange(nullptr);
    connection_.reset();
}

bool ServerLink::send(const ProtocolMessage& request) {
    return exchange_ && exchange_->send(endpoint_.host, endpoint_.port, request);
}

void ServerLink::closeExchange() {
    if (exchange_) exchange_->closeConnection();
}

bool ServerLink::takesDelivery(UINT message, WPARAM wParam, LPARAM lParam) {
    return connection_ && connection_->takeDelivery(message, wParam, lParam);
}

}  // namespace likenex
