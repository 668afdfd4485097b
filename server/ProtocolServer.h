#pragma once
// The binary protocol's listener: one request per connection, read event-driven on the
// network threads, answered by the request handler on the work pool its type is routed to
// (or on the network thread itself for cheap answers), written back on the connection's
// strand. A request its pool refuses (the queue is full) gets the busy answer at once.
//
// A connection closes when the client closes its side after the reply, or when the request
// does not arrive whole within the request limit, or the client stays idle past the idle limit
// after the reply. The server never closes first after a reply unless the idle limit runs out:
// the client's reader may treat an early close as the end of the exchange before its
// dispatcher has handed the reply on.
//
// Work nobody waits for is not done: a request still waiting for a worker when its client
// closes, when the request limit (counted from the connection) runs out or when the server
// stops is dropped unanswered and logged as dropped. A request a worker has started runs to its
// end and its reply is attempted, however long it took: a save is never stored without the
// attempt, and a reply that cannot be sent after a store is logged as such. Writing the reply,
// once the work is done, has the answer limit.
//
// A peer in the trusted proxies first sends a PROXY header naming the client (HAProxy's
// send-proxy text line or send-proxy-v2 binary header), whose address the handler and the log
// then see; a peer not trusted is never believed, its bytes being read as a frame. Failed accepts (out of descriptors,
// say) back off instead of spinning, and a connection beyond the cap is closed at once.

#include "server/AcceptLoop.h"
#include "server/RequestHandler.h"
#include "server/RequestLog.h"
#include "server/TrustedProxies.h"
#include "server/WorkPool.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

namespace likenex {

class ProtocolServer {
public:
    using Handler = std::function<RequestHandler::Outcome(std::span<const std::uint8_t>, const std::string&)>;
    // The pool that answers a request of this type; null: answered on the network thread.
    using Route = std::function<WorkPool*(std::int32_t type)>;
    // The answer to a request no pool would take.
    using Busy = std::function<RequestHandler::Outcome(std::span<const std::uint8_t>)>;
    struct Limits {
        std::chrono::milliseconds request{10000};
        std::chrono::milliseconds idle{10000};
        // From the end of the work (or of the sign-in's hold) to the reply written.
        std::chrono::milliseconds answer{30000};
        int maxConnections = 10000;
    };

    ProtocolServer(boost::asio::io_context& io, const boost::asio::ip::tcp::endpoint& endpoint, Handler handler,
                   Route route, Busy busy, Limits limits, TrustedProxies proxies, RequestLog& log);
    ~ProtocolServer();
    ProtocolServer(const ProtocolServer&) = delete;
    ProtocolServer& operator=(const ProtocolServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return acceptLoop_.port(); }
    [[nodiscard]] int openConnections() const { return *open_; }
    // Stops accepting; requests being read and work started finish, requests waiting for a
    // worker are dropped and their connections closed, connections waiting after their reply close.
    void stop();

    class Connection;

private:
    // Takes an accepted connection on, or closes it at once beyond the cap.
    void serve(boost::asio::ip::tcp::socket socket);
    friend class Connection;

    AcceptLoop acceptLoop_;
    Handler handler_;
    Route route_;
    Busy busy_;
    Limits limits_;
    TrustedProxies proxies_;
    RequestLog& log_;
    // Shared with the connections: one still held by a handler when the io_context is torn
    // down after this server must not reach into a destroyed server.
    std::shared_ptr<std::atomic<int>> open_ = std::make_shared<std::atomic<int>>(0);
    std::atomic<bool> stopping_{false};
    std::mutex connectionsMutex_;
    std::set<std::weak_ptr<Connection>, std::owner_less<std::weak_ptr<Connection>>> connections_;
};

}  // namespace likenex
