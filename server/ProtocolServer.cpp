#include "server/ProtocolServer.h"

#include "server/ProxyProtocol.h"

#include <boost/asio/post.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <array>
#include <cstring>

namespace likenex {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

class ProtocolServer::Connection : public std::enable_shared_from_this<Connection> {
public:
    // Where the request is. Every change happens on the connection's strand except one: a
    // worker takes a queued request (Queued to Running) with a compare-and-swap, so that a
    // request dropped on the strand at the same moment is never also run.
    enum class Stage { Proxy, Reading, Queued, Running, Holding, Writing, Replied, Closed };

    Connection(ProtocolServer& server, tcp::socket socket)
        : server_(server),
          open_(server.open_),
          socket_(std::move(socket)),
          timer_(socket_.get_executor()),
          started_(std::chrono::steady_clock::now()),
          requestDeadline_(started_ + server.limits_.request) {
        error_code ec;
        auto remote = socket_.remote_endpoint(ec);
        if (!ec) {
            peer_ = TrustedProxies::canonical(remote.address()).to_string();
            viaProxy_ = server_.proxies_.trusts(remote.address());
        }
        ++*open_;
    }
    ~Connection() { --*open_; }

    void start() {
        armTimer(server_.limits_.request);
        if (viaProxy_) {
            stage_ = Stage::Proxy;
            return readProxyLine();
        }
        readLength();
    }

    // From the server's stop: a request waiting for a worker is dropped, a connection past its
    // reply closes; a request still arriving or being worked on goes on.
    void stopNow() {
        auto self = shared_from_this();
        asio::post(socket_.get_executor(), [self] {
            if (self->dropQueued("the server stops")) return;
            if (self->stage_ == Stage::Replied) self->close();
        });
    }

private:
    void armTimer(std::chrono::milliseconds limit) {
        timer_.expires_after(limit);
        auto self = shared_from_this();
        timer_.async_wait([self](error_code ec) {
            if (!ec) self->onTimer();
        });
    }

    void onTimer() {
        switch (stage_.load()) {
        case Stage::Proxy:
        case Stage::Reading: finish("timed out before a whole request"); return close();
        case Stage::Queued:
            if (dropQueued("no worker took it within the request limit")) return;
            return onTimer();  // a worker took it just now
        case Stage::Running:
            // Work that has started runs to its end; its reply then gets the answer limit.
            return armTimer(server_.limits_.answer);
        case Stage::Holding: return;  // the hold has the timer; it is bounded by the sign-in throttle
        case Stage::Writing: finish(summary_ + ", reply not sent: timed out"); return close();
        case Stage::Replied: return close();
        case Stage::Closed: return;
        }
    }

    // A trusted proxy's PROXY header, read a piece at a time so that a missing one is refused as
    // soon as its first bytes differ, and never beyond the longest the version allows. The
    // first byte tells the version: 'P' the text line, CR the binary header.
    void readProxyLine() {
        const bool binary = have_ > 0 && proxyLine_[0] == kProxyV2Signature[0];
        const std::size_t limit = binary ? kLongestProxyV2 : kLongestProxyLine;
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(proxyLine_.data() + have_, limit - have_),
                                [self](error_code ec, std::size_t n) { self->onProxyBytes(ec, n); });
    }

    void onProxyBytes(error_code ec, std::size_t n) {
        if (ec) {
            finish("closed before its PROXY header");
            return close();
        }
        have_ += n;
        std::optional<ProxyLine> line;
        std::size_t used = 0;
        if (proxyLine_[0] == kProxyV2Signature[0]) {
            const std::size_t compared = std::min(have_, sizeof kProxyV2Signature);
            if (std::memcmp(proxyLine_.data(), kProxyV2Signature, compared) != 0) return refuseProxy("no PROXY header");
            if (have_ < kProxyV2FixedPart) return readProxyLine();
            auto length = proxyV2Length({proxyLine_.data(), have_});
            if (!length) return refuseProxy("malformed PROXY header");
            if (have_ < *length) return readProxyLine();
            line = parseProxyV2({proxyLine_.data(), *length});
            used = *length;
        } else {
            constexpr std::string_view kStart = "PROXY ";
            const std::string_view got(reinterpret_cast<const char*>(proxyLine_.data()), have_);
            const std::size_t end = got.substr(0, kLongestProxyLine).find("\r\n");
            if (got.substr(0, kStart.size()) != kStart.substr(0, std::min(have_, kStart.size())))
                return refuseProxy("no PROXY line");
            if (end == std::string_view::npos) {
                if (have_ >= kLongestProxyLine) return refuseProxy("malformed PROXY line");
                return readProxyLine();
            }
            line = parseProxyLine(got.substr(0, end + 2));
            used = end + 2;
        }
        if (!line) return refuseProxy("malformed PROXY line");
        if (line->source) peer_ = TrustedProxies::canonical(*line->source).to_string();
        // What followed the header is the start of the frame.
        const std::size_t rest = have_ - used;
        std::memcpy(frame_.data(), proxyLine_.data() + used, rest);
        have_ = rest;
        stage_ = Stage::Reading;
        readLength();
    }

    void refuseProxy(const std::string& what) {
        finish("from proxy " + peer_ + ": " + what + ", closed");
        close();
    }

    void readLength() {
        if (have_ >= 2) return onLength({});
        auto self = shared_from_this();
        asio::async_read(socket_, asio::buffer(frame_.data() + have_, 2 - have_), [self](error_code ec, std::size_t) {
            if (!ec) self->have_ = 2;
            self->onLength(ec);
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
        if (have_ >= length_) return onFrame({});
        auto self = shared_from_this();
        asio::async_read(socket_, asio::buffer(frame_.data() + have_, length_ - have_),
                         [self](error_code ec, std::size_t) { self->onFrame(ec); });
    }

    void onFrame(error_code ec) {
        if (ec) {
            finish("closed within a request");
            return close();
        }
        // From here on a read only tells whether the client is still there.
        watch();
        auto header = peekFrameHeader({frame_.data(), length_});
        WorkPool* pool = header ? server_.route_(header->type) : nullptr;
        if (!pool) {
            stage_ = Stage::Running;
            return onOutcome(run());
        }
        stage_ = Stage::Queued;
        auto self = shared_from_this();
        if (!pool->post([self] { self->work(); })) {
            stage_ = Stage::Running;
            onOutcome(server_.busy_({frame_.data(), length_}));
        }
    }

    // On a worker thread.
    void work() {
        const char* why = gone_                                                 ? "the client closed"
                          : std::chrono::steady_clock::now() > requestDeadline_ ? "past the request limit"
                                                                                : nullptr;
        auto self = shared_from_this();
        if (why) {
            asio::post(socket_.get_executor(),
                       [self, why] { self->dropQueued(std::string(why) + " before a worker took it"); });
            return;
        }
        Stage queued = Stage::Queued;
        if (!stage_.compare_exchange_strong(queued, Stage::Running)) return;  // dropped meanwhile
        auto outcome = run();
        asio::post(socket_.get_executor(),
                   [self, outcome = std::move(outcome)]() mutable { self->onOutcome(std::move(outcome)); });
    }

    RequestHandler::Outcome run() {
        try {
            return server_.handler_({frame_.data(), length_}, peer_);
        } catch (const std::exception& e) {
            // A fault of the storage (out of descriptors, say) fails this request, not the server.
            auto outcome = server_.busy_({frame_.data(), length_});
            outcome.summary = std::string("failed: ") + e.what();
            return outcome;
        }
    }

    // On the strand. True when the request was waiting for a worker and is now dropped.
    bool dropQueued(const std::string& why) {
        Stage queued = Stage::Queued;
        if (!stage_.compare_exchange_strong(queued, Stage::Closed)) return false;
        finish("dropped: " + why);
        close();
        return true;
    }

    void onOutcome(RequestHandler::Outcome outcome) {
        summary_ = std::move(outcome.summary);
        if (outcome.storedAvatar > 0 &&
            summary_.find("stored " + std::to_string(outcome.storedAvatar)) == std::string::npos)
            summary_ += ", stored " + std::to_string(outcome.storedAvatar);
        reply_ = std::move(outcome.reply);
        if (stage_ == Stage::Closed) {
            finish(summary_ + ", reply not sent: the connection was closed");
            return;
        }
        if (reply_.empty()) {
            finish(summary_ + ", no reply");
            return close();
        }
        if (outcome.delay > std::chrono::steady_clock::duration::zero()) {
            // Held on the timer, never on a thread.
            stage_ = Stage::Holding;
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
        if (stage_ == Stage::Closed) return;
        stage_ = Stage::Writing;
        armTimer(server_.limits_.answer);
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(reply_), [self](error_code ec, std::size_t) {
            if (ec) {
                self->finish(self->summary_ + ", reply not sent: " + ec.message());
                return self->close();
            }
            self->stage_ = Stage::Replied;
            self->finish(self->summary_);
            if (self->gone_ || self->server_.stopping_) return self->close();
            self->armTimer(self->server_.limits_.idle);
        });
    }

    // Reads and drops whatever follows the request until the client closes. A close before the
    // reply drops a request still waiting for a worker; after the reply it ends the connection.
    void watch() {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(scratch_), [self](error_code ec, std::size_t) {
            if (!ec) return self->watch();
            self->gone_ = true;
            if (self->dropQueued("the client closed before a worker took it")) return;
            if (self->stage_ == Stage::Replied) self->close();
        });
    }

    void finish(const std::string& what) {
        if (logged_) return;
        logged_ = true;
        server_.log_.write("tcp", peer_, what, std::chrono::steady_clock::now() - started_);
    }

    void close() {
        stage_ = Stage::Closed;
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
    std::chrono::steady_clock::time_point requestDeadline_;
    std::string peer_ = "?";
    bool viaProxy_ = false;
    std::atomic<Stage> stage_{Stage::Reading};
    std::atomic<bool> gone_{false};
    std::array<std::uint8_t, std::max(kLongestProxyLine, kLongestProxyV2)> proxyLine_{};
    std::array<std::uint8_t, kMaxMessageLength> frame_{};
    std::array<std::uint8_t, 512> scratch_{};
    std::size_t have_ = 0;  // bytes of the PROXY line, then of the frame, read so far
    std::size_t length_ = 0;
    std::vector<std::uint8_t> reply_;
    std::string summary_;
    bool logged_ = false;
};

ProtocolServer::ProtocolServer(asio::io_context& io, const tcp::endpoint& endpoint, Handler handler, Route route,
                               Busy busy, Limits limits, TrustedProxies proxies, RequestLog& log)
    : acceptLoop_(io, log, "tcp"),
      handler_(std::move(handler)),
      route_(std::move(route)),
      busy_(std::move(busy)),
      limits_(limits),
      proxies_(std::move(proxies)),
      log_(log) {
    acceptLoop_.listen(endpoint, [this](tcp::socket socket) { serve(std::move(socket)); });
}

ProtocolServer::~ProtocolServer() = default;

void ProtocolServer::serve(tcp::socket socket) {
    if (*open_ >= limits_.maxConnections) {
        // Beyond the cap: closed at once, which frees the descriptor the accept took.
        error_code ignored;
        socket.close(ignored);
        return;
    }
    auto connection = std::make_shared<Connection>(*this, std::move(socket));
    {
        std::lock_guard lock(connectionsMutex_);
        if (connections_.size() > static_cast<std::size_t>(limits_.maxConnections))
            std::erase_if(connections_, [](const auto& weak) { return weak.expired(); });
        connections_.insert(connection);
    }
    connection->start();
}

void ProtocolServer::stop() {
    stopping_ = true;
    acceptLoop_.stop();
    std::lock_guard lock(connectionsMutex_);
    for (auto& weak : connections_)
        if (auto connection = weak.lock()) connection->stopNow();
    connections_.clear();
}

}  // namespace likenex
