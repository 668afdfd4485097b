#include "server/AcceptLoop.h"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>

namespace likenex {

namespace asio = boost::asio;
using asio::ip::tcp;

AcceptLoop::AcceptLoop(asio::io_context& io, RequestLog& log, std::string side)
    : io_(io), acceptor_(asio::make_strand(io)), backoff_(acceptor_.get_executor(), log, std::move(side)) {}

void AcceptLoop::listen(const tcp::endpoint& endpoint, Accepted accepted) {
    accepted_ = std::move(accepted);
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(asio::socket_base::max_listen_connections);
    port_ = acceptor_.local_endpoint().port();
    accept();
}

void AcceptLoop::accept() {
    acceptor_.async_accept(asio::make_strand(io_), [this](boost::system::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
        // Out of descriptors, accepting again at once would fail again at once: wait instead.
        if (ec) return backoff_.pause(ec, [this] { accept(); });
        backoff_.succeeded();
        accepted_(std::move(socket));
        accept();
    });
}

void AcceptLoop::stop() {
    asio::post(acceptor_.get_executor(), [this] {
        boost::system::error_code ignored;
        acceptor_.close(ignored);
    });
}

}  // namespace likenex
