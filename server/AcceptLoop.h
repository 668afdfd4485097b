#pragma once
// The accepting side of a listener, shared by the protocol and web listeners: a socket bound
// to the endpoint (address reuse on, the system's longest backlog) that accepts one
// connection after another, each onto a strand of its own, and waits instead of spinning when
// accepting fails (AcceptBackoff).

#include "server/AcceptBackoff.h"
#include "server/RequestLog.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace likenex {

class AcceptLoop {
public:
    // Runs on the acceptor's strand for every connection accepted.
    using Accepted = std::function<void(boost::asio::ip::tcp::socket)>;

    // `side` names the listener in the log ("tcp", "http"). Nothing is bound yet.
    AcceptLoop(boost::asio::io_context& io, RequestLog& log, std::string side);
    AcceptLoop(const AcceptLoop&) = delete;
    AcceptLoop& operator=(const AcceptLoop&) = delete;

    // Binds and starts accepting; throws boost::system::system_error when the endpoint cannot
    // be bound.
    void listen(const boost::asio::ip::tcp::endpoint& endpoint, Accepted accepted);
    // Closes the acceptor on its strand: the loop ends at its next turn, a waiting back-off
    // included.
    void stop();

    [[nodiscard]] std::uint16_t port() const { return port_; }

private:
    void accept();

    boost::asio::io_context& io_;
    boost::asio::ip::tcp::acceptor acceptor_;
    AcceptBackoff backoff_;
    Accepted accepted_;
    std::uint16_t port_ = 0;
};

}  // namespace likenex
