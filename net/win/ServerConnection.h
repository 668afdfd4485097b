#pragma once
// The program's connection to the server: each request opens a fresh TCP connection with a
// reader and a dispatcher thread of its own (WinSock 1.1; NetworkSession must be started).
// The reader cuts replies from the stream (FrameReader) into the reply queue; the dispatcher
// hands each reply to the main window with a synchronous SendMessage (WM_SAVE_REPLY,
// WM_VERSION_REPLY, WM_AVATAR_REPLY; wParam the length, lParam the bytes, valid while the
// handler runs), newest first, and drops replies of any other type. A reply of the wrong type
// for the open request (a version reply to an upload) is dropped too, and the exchange ends as
// a failure.
//
// Any process can send or post the reply messages to the main window with a pointer of its
// choosing: the window acts on one only when takeDelivery says it is the one the current
// exchange's dispatcher is handing over.
//
// Threads: send, closeConnection and the destructor belong to the main window's thread, which
// must pump messages (the connection keeps a hidden message-only window there to hear that an
// exchange's threads have ended). The workers never wait for the main thread except inside the
// dispatcher's SendMessage, and the main thread never waits for a worker at all: an exchange's
// socket, semaphore and thread handles belong to the exchange, which both of its threads share,
// and the last of them to finish releases it. So closing an exchange or destroying the
// connection while the dispatcher sits in SendMessage cannot deadlock.
//
// Exchanges go one at a time. A request made while one is open waits in a short list and goes
// out when that exchange's threads have ended: its reply handled (closeConnection) or its time
// limit passed. Replies still queued when the handler closes are delivered first, to the same
// handlers, before the next exchange opens, so no reply of one exchange reaches the handler of
// the next. An exchange with no reply within its time limit is shut down and WM_SERVER_FAILED
// (wParam the request's type) is posted; so is a waiting request whose connection then fails.

#include "net/ServerExchange.h"
#include "platform/win/BoundWindow.h"
#include "platform/win/Handles.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace likenex {

class ServerConnection final : public ServerExchange {
public:
    struct Options {
        unsigned replyTimeLimitMs = kReplyTimeLimitMs;
        std::size_t maxWaitingRequests = 8;
    };

    // How many exchanges still hold their socket, semaphore and thread handles. Every exchange
    // holds the count it was opened under, so the count outlives a connection destroyed while
    // an exchange's threads still run; connections given one count add to it together. Only
    // tests read it; the program lets each connection make its own.
    using ExchangeCount = std::atomic<int>;

    // Replies and failures go to `mainWindow` (it may be given later with setMainWindow).
    explicit ServerConnection(HWND mainWindow = nullptr) : ServerConnection(mainWindow, Options{}) {}
    ServerConnection(HWND mainWindow, Options options,
                     std::shared_ptr<ExchangeCount> unreleased = std::make_shared<ExchangeCount>(0));
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;
    // Shuts the open exchange down and drops waiting requests without waiting for any thread:
    // what is still running ends by itself and delivers nothing more. Destroy the connection
    // after the main window (a SendMessage already under way then returns unanswered).
    ~ServerConnection() override;

    // For exchanges opened from now on.
    void setMainWindow(HWND mainWindow) { mainWindow_ = mainWindow; }

    // False at once for an empty or over-long request, a full waiting list, or when idle and
    // the connection or the send fails.
    [[nodiscard]] bool send(const std::string& host, int port, const ProtocolMessage& request) override;
    void closeConnection() override;

    // True, once, for the reply message the current exchange's dispatcher is sending to the
    // main window at this moment; false for anything else (a posted message, a message from
    // another process, the same reply a second time). Main window's thread, inside its
    // window procedure.
    [[nodiscard]] bool takeDelivery(UINT message, WPARAM wParam, LPARAM lParam);

    // An exchange is open (its threads have not both ended yet).
    [[nodiscard]] bool exchangeOpen() const { return current_ != nullptr; }
    [[nodiscard]] std::size_t waitingRequests() const { return waiting_.size(); }
    // Replies of the open exchange received and not yet handed on.
    [[nodiscard]] std::size_t queuedReplies() const;

    struct Exchange;

private:
    struct Request {
        std::string host;
        int port = 0;
        std::int32_t type = 0;
        std::vector<std::uint8_t> bytes;
    };

    friend class BoundWindow<ServerConnection>;
    // The notice window's messages: an exchange's end, from its dispatcher thread.
    LRESULT handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    [[nodiscard]] bool ensureNoticeWindow();
    // Connects, starts both threads and sends; the exchange becomes the current one.
    [[nodiscard]] bool open(const Request& request);
    [[nodiscard]] std::shared_ptr<Exchange> connectTo(const std::string& host, int port, std::int32_t requestType);
    [[nodiscard]] bool sendMessage(Exchange& exchange, const std::vector<std::uint8_t>& bytes);
    void exchangeEnded(std::uint32_t serial);
    void sendWaiting();

    HWND mainWindow_ = nullptr;
    Options options_;
    std::shared_ptr<ExchangeCount> unreleased_;
    std::uint32_t nextSerial_ = 1;
    std::shared_ptr<Exchange> current_;
    std::deque<Request> waiting_;
    std::array<std::uint8_t, kMaxMessageLength> sendBuffer_{};
    // Declared last: destroyed first, so no notice reaches a half-destroyed connection.
    UniqueWindow noticeWindow_;
};

}  // namespace likenex
