#pragma once
// The web side's listener (Boost.Beast): reads one HTTP/1.1 request at a time per
// connection, hands it to the site on the work pool its address is routed to and writes the
// answer back; a request no pool would take is answered 503 at once. Bodies are
// limited to 64 KiB, headers to 8 KiB, and every connection has a deadline per request.

#include "server/RequestLog.h"
#include "server/WorkPool.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <atomic>
#include <functional>
#include <map>
#include <string>

namespace likenex {

struct HttpRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string body;
    std::string contentType;
    std::string peer;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::map<std::string, std::string> headers;
};

class HttpServer {
public:
    using Site = std::function<HttpResponse(const HttpRequest&)>;
    // The pool that answers a request of this method and target (path and query).
    using Route = std::function<WorkPool&(std::string_view method, std::string_view target)>;
    HttpServer(boost::asio::io_context& io, const boost::asio::ip::tcp::endpoint& endpoint, Site site, Route route, RequestLog& log);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return port_; }
    void stop();
    // Requests read and not yet answered.
    [[nodiscard]] int busy() const { return busy_; }

    class Session;

private:
    void accept();

    boost::asio::io_context& io_;
    boost::asio::ip::tcp::acceptor acceptor_;
    Site site_;
    Route route_;
    RequestLog& log_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> busy_{0};
};

}  // namespace likenex
