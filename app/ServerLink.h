#pragma once
// The editor's way to its server: WinSock, the connection every exchange goes through, the
// endpoint the command line named and the shell's own requests. The connection is made once
// the main window exists, since replies come to that window as messages.

#include "app/CommandLine.h"
#include "app/ServerRequests.h"
#include "net/ProtocolMessage.h"
#include "net/ServerExchange.h"
#include "net/win/NetworkSession.h"
#include "net/win/ServerConnection.h"
#include "screens/ScreenServices.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace likenex {

class ServerLink final : public ServerChannel {
public:
    // A version check the user asks for goes to versionCheckRequested (the application
    // notes that its answer is awaited and sends the query).
    explicit ServerLink(std::function<void()> versionCheckRequested)
        : versionCheckRequested_(std::move(versionCheckRequested)) {}

    // Starts WinSock and makes the connection whose replies go to the window; false when
    // WinSock cannot start.
    [[nodiscard]] bool start(HWND mainWindow);
    // No reply can reach a window any more; nothing waits for the connection's threads.
    void stop();

    void setEndpoint(const ServerEndpoint& endpoint) { endpoint_ = endpoint; }
    [[nodiscard]] const ServerEndpoint& endpoint() const { return endpoint_; }

    // The way to the server for every request; null sends nothing (each request then fails
    // as a connection failure would).
    void setExchange(ServerExchange* exchange) {
        exchange_ = exchange;
        networkRequests_.exchange = exchange;
    }
    [[nodiscard]] ServerRequests& requests() { return *requests_; }
    // Tests record the requests; null restores the network requests.
    void setRequests(ServerRequests* requests) { requests_ = requests ? requests : &networkRequests_; }

    // An encoded request to the endpoint; false when no connection could be made.
    [[nodiscard]] bool send(const ProtocolMessage& request);
    void closeExchange();
    // The reply message is the one the current exchange's dispatcher is handing over now.
    [[nodiscard]] bool takesDelivery(UINT message, WPARAM wParam, LPARAM lParam);

    // ServerChannel
    [[nodiscard]] bool sendToServer(const ProtocolMessage& request) override { return send(request); }
    void closeServerConnection() override { closeExchange(); }
    void requestVersionCheck() override {
        if (versionCheckRequested_) versionCheckRequested_();
    }

private:
    // WinSock outlives the connection.
    NetworkSession networkSession_;
    std::unique_ptr<ServerConnection> connection_;
    ServerEndpoint endpoint_;
    NetworkServerRequests networkRequests_;
    ServerRequests* requests_ = &networkRequests_;
    ServerExchange* exchange_ = nullptr;
    std::function<void()> versionCheckRequested_;
};

}  // namespace likenex
