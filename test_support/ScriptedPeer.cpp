#include "test_support/ScriptedPeer.h"

#include <gtest/gtest.h>

namespace likenex::test {

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    return address;
}

UniqueSocket boundSocket() {
    UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = loopback(0);
    if (!socket || bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
    return socket;
}

int portOf(SOCKET socket) {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}

bool sendAll(SOCKET socket, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        int sent = ::send(socket, reinterpret_cast<const char*>(bytes), static_cast<int>(count), 0);
        if (sent <= 0) return false;
        bytes += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<PeerScript> scripts) : scripts_(std::move(scripts)), listener_(boundSocket()) {
    if (!listener_ || listen(listener_.get(), 4) != 0) {
        ADD_FAILURE() << "the scripted peer cannot listen";
        return;
    }
    port_ = portOf(listener_.get());
    thread_ = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

std::vector<Bytes> ScriptedPeer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool ScriptedPeer::waitReadable(SOCKET socket) {
    while (!stopping_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval pause{0, 20000};
        int ready = select(0, &readable, nullptr, nullptr, &pause);
        if (ready != 0) return ready > 0;
    }
    return false;
}

void ScriptedPeer::run() {
    for (const PeerScript& script : scripts_) {
        if (!waitReadable(listener_.get())) return;
        UniqueSocket connection(accept(listener_.get(), nullptr, nullptr));
        if (!connection) return;
        serve(connection.get(), script);
    }
}

void ScriptedPeer::serve(SOCKET connection, const PeerScript& script) {
    // The request: its length word, then the rest.
    Bytes request;
    std::size_t wanted = 2;
    while (request.size() < wanted) {
        if (!waitReadable(connection)) return;
        char byte[4096];
        int count =
            recv(connection, byte, static_cast<int>(std::min<std::size_t>(sizeof byte, wanted - request.size())), 0);
        if (count <= 0) return;
        request.insert(request.end(), byte, byte + count);
        if (wanted == 2 && request.size() == 2) wanted = std::max<std::size_t>(2, request[0] | request[1] << 8);
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    for (unsigned waited = 0; waited < script.delayMs && !stopping_; waited += 10) Sleep(10);

    Bytes replies;
    for (const Bytes& reply : script.replies) replies.insert(replies.end(), reply.begin(), reply.end());
    if (script.byteIntervalMs == 0) {
        (void)sendAll(connection, replies.data(), replies.size());
    } else {
        for (std::size_t i = 0; i < replies.size() && !stopping_; ++i) {
            if (!sendAll(connection, &replies[i], 1)) break;
            if (i + 1 < replies.size()) Sleep(script.byteIntervalMs);
        }
    }
    if (!script.laterReplies.empty()) {
        for (unsigned waited = 0; waited < script.laterDelayMs && !stopping_; waited += 10) Sleep(10);
        Bytes later;
        for (const Bytes& reply : script.laterReplies) later.insert(later.end(), reply.begin(), reply.end());
        (void)sendAll(connection, later.data(), later.size());
    }
    if (script.hangUp) return;
    // Until the client shuts the connection down.
    while (waitReadable(connection)) {
        char scratch[256];
        if (recv(connection, scratch, sizeof scratch, 0) <= 0) {
            ++clientShutDowns_;
            return;
        }
    }
}

int refusingPort() {
    UniqueSocket socket = boundSocket();
    return socket ? portOf(socket.get()) : 0;
}

}  // namespace likenex::test
