#include "server/ProtocolServer.h"

#include <boost/asio/post.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/write.hpp>

#include <array>

namespace likenex {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

class ProtocolServer::Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(ProtocolServer& server, tcp::socket socket)
        : server_(server), open_(server.open_), socket_(std::move(socket)), timer_(socket_.get_executor()),
          started_(std::chrono::steady_clock::now()) {
        error_code ec;
        auto remote = socket_.remote_endpoint(ec);
        peer_ = ec ? "?" : remote.address().to_string();
        ++*open_;
    }
    ~Connection() { --*open_; }

    void start() {
        armTimer(server_.limits_.request);
        auto self = shared_from_this();
        asio::async_read(socket_, asio::buffer(frame_.data(), 2), [self](error_code ec, std::size_t) { self->onLength(ec); });
    }

    // From the server's stop: a connection past its reply closes now.
    void stopIdle() {
        auto self = shared_from_this();
        asio::post(socket_.get_executor(), [self] {
            if (self->replied_) self->close();
        });
    }

private:
    void armTimer(std::chrono::milliseconds limit) {
        timer_.expires_after(limit);
        auto self = shared_from_this();
        timer_.async_wait([self](error_code ec) {
            if (ec) return;
            if (!self->replied_) self->finish("timed out before a whole request");
            self->close();
        });
    }

    void onLength(error_code ec) {
        if (ec) {
            finish("closed before a request");
            return close();
        }
        length_ = static_cast<std::size_t>(frame_[0] | frame_[1] << 8);
        if (!isValidFrameLength(length_)) {
            finish("bad length " + std::to_string(length_));
            return close();
        }
        auto self = shared_from_this();
        asio::async_read(socket_, asio::buffer(frame_.data() + 2, length_ - 2), [self](error_code ec, std::size_t) { self->onFrame(ec); });
    }

    void onFrame(error_code ec) {
        if (ec) {
            finish("closed within a request");
            return close();
        }
        auto self = shared_from_this();
        auto header = peekFrameHeader({frame_.data(), length_});
        WorkPool* pool = header ? server_.route_(header->type) : nullptr;
        if (!pool) return onOutcome(server_.handler_({frame_.data(), length_}, peer_));
        bool taken = pool->post([self] {
            auto outcome = self->server_.handler_({self->frame_.data(), self->length_}, self->peer_);
            asio::post(self->socket_.get_executor(), [self, outcome = std::move(outcome)]() mutable { self->onOutcome(std::move(outcome)); });
        });
        if (!taken) onOutcome(server_.busy_({frame_.data(), length_}));
    }

    void onOutcome(RequestHandler::Outcome outcome) {
        summary_ = std::move(outcome.summary);
        reply_ = std::move(outcome.reply);
        if (reply_.empty()) {
            finish(summary_ + ", no reply");
            return close();
        }
        if (outcome.delay > std::chrono::steady_clock::duration::zero()) {
            // Held on the timer, never on a thread; the request limit is re-armed to cover it.
            timer_.expires_after(outcome.delay);
            auto self = shared_from_this();
            timer_.async_wait([self](error_code ec) {
                if (!ec) self->writeReply();
            });
            return;
        }
        writeReply();
    }

    void writeReply() {
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(reply_), [self](error_code ec, std::size_t) {
            self->replied_ = true;
            self->finish(ec ? self->summary_ + ", reply not sent" : self->summary_);
            if (ec || self->server_.stopping_) return self->close();
            self->armTimer(self->server_.limits_.idle);
            self->drain();
        });
    }

    // Reads and drops whatever follows until the client closes.
    void drain() {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(frame_), [self](error_code ec, std::size_t) {
            if (ec) return self->close();
            self->drain();
        });
    }

    void finish(const std::string& what) {
        if (logged_) return;
        logged_ = true;
        server_.log_.write("tcp", peer_, what, std::chrono::steady_clock::now() - started_);
    }

    void close() {
        error_code ignored;
        timer_.cancel();
        socket_.shutdown(tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }

    ProtocolServer& server_;
    std::shared_ptr<std::atomic<int>> open_;
    tcp::socket socket_;
    asio::steady_timer timer_;
    std::chrono::steady_clock::time_point started_;
    std::string peer_;
    std::array<std::uint8_t, kMaxMessageLength> frame_{};
    std::size_t length_ = 0;
    std::vector<std::uint8_t> reply_;
    std::string summary_;
    bool replied_ = false;
    bool logged_ = false;
};

ProtocolServer::ProtocolServer(asio::io_context& io, const tcp::endpoint& endpoint, Handler handler, Route route, Busy busy,
                               Limits limits, RequestLog& log)
    : io_(io), acceptor_(asio::make_strand(io)), handler_(std::move(handler)), route_(std::move(route)), busy_(std::move(busy)),
      limits_(limits), log_(log) {
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(asio::socket_base::max_listen_connections);
    port_ = acceptor_.local_endpoint().port();
    accept();
}

ProtocolServer::~ProtocolServer() = default;

void ProtocolServer::accept() {
    acceptor_.async_accept(asio::make_strand(io_), [this](error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (!ec) {
            if (*open_ >= limits_.maxConnections) {
                error_code ignored;
                socket.close(ignored);
            } else {
                auto connection = std::make_shared<Connection>(*this, std::move(socket));
                {
                    std::lock_guard lock(connectionsMutex_);
                    if (connections_.size() > static_cast<std::size_t>(limits_.maxConnections))
                        std::erase_if(connections_, [](const auto& weak) { return weak.expired(); });
                    connections_.insert(connection);
                }
                connection->start();
            }
        }
        accept();
    });
}

void ProtocolServer::stop() {
    stopping_ = true;
    asio::post(acceptor_.get_executor(), [this] {
        error_code ignored;
        acceptor_.close(ignored);
    });
    std::lock_guard lock(connectionsMutex_);
    for (auto& weak : connections_)
        if (auto connection = weak.lock()) connection->stopIdle();
    connections_.clear();
}

}  // namespace likenex
