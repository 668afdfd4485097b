#pragma once
// Idle connections for likenex-load: opens `connections` connections to a port, sends
// nothing and holds them for the given time, so that a script can read what each costs the
// server. Reports how many opened and how many the server closed before the time was up.

#include <boost/asio/ip/tcp.hpp>

#include <chrono>

namespace likenex::load {

struct IdleResult {
    int opened = 0;
    int refused = 0;         // the connection never opened
    int closedByServer = 0;  // opened, then closed by the server within the time
};

[[nodiscard]] IdleResult holdIdleConnections(const boost::asio::ip::tcp::endpoint& endpoint, int connections,
                                             std::chrono::duration<double> seconds);

}  // namespace likenex::load
