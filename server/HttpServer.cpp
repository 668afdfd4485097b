#include "server/HttpServer.h"

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace likenex {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using asio::ip::tcp;

namespace {

constexpr std::size_t kHeaderLimit = 8 * 1024;
constexpr std::uint64_t kBodyLimit = 64 * 1024;
// After a refused request the client may still be sending. Reading (and dropping) what comes
// for this long before closing lets the answer reach it instead of being lost to a reset.
constexpr std::chrono::seconds kLinger{2};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The comma-separated elements of a list, trimmed; empty elements are kept so that a caller
// can tell "a,,b" from "a,b".
std::vector<std::string_view> listElements(std::string_view list) {
    std::vector<std::string_view> out;
    for (;;) {
        std::size_t comma = list.find(',');
        out.push_back(trimmed(list.substr(0, comma)));
        if (comma == std::string_view::npos) return out;
        list.remove_prefix(comma + 1);
    }
}

std::optional<asio::ip::address> parsedAddress(std::string_view text) {
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
    beast::error_code ec;
    auto address = asio::ip::make_address(std::string(text), ec);
    if (ec) return std::nullopt;
    return TrustedProxies::canonical(address);
}

// The values of every field of this name, in the order they came.
template <class Name>
std::vector<std::string_view> fieldValues(const http::fields& fields, Name name) {
    std::vector<std::string_view> values;
    for (auto [field, end] = fields.equal_range(name); field != end; ++field) values.push_back(field->value());
    return values;
}

// RFC 9112 6.1: a request body is framed by chunked alone; any other transfer coding, or
// chunked not last, cannot be framed (and is not supported), so the request is refused.
bool acceptableTransferEncoding(const http::fields& fields) {
    int codings = 0;
    bool chunkedOnly = true;
    for (std::string_view value : fieldValues(fields, http::field::transfer_encoding)) {
        for (std::string_view coding : listElements(value)) {
            if (coding.empty()) continue;
            ++codings;
            if (!beast::iequals(coding, "chunked")) chunkedOnly = false;
        }
    }
    return codings == 0 ? !fields.count(http::field::transfer_encoding) : codings == 1 && chunkedOnly;
}

// Counts a request as busy from the moment it is read until its answer is written, or until
// the job that would answer it is dropped (a stopping pool drops what waits) or the write fails.
class BusyMark {
public:
    explicit BusyMark(std::shared_ptr<std::atomic<int>> count) : count_(std::move(count)) { ++*count_; }
    ~BusyMark() { --*count_; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    std::shared_ptr<std::atomic<int>> count_;
};

template <class Body>
void decorate(http::response<Body>& response, const HttpResponse& out, bool keepAlive) {
    response.set(http::field::server, "likenex-server");
    response.set(http::field::content_type, out.contentType);
    for (const auto& [name, value] : out.headers) response.set(name, value);
    response.keep_alive(keepAlive);
}

HttpResponse notFound() { return HttpResponse{404, "text/plain; charset=utf-8", "No such file.\n", {}, {}}; }

}  // namespace

class HttpServer::Session : public std::enable_shared_from_this<Session> {
public:
    Session(HttpServer& server, tcp::socket socket)
        : server_(server), stream_(std::move(socket)), watchdog_(stream_.get_executor()), open_(server.open_) {
        ++*open_;
        beast::error_code ec;
        auto remote = stream_.socket().remote_endpoint(ec);
        if (!ec) peerAddress_ = TrustedProxies::canonical(remote.address());
        peer_ = peerAddress_ ? peerAddress_->to_string() : "?";
    }
    ~Session() { --*open_; }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The header and the body share one deadline: the whole request within the request limit.
    void read() {
        header_.emplace();
        header_->header_limit(kHeaderLimit);
        header_->body_limit(kBodyLimit);
        stream_.expires_after(server_.limits_.request);
        auto self = shared_from_this();
        http::async_read_header(stream_, buffer_, *header_,
                                [self](beast::error_code ec, std::size_t) { self->onHeader(ec); });
    }

private:
    void onHeader(beast::error_code ec) {
        if (ec) return onReadFailed(ec);
        // Decided before a byte of the body is read: a body that cannot be framed must never
        // be read as the next request.
        if (!acceptableTransferEncoding(header_->get())) {
            server_.log_.write("http", peer_, "bad request: unsupported Transfer-Encoding", {});
            return refuse(http::status::bad_request, "The request's transfer coding is not supported.\n");
        }
        request_.emplace(std::move(*header_));
        header_.reset();
        request_->body_limit(kBodyLimit);
        auto self = shared_from_this();
        http::async_read(stream_, buffer_, *request_, [self](beast::error_code ec, std::size_t) { self->onRead(ec); });
    }

    void onReadFailed(beast::error_code ec) {
        if (ec == http::error::end_of_stream || ec == http::error::partial_message || ec == beast::error::timeout ||
            ec == asio::error::operation_aborted || ec == asio::error::connection_reset || ec == asio::error::eof)
            return close();
        server_.log_.write("http", peer_, "bad request: " + ec.message(), {});
        if (ec == http::error::header_limit)
            return refuse(http::status::request_header_fields_too_large, "The request's header is too large.\n");
        if (ec == http::error::body_limit)
            return refuse(http::status::payload_too_large, "The request's body is too large.\n");
        refuse(http::status::bad_request, "The request could not be read.\n");
    }

    void onRead(beast::error_code ec) {
        if (ec) return onReadFailed(ec);
        auto started = std::chrono::steady_clock::now();
        auto mark = std::make_shared<BusyMark>(server_.busy_);
        auto request = std::make_shared<http::request<http::string_body>>(request_->release());
        request_.reset();
        std::string client =
            peerAddress_
                ? server_.clientAddress(*peerAddress_, fieldValues(*request, std::string_view("X-Forwarded-For")))
                : peer_;
        auto self = shared_from_this();
        WorkPool& pool = server_.route_(request->method_string(), request->target());
        bool taken =
            pool.post([self, request, started, mark, client] { self->answer(*request, started, mark, client); });
        if (!taken) {
            auto response = std::make_shared<http::response<http::string_body>>(http::status::service_unavailable,
                                                                                request->version());
            decorate(*response, HttpResponse{503, "text/plain; charset=utf-8", {}, {{"Retry-After", "5"}}, {}}, false);
            response->body() = "The server is busy: try again in a few seconds.\n";
            response->prepare_payload();
            server_.log_.write(
                "http", client,
                std::string(request->method_string()) + " " + std::string(request->target()) + " 503 busy",
                std::chrono::steady_clock::now() - started);
            send(response, mark);
        }
    }

    // On a work pool's thread: asks the site and hands the response to the connection's strand.
    void answer(const http::request<http::string_body>& request, std::chrono::steady_clock::time_point started,
                const std::shared_ptr<BusyMark>& mark, const std::string& client) {
        HttpRequest in;
        in.method = std::string(request.method_string());
        in.target = std::string(request.target());
        in.body = request.body();
        in.contentType = std::string(request[http::field::content_type]);
        in.peer = client;
        in.ifNoneMatch = std::string(request[http::field::if_none_match]);
        HttpResponse out;
        try {
            out = server_.site_(in);
        } catch (const std::exception& e) {
            out = HttpResponse{500, "text/plain; charset=utf-8", "The server failed.\n", {}, {}};
            server_.log_.write("http", client, std::string("failed: ") + e.what(), {});
        }
        const bool head = request.method() == http::verb::head;
        const bool keepAlive = request.keep_alive() && !server_.stopping_;
        const auto status = static_cast<http::status>(out.status);
        std::optional<std::uint64_t> fileSize;
        http::file_body::value_type file;
        if (!out.filePath.empty()) {
            beast::error_code ec;
            file.open(out.filePath.c_str(), beast::file_mode::scan, ec);
            if (ec) out = notFound();
            else fileSize = file.size();
        }
        server_.log_.write("http", client, in.method + " " + in.target + " " + std::to_string(out.status),
                           std::chrono::steady_clock::now() - started);
        auto self = shared_from_this();
        if (head) {
            auto response = std::make_shared<http::response<http::empty_body>>(status, request.version());
            decorate(*response, out, keepAlive);
            response->content_length(fileSize ? *fileSize : out.body.size());
            asio::post(stream_.get_executor(), [self, response, mark] { self->send(response, mark); });
        } else if (fileSize) {
            auto response = std::make_shared<http::response<http::file_body>>(status, request.version());
            decorate(*response, out, keepAlive);
            response->body() = std::move(file);
            response->prepare_payload();
            asio::post(stream_.get_executor(), [self, response, mark] { self->send(response, mark); });
        } else {
            auto response = std::make_shared<http::response<http::string_body>>(status, request.version());
            decorate(*response, out, keepAlive);
            response->body() = std::move(out.body);
            response->prepare_payload();
            asio::post(stream_.get_executor(), [self, response, mark] { self->send(response, mark); });
        }
    }

    // A response may take as long as it takes while it makes progress: the watchdog cuts it
    // only when a whole transfer idle period passes with nothing written and nothing of what
    // the kernel holds taken by the client.
    template <class Body>
    void send(std::shared_ptr<http::response<Body>> response, std::shared_ptr<BusyMark> mark) {
        auto serializer = std::make_shared<http::response_serializer<Body>>(*response);
        stream_.expires_never();
        writing_ = true;
        lastProgress_ = std::chrono::steady_clock::now();
        watchedWritten_ = written_;
        watchedUnacknowledged_ = unacknowledged();
        watch();
        writePiece(std::move(response), std::move(serializer), std::move(mark));
    }

    template <class Body>
    void writePiece(std::shared_ptr<http::response<Body>> response,
                    std::shared_ptr<http::response_serializer<Body>> serializer, std::shared_ptr<BusyMark> mark) {
        auto self = shared_from_this();
        http::async_write_some(stream_, *serializer,
                               [self, response, serializer, mark](beast::error_code ec, std::size_t written) mutable {
                                   self->written_ += written;
                                   if (ec) return self->close();
                                   if (!serializer->is_done())
                                       return self->writePiece(std::move(response), std::move(serializer),
                                                               std::move(mark));
                                   self->writing_ = false;
                                   self->watchdog_.cancel();
                                   mark.reset();
                                   if (!response->keep_alive()) return self->close();
                                   self->read();
                               });
    }

    // The socket becomes writable again only once a good part of its send buffer (megabytes on
    // a fast link) has drained, so a slow reader may see no write complete for a long while;
    // the bytes the client has not yet acknowledged (SIOCOUTQ) still show it reading.
    // It looks four times per idle period, so that a stalled client is cut close to the limit.
    void watch() {
        watchdog_.expires_after(std::max<std::chrono::steady_clock::duration>(server_.limits_.transferIdle / 4,
                                                                              std::chrono::milliseconds(50)));
        auto self = shared_from_this();
        watchdog_.async_wait([self](beast::error_code ec) {
            if (ec || !self->writing_) return;
            const auto now = std::chrono::steady_clock::now();
            const int left = self->unacknowledged();
            if (self->written_ != self->watchedWritten_ || (left >= 0 && left < self->watchedUnacknowledged_))
                self->lastProgress_ = now;
            self->watchedWritten_ = self->written_;
            self->watchedUnacknowledged_ = left;
            if (now - self->lastProgress_ >= self->server_.limits_.transferIdle) return self->close();
            self->watch();
        });
    }

    [[nodiscard]] int unacknowledged() {
        int bytes = 0;
        if (::ioctl(stream_.socket().native_handle(), SIOCOUTQ, &bytes) != 0) return -1;
        return bytes;
    }

    void refuse(http::status status, std::string_view text) {
        auto response = std::make_shared<http::response<http::string_body>>(status, 11);
        decorate(*response, HttpResponse{static_cast<int>(status), "text/plain; charset=utf-8", {}, {}, {}}, false);
        response->body() = std::string(text);
        response->prepare_payload();
        stream_.expires_after(server_.limits_.transferIdle);
        auto self = shared_from_this();
        http::async_write(stream_, *response, [self, response](beast::error_code ec, std::size_t) {
            if (ec) return self->close();
            self->linger();
        });
    }

    void linger() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.expires_after(kLinger);
        scratch_.resize(4096);
        drain();
    }

    void drain() {
        auto self = shared_from_this();
        stream_.async_read_some(asio::buffer(scratch_), [self](beast::error_code ec, std::size_t) {
            if (ec) return self->close();
            self->drain();
        });
    }

    void close() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.close();
    }

    HttpServer& server_;
    beast::tcp_stream stream_;
    asio::steady_timer watchdog_;
    bool writing_ = false;
    std::uint64_t written_ = 0;
    std::uint64_t watchedWritten_ = 0;
    int watchedUnacknowledged_ = -1;
    std::chrono::steady_clock::time_point lastProgress_;
    std::shared_ptr<std::atomic<int>> open_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::empty_body>> header_;
    std::optional<http::request_parser<http::string_body>> request_;
    std::vector<char> scratch_;
    std::optional<asio::ip::address> peerAddress_;
    std::string peer_;
};

HttpServer::HttpServer(asio::io_context& io, const tcp::endpoint& endpoint, Site site, Route route, Limits limits,
                       RequestLog& log)
    : acceptLoop_(io, log, "http"),
      site_(std::move(site)),
      route_(std::move(route)),
      limits_(std::move(limits)),
      log_(log) {
    auto trusted = TrustedProxies::parse(limits_.trustedProxies);
    if (!trusted) throw std::invalid_argument(trusted.error());
    trusted_ = std::move(*trusted);
    acceptLoop_.listen(endpoint, [this](tcp::socket socket) { serve(std::move(socket)); });
}

HttpServer::~HttpServer() = default;

std::string HttpServer::clientAddress(const asio::ip::address& peer,
                                      const std::vector<std::string_view>& forwardedFor) const {
    const std::string own = TrustedProxies::canonical(peer).to_string();
    if (!trusted_.trusts(peer)) return own;
    std::vector<std::string_view> hops;
    for (std::string_view field : forwardedFor)
        for (std::string_view hop : listElements(field)) hops.push_back(hop);
    if (hops.empty()) return own;
    // Each proxy appends the address it was reached from, so only the right end is
    // trustworthy: walk leftwards past our own proxies to the first address they did not add.
    std::optional<asio::ip::address> leftmost;
    for (auto hop = hops.rbegin(); hop != hops.rend(); ++hop) {
        auto address = parsedAddress(*hop);
        if (!address) return own;
        if (!trusted_.trusts(*address)) return address->to_string();
        leftmost = address;
    }
    // Every hop is a trusted proxy: the request started at the first of them.
    return leftmost->to_string();
}

void HttpServer::serve(tcp::socket socket) {
    // Beyond the cap the connection is closed unread: cheaper under a flood than an answer,
    // and a browser shows the refusal at once.
    if (*open_ >= limits_.maxConnections) {
        beast::error_code ignored;
        socket.close(ignored);
        return;
    }
    std::make_shared<Session>(*this, std::move(socket))->read();
}

void HttpServer::stop() {
    stopping_ = true;
    acceptLoop_.stop();
}

}  // namespace likenex
