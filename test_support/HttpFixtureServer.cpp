#include "test_support/HttpFixtureServer.h"

#include <ws2tcpip.h>

namespace likenex::test {
namespace {

// Closes a connection when the answer is done.
struct Connection {
    SOCKET socket;
    ~Connection() { closesocket(socket); }
};

}  // namespace

HttpFixtureServer::HttpFixtureServer() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { acceptLoop(); });
}

HttpFixtureServer::~HttpFixtureServer() {
    stopping_ = true;
    if (listener_ != INVALID_SOCKET) closesocket(listener_);  // wakes accept with an error
    if (thread_.joinable()) thread_.join();
    WSACleanup();
}

std::string HttpFixtureServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpFixtureServer::serve(const std::string& path, std::string body, std::string contentType, Caching caching) {
    const std::lock_guard lock(lock_);
    entries_[path] = Entry{std::move(body), std::move(contentType), caching};
}

void HttpFixtureServer::remove(const std::string& path) {
    const std::lock_guard lock(lock_);
    entries_.erase(path);
}

std::vector<std::string> HttpFixtureServer::requests() const {
    const std::lock_guard lock(lock_);
    return requests_;
}

void HttpFixtureServer::acceptLoop() {
    while (!stopping_) {
        const SOCKET accepted = accept(listener_, nullptr, nullptr);
        if (accepted == INVALID_SOCKET) {
            if (stopping_) return;
            continue;
        }
        answer(accepted);
    }
}

void HttpFixtureServer::answer(SOCKET socket) {
    const Connection connection{socket};
    std::string request;
    char buffer[4096];
    // Only the head is read: these clients send GET without a body.
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const int got = recv(connection.socket, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t methodEnd = request.find(' ');
    const std::size_t pathEnd = methodEnd == std::string::npos ? methodEnd : request.find(' ', methodEnd + 1);
    if (pathEnd == std::string::npos) return;
    const std::string target = request.substr(methodEnd + 1, pathEnd - methodEnd - 1);
    const std::string path = target.substr(0, target.find('?'));

    std::string reply;
    {
        const std::lock_guard lock(lock_);
        requests_.push_back(target);
        const auto found = entries_.find(path);
        if (found == entries_.end()) {
            reply =
                "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\nConnection: "
                "close\r\n\r\nnot found";
        } else {
            reply = "HTTP/1.0 200 OK\r\nContent-Type: " + found->second.contentType +
                    "\r\nContent-Length: " + std::to_string(found->second.body.size()) +
                    (found->second.caching == Caching::forbidden ? "\r\nCache-Control: no-cache, no-store" : "") +
                    "\r\nConnection: close\r\n\r\n" + found->second.body;
        }
    }
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const int put = send(connection.socket, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
        if (put <= 0) return;
        sent += static_cast<std::size_t>(put);
    }
    shutdown(connection.socket, SD_SEND);
}

}  // namespace likenex::test
