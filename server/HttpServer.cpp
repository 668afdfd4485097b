#include "server/HttpServer.h"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

namespace likenex {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using asio::ip::tcp;

class HttpServer::Session : public std::enable_shared_from_this<Session> {
public:
    Session(HttpServer& server, tcp::socket socket) : server_(server), stream_(std::move(socket)) {
        beast::error_code ec;
        auto remote = stream_.socket().remote_endpoint(ec);
        peer_ = ec ? "?" : remote.address().to_string();
    }

    void read() {
        parser_.emplace();
        parser_->header_limit(8 * 1024);
        parser_->body_limit(64 * 1024);
        stream_.expires_after(std::chrono::seconds(15));
        auto self = shared_from_this();
        http::async_read(stream_, buffer_, *parser_, [self](beast::error_code ec, std::size_t) { self->onRead(ec); });
    }

private:
    void onRead(beast::error_code ec) {
        if (ec) {
            if (ec != http::error::end_of_stream && ec != beast::error::timeout && ec != asio::error::operation_aborted &&
                ec != asio::error::connection_reset)
                server_.log_.write("http", peer_, "bad request: " + ec.message(), {});
            return close();
        }
        auto started = std::chrono::steady_clock::now();
        ++server_.busy_;
        auto request = std::make_shared<http::request<http::string_body>>(parser_->release());
        auto self = shared_from_this();
        WorkPool& pool = server_.route_(request->method_string(), request->target());
        bool taken = pool.post([self, request, started] {
            HttpRequest in;
            in.method = std::string(request->method_string());
            in.target = std::string(request->target());
            in.body = request->body();
            in.contentType = std::string((*request)[http::field::content_type]);
            in.peer = self->peer_;
            HttpResponse out;
            try {
                out = self->server_.site_(in);
            } catch (const std::exception& e) {
                out = HttpResponse{500, "text/plain; charset=utf-8", "The server failed.\n", {}};
                self->server_.log_.write("http", self->peer_, std::string("failed: ") + e.what(), {});
            }
            auto response = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(out.status), request->version());
            response->set(http::field::server, "likenex-server");
            response->set(http::field::content_type, out.contentType);
            for (const auto& [name, value] : out.headers) response->set(name, value);
            response->keep_alive(request->keep_alive() && !self->server_.stopping_);
            bool head = request->method() == http::verb::head;
            response->body() = head ? std::string() : std::move(out.body);
            response->prepare_payload();
            if (head) response->content_length(out.body.size());
            self->server_.log_.write("http", self->peer_, in.method + " " + in.target + " " + std::to_string(out.status),
                                     std::chrono::steady_clock::now() - started);
            asio::post(self->stream_.get_executor(), [self, response] { self->write(response); });
        });
        if (!taken) {
            auto response = std::make_shared<http::response<http::string_body>>(http::status::service_unavailable, request->version());
            response->set(http::field::server, "likenex-server");
            response->set(http::field::content_type, "text/plain; charset=utf-8");
            response->set(http::field::retry_after, "5");
            response->body() = "The server is busy: try again in a few seconds.\n";
            response->keep_alive(false);
            response->prepare_payload();
            server_.log_.write("http", peer_, std::string(request->method_string()) + " " + std::string(request->target()) + " 503 busy",
                               std::chrono::steady_clock::now() - started);
            write(response);
        }
    }

    void write(std::shared_ptr<http::response<http::string_body>> response) {
        auto self = shared_from_this();
        http::async_write(stream_, *response, [self, response](beast::error_code ec, std::size_t) {
            --self->server_.busy_;
            if (ec || !response->keep_alive()) return self->close();
            self->read();
        });
    }

    void close() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.close();
    }

    HttpServer& server_;
    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::string peer_;
};

HttpServer::HttpServer(asio::io_context& io, const tcp::endpoint& endpoint, Site site, Route route, RequestLog& log)
    : io_(io), acceptor_(asio::make_strand(io)), site_(std::move(site)), route_(std::move(route)), log_(log) {
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(asio::socket_base::max_listen_connections);
    port_ = acceptor_.local_endpoint().port();
    accept();
}

HttpServer::~HttpServer() = default;

void HttpServer::accept() {
    acceptor_.async_accept(asio::make_strand(io_), [this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (!ec) std::make_shared<Session>(*this, std::move(socket))->read();
        accept();
    });
}

void HttpServer::stop() {
    stopping_ = true;
    asio::post(acceptor_.get_executor(), [this] {
        beast::error_code ignored;
        acceptor_.close(ignored);
    });
}

}  // namespace likenex
