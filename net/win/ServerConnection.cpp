#include "net/win/ServerConnection.h"

#include "base/Tick.h"
#include "base/WindowMessages.h"
#include "net/FrameReader.h"
#include "net/ReplyQueue.h"
#include "net/ReplyRoute.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace likenex {

namespace {

// shutdown's "both directions" (SD_BOTH of WinSock 2).
constexpr int kShutDownBoth = 2;
constexpr LONG kMaxWakeCount = 1024;
// Replies held at once; a server that sends more while the main window is busy loses the rest.
constexpr std::size_t kMaxQueuedReplies = 1024;
// Posted by an exchange's last thread to the connection's notice window; wParam its serial.
constexpr UINT kExchangeEndedNotice = WM_APP + 1;
constexpr wchar_t kNoticeClass[] = L"LikenexServerConnectionNotice";

// The reply type that answers a request type; 0 for a type that is not a request.
constexpr std::int32_t answerTo(std::int32_t requestType) {
    switch (requestType) {
    case static_cast<std::int32_t>(MessageType::SaveAvatarRequest):
        return static_cast<std::int32_t>(MessageType::SaveAvatarReply);
    case static_cast<std::int32_t>(MessageType::VersionQuery):
        return static_cast<std::int32_t>(MessageType::VersionReply);
    case static_cast<std::int32_t>(MessageType::OpenAvatarRequest):
        return static_cast<std::int32_t>(MessageType::AvatarReply);
    default: return 0;
    }
}

}  // namespace

// One exchange: its socket and both threads. Shared by the connection (while current) and by
// each thread; the last owner releases the handles.
struct ServerConnection::Exchange {
    explicit Exchange(std::shared_ptr<ExchangeCount> count) : unreleased(std::move(count)) { ++*unreleased; }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    // Runs on whichever thread lets go of the exchange last.
    ~Exchange() { --*unreleased; }

    void shutDown() { ::shutdown(socket.get(), kShutDownBoth); }
    // Ends the exchange as a failure, once, unless it was answered or its owner ended it.
    void fail() {
        if (!replied && !closed && !silenced.exchange(true))
            PostMessageW(mainWindow, WM_SERVER_FAILED, static_cast<WPARAM>(requestType), 0);
        silenced = true;
        shutDown();
    }
    void wake() { ReleaseSemaphore(wakeSemaphore.get(), 1, nullptr); }
    // Called once by each thread as its last act.
    void threadEnded() {
        if (--runningThreads == 0) PostMessageW(noticeWindow, kExchangeEndedNotice, serial, 0);
    }

    std::shared_ptr<ExchangeCount> unreleased;
    std::uint32_t serial = 0;
    std::int32_t requestType = 0;
    HWND mainWindow = nullptr;
    HWND noticeWindow = nullptr;
    unsigned timeLimitMs = 0;
    Tick started = 0;

    UniqueSocket socket;
    UniqueHandle wakeSemaphore;
    UniqueHandle reader;
    UniqueHandle dispatcher;
    ReplyQueue replies;

    std::atomic<int> runningThreads{2};
    std::atomic<bool> readerEnded{false};  // written before the reader's last wake
    std::atomic<bool> closed{false};       // the owner ended it: a handler, or the connection going
    std::atomic<bool> silenced{false};     // nothing more reaches the main window
    bool replied = false;                  // dispatcher thread only

    // The reply the dispatcher is handing to the main window right now, which the window
    // may take once (takeDelivery).
    struct Delivery {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        bool open = false;
    };
    std::mutex deliveryLock;
    Delivery delivery;
};

namespace {

using Exchange = ServerConnection::Exchange;

DWORD WINAPI receiveLoop(void* parameter) {
    std::shared_ptr<Exchange> owner = std::move(*static_cast<std::shared_ptr<Exchange>*>(parameter));
    delete static_cast<std::shared_ptr<Exchange>*>(parameter);
    Exchange& exchange = *owner;
    FrameReader reader;
    for (;;) {
        auto space = reader.receiveSpace();
        int count =
            recv(exchange.socket.get(), reinterpret_cast<char*>(space.data()), static_cast<int>(space.size()), 0);
        FrameReader::Step step = count > 0    ? reader.received(static_cast<std::size_t>(count))
                                 : count == 0 ? reader.closed()
                                              : reader.failed(WSAGetLastError());
        if (step == FrameReader::Step::End) break;
        if (step == FrameReader::Step::Frame && exchange.replies.size() < kMaxQueuedReplies) {
            exchange.replies.push(reader.frame());
            exchange.wake();
        }
    }
    exchange.readerEnded = true;
    exchange.wake();
    exchange.shutDown();
    exchange.threadEnded();
    return 0;
}

void deliver(Exchange& exchange, const std::vector<std::uint8_t>& frame) {
    if (exchange.silenced) return;
    auto message = replyWindowMessage(frame);
    if (!message) return;
    // A reply of another request (an avatar for an upload, a version for an avatar) would be
    // acted on by a handler that waits for nothing of the kind: the exchange fails instead.
    if (peekFrameHeader(frame)->type != answerTo(exchange.requestType)) {
        exchange.fail();
        return;
    }
    exchange.replied = true;
    const Exchange::Delivery delivery{*message, frame.size(), reinterpret_cast<LPARAM>(frame.data()), true};
    {
        std::lock_guard lock(exchange.deliveryLock);
        exchange.delivery = delivery;
    }
    SendMessageW(exchange.mainWindow, delivery.message, delivery.wParam, delivery.lParam);
    std::lock_guard lock(exchange.deliveryLock);
    exchange.delivery = {};
}

// No reply in time: the exchange ends as a failure, unless a reply came (its handler has simply
// not closed) or the owner ended it already.
void timeLimitPassed(Exchange& exchange) { exchange.fail(); }

DWORD WINAPI dispatchLoop(void* parameter) {
    std::shared_ptr<Exchange> owner = std::move(*static_cast<std::shared_ptr<Exchange>*>(parameter));
    delete static_cast<std::shared_ptr<Exchange>*>(parameter);
    Exchange& exchange = *owner;
    bool limitPassed = false;
    for (;;) {
        if (exchange.readerEnded) {
            // Whatever was received before the end is still handed on, newest first.
            while (auto frame = exchange.replies.takeNewest()) deliver(exchange, *frame);
            // A peer that hung up without a reply still leaves the exchange to its time limit,
            // so the main window hears of the failure.
            if (limitPassed || exchange.replied || exchange.closed || exchange.silenced) break;
        }
        DWORD timeout = INFINITE;
        if (!limitPassed) {
            std::uint32_t elapsed = ticksBetween(exchange.started, GetTickCount());
            timeout = elapsed >= exchange.timeLimitMs ? 0 : exchange.timeLimitMs - elapsed;
        }
        DWORD result = WaitForSingleObject(exchange.wakeSemaphore.get(), timeout);
        if (result == WAIT_TIMEOUT) {
            limitPassed = true;
            timeLimitPassed(exchange);
            continue;
        }
        if (result != WAIT_OBJECT_0) {
            // The semaphore is ours and stays valid, so this should not happen; give the
            // exchange up rather than spin.
            exchange.silenced = true;
            exchange.shutDown();
            limitPassed = true;
            if (exchange.readerEnded) break;
            Sleep(10);
            continue;
        }
        if (exchange.readerEnded) continue;
        if (auto frame = exchange.replies.takeNewest()) deliver(exchange, *frame);
    }
    exchange.threadEnded();
    return 0;
}

// Starts one worker with its own reference to the exchange; false when it could not start.
bool startThread(Exchange& exchange, const std::shared_ptr<Exchange>& owner, LPTHREAD_START_ROUTINE body,
                 UniqueHandle& handle) {
    auto* reference = new std::shared_ptr<Exchange>(owner);
    handle.reset(CreateThread(nullptr, 0, body, reference, CREATE_SUSPENDED, nullptr));
    if (!handle) {
        delete reference;
        exchange.threadEnded();
        return false;
    }
    SetThreadPriority(handle.get(), THREAD_PRIORITY_ABOVE_NORMAL);
    ResumeThread(handle.get());
    return true;
}

}  // namespace

std::size_t ServerConnection::queuedReplies() const { return current_ ? current_->replies.size() : 0; }

bool ServerConnection::takeDelivery(UINT message, WPARAM wParam, LPARAM lParam) {
    // Only a message sent from another thread can be the dispatcher's; a posted one never is.
    if (!current_ || !InSendMessage()) return false;
    std::lock_guard lock(current_->deliveryLock);
    Exchange::Delivery& delivery = current_->delivery;
    if (!delivery.open || delivery.message != message || delivery.wParam != wParam || delivery.lParam != lParam)
        return false;
    delivery.open = false;
    return true;
}

ServerConnection::ServerConnection(HWND mainWindow, Options options, std::shared_ptr<ExchangeCount> unreleased)
    : mainWindow_(mainWindow), options_(options), unreleased_(std::move(unreleased)) {}

ServerConnection::~ServerConnection() {
    waiting_.clear();
    if (current_) {
        current_->silenced = true;
        current_->closed = true;
        current_->shutDown();
        current_->wake();
    }
}

LRESULT ServerConnection::handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kExchangeEndedNotice) {
        exchangeEnded(static_cast<std::uint32_t>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool ServerConnection::ensureNoticeWindow() {
    if (noticeWindow_) return true;
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = BoundWindow<ServerConnection>::windowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kNoticeClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    noticeWindow_.reset(CreateWindowExW(0, kNoticeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, this));
    return static_cast<bool>(noticeWindow_);
}

bool ServerConnection::send(const std::string& host, int port, const ProtocolMessage& request) {
    const auto& bytes = request.bytes();
    if (bytes.size() < kMinMessageLength || bytes.size() > kMaxMessageLength) return false;
    Request copy{host, port, request.type(), bytes};
    if (current_ || !waiting_.empty()) {
        if (waiting_.size() >= options_.maxWaitingRequests) return false;
        waiting_.push_back(std::move(copy));
        return true;
    }
    return open(copy);
}

void ServerConnection::closeConnection() {
    if (!current_) return;
    current_->closed = true;
    current_->shutDown();
    // Wakes a dispatcher that is waiting out the time limit after the peer hung up.
    current_->wake();
}

bool ServerConnection::open(const Request& request) {
    if (!ensureNoticeWindow()) return false;
    std::shared_ptr<Exchange> exchange = connectTo(request.host, request.port, request.type);
    if (!exchange) return false;
    if (!sendMessage(*exchange, request.bytes)) {
        // No reply will come: the threads end by themselves and deliver nothing.
        exchange->silenced = true;
        exchange->closed = true;
        exchange->shutDown();
        exchange->wake();
        return false;
    }
    current_ = std::move(exchange);
    return true;
}

std::shared_ptr<ServerConnection::Exchange> ServerConnection::connectTo(const std::string& host, int port,
                                                                        std::int32_t requestType) {
    if (host.empty() || port <= 0 || port > 0xFFFF) return nullptr;
    UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket) return nullptr;

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr(host.c_str());
    if (address.sin_addr.s_addr == INADDR_NONE) {
        // Only the first address of the name is tried.
        const hostent* entry = gethostbyname(host.c_str());
        if (!entry || entry->h_addrtype != AF_INET || entry->h_length != sizeof address.sin_addr ||
            !entry->h_addr_list || !entry->h_addr_list[0])
            return nullptr;
        std::memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
    }
    if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::shutdown(socket.get(), kShutDownBoth);
        return nullptr;
    }

    auto exchange = std::make_shared<Exchange>(unreleased_);
    exchange->serial = nextSerial_++;
    exchange->requestType = requestType;
    exchange->mainWindow = mainWindow_;
    exchange->noticeWindow = noticeWindow_.get();
    exchange->timeLimitMs = options_.replyTimeLimitMs;
    exchange->started = GetTickCount();
    exchange->socket = std::move(socket);
    // The semaphore exists before either thread can run.
    exchange->wakeSemaphore.reset(CreateSemaphoreW(nullptr, 0, kMaxWakeCount, nullptr));
    if (!exchange->wakeSemaphore) return nullptr;
    bool readerStarted = startThread(*exchange, exchange, receiveLoop, exchange->reader);
    if (!readerStarted || !startThread(*exchange, exchange, dispatchLoop, exchange->dispatcher)) {
        if (!readerStarted) exchange->threadEnded();  // the dispatcher was never tried
        exchange->silenced = true;
        exchange->closed = true;
        exchange->shutDown();
        exchange->wake();
        return nullptr;
    }
    return exchange;
}

bool ServerConnection::sendMessage(Exchange& exchange, const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() > sendBuffer_.size()) return false;
    sendBuffer_.fill(0);
    std::memcpy(sendBuffer_.data(), bytes.data(), bytes.size());
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        int count = ::send(exchange.socket.get(), reinterpret_cast<const char*>(sendBuffer_.data() + sent),
                           static_cast<int>(bytes.size() - sent), 0);
        if (count == SOCKET_ERROR || count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

void ServerConnection::exchangeEnded(std::uint32_t serial) {
    if (!current_ || current_->serial != serial) return;
    current_.reset();
    sendWaiting();
}

void ServerConnection::sendWaiting() {
    while (!current_ && !waiting_.empty()) {
        Request request = std::move(waiting_.front());
        waiting_.pop_front();
        if (!open(request)) PostMessageW(mainWindow_, WM_SERVER_FAILED, static_cast<WPARAM>(request.type), 0);
    }
}

}  // namespace likenex
