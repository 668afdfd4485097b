#include "server/load/IdleConnections.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <array>
#include <memory>
#include <vector>

namespace likenex::load {

namespace asio = boost::asio;
using asio::ip::tcp;

IdleResult holdIdleConnections(const tcp::endpoint& endpoint, int connections, std::chrono::duration<double> seconds) {
    asio::io_context io;
    IdleResult result;
    std::vector<std::unique_ptr<tcp::socket>> sockets;
    std::array<char, 1> sink{};
    for (int i = 0; i < connections; ++i) {
        auto& socket = sockets.emplace_back(std::make_unique<tcp::socket>(io));
        socket->async_connect(endpoint, [&, s = socket.get()](boost::system::error_code ec) {
            if (ec) {
                ++result.refused;
                return;
            }
            ++result.opened;
            // Anything but a cancel at the end means the server closed (or wrote, which it
            // does not do before a request).
            s->async_read_some(asio::buffer(sink), [&](boost::system::error_code ec, std::size_t) {
                if (ec != asio::error::operation_aborted) ++result.closedByServer;
            });
        });
    }
    asio::steady_timer timer(io, std::chrono::duration_cast<std::chrono::steady_clock::duration>(seconds));
    timer.async_wait([&](boost::system::error_code) {
        for (auto& socket : sockets) {
            boost::system::error_code ignored;
            socket->close(ignored);
        }
    });
    io.run();
    return result;
}

}  // namespace likenex::load
