#pragma once
// The web side's listener (Boost.Beast): reads one HTTP/1.1 request at a time per
// connection, hands it to the site on the work pool its address is routed to and writes the
// answer back; a request no pool would take is answered 503 at once.
//
// Reading: the header and body of a request must arrive whole within the request limit.
// Headers are limited to 8 KiB (431 beyond), bodies to 64 KiB (413 beyond); a body is
// framed by Content-Length or by chunked alone, and anything else (another transfer coding,
// both fields at once) is answered 400. Every refused request closes its connection, so the
// bytes after it are never taken for a next request.
//
// Writing: a response may take as long as it takes while the client keeps taking it; a whole
// transfer idle period in which nothing is written and the client acknowledges nothing cuts
// it. A file the site names is sent from disk in pieces, never read whole.
//
// Connections beyond the cap are closed as soon as they are accepted. Behind a trusted
// reverse proxy the client's address comes from X-Forwarded-For.

#include "server/AcceptLoop.h"
#include "server/RequestLog.h"
#include "server/TrustedProxies.h"
#include "server/WorkPool.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

struct HttpRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string body;
    std::string contentType;
    std::string peer;  // the client's address (behind a trusted proxy, the one it forwarded)
    std::string ifNoneMatch;  // the ETags the client holds, as its If-None-Match field lists them
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::map<std::string, std::string> headers;
    // When set, the response's body is this file, read in pieces as they are sent, and `body`
    // is not used; a file that cannot be opened is answered 404.
    std::string filePath;
};

class HttpServer {
public:
    using Site = std::function<HttpResponse(const HttpRequest&)>;
    // The pool that answers a request of this method and target (path and query).
    using Route = std::function<WorkPool&(std::string_view method, std::string_view target)>;
    struct Limits {
        std::chrono::milliseconds request{10000};       // a whole request, header and body
        std::chrono::milliseconds transferIdle{15000};  // a response making no progress this long is cut
        int maxConnections = 1000;
        std::string trustedProxies;  // comma-separated addresses whose X-Forwarded-For is believed
    };

    // Throws std::invalid_argument when a trusted proxy is not an address.
    HttpServer(boost::asio::io_context& io, const boost::asio::ip::tcp::endpoint& endpoint, Site site, Route route,
               Limits limits, RequestLog& log);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return acceptLoop_.port(); }
    void stop();
    // Requests read and not yet answered, including those whose job a pool dropped.
    [[nodiscard]] int busy() const { return *busy_; }
    [[nodiscard]] int openConnections() const { return *open_; }

    // The client's address: the peer's own, or, when the peer is a trusted proxy, the rightmost
    // address of X-Forwarded-For (the values of every such field, in order) that is not itself
    // a trusted proxy. A missing or malformed header leaves the peer's address.
    [[nodiscard]] std::string clientAddress(const boost::asio::ip::address& peer,
                                            const std::vector<std::string_view>& forwardedFor) const;

    class Session;

private:
    // Takes an accepted connection on, or closes it at once beyond the cap.
    void serve(boost::asio::ip::tcp::socket socket);

    AcceptLoop acceptLoop_;
    Site site_;
    Route route_;
    Limits limits_;
    TrustedProxies trusted_;
    RequestLog& log_;
    std::atomic<bool> stopping_{false};
    // Shared with the sessions and their jobs, which a pool may hold (or drop) after this
    // server is gone.
    std::shared_ptr<std::atomic<int>> busy_ = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> open_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace likenex
