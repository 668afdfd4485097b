#pragma once
// A small HTTP/1.0 server for the Windows tests: it answers GET requests on 127.0.0.1 from a
// table of paths, on a port the system picks, one connection at a time on a thread of its
// own. Every answer closes its connection. Unknown paths get 404.

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace likenex::test {

class HttpFixtureServer {
public:
    HttpFixtureServer();
    ~HttpFixtureServer();
    HttpFixtureServer(const HttpFixtureServer&) = delete;
    HttpFixtureServer& operator=(const HttpFixtureServer&) = delete;

    [[nodiscard]] bool running() const { return listener_ != INVALID_SOCKET; }
    [[nodiscard]] unsigned short port() const { return port_; }
    // "http://127.0.0.1:PORT" followed by `path`.
    [[nodiscard]] std::string url(const std::string& path) const;

    enum class Caching {
        forbidden,  // "Cache-Control: no-cache, no-store"
        unsaid,     // no caching header, as the service's server answers its /Download/ files
    };
    void serve(const std::string& path, std::string body, std::string contentType = "application/xml",
               Caching caching = Caching::forbidden);
    void remove(const std::string& path);
    // The paths asked for so far, in order (the query included).
    [[nodiscard]] std::vector<std::string> requests() const;

private:
    void acceptLoop();
    void answer(SOCKET connection);

    SOCKET listener_ = INVALID_SOCKET;  // closed by the destructor, which also ends the thread
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex lock_;
    struct Entry {
        std::string body;
        std::string contentType;
        Caching caching = Caching::forbidden;
    };
    std::map<std::string, Entry> entries_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace likenex::test
