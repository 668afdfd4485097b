#include "server/load/SlowDownload.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <memory>
#include <optional>

namespace likenex::load {

namespace asio = boost::asio;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

// A head larger than this is not a response the server would send.
constexpr std::size_t kLongestHead = 16384;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

class SlowReader : public std::enable_shared_from_this<SlowReader> {
public:
    SlowReader(asio::io_context& io, const SlowDownloadSettings& settings, DownloadOutcome& outcome)
        : socket_(io), timer_(io), settings_(settings), outcome_(outcome) {}

    void start(Clock::time_point deadline) {
        deadline_ = deadline;
        began_ = Clock::now();
        request_ = "GET " + settings_.target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
        boost::system::error_code ec;
        socket_.open(settings_.endpoint.protocol(), ec);
        // Set before connecting, so that the window the server sees stays small.
        if (!ec) socket_.set_option(asio::socket_base::receive_buffer_size(settings_.receiveBuffer), ec);
        if (ec) return end(DownloadOutcome::End::NoConnection);
        auto self = shared_from_this();
        socket_.async_connect(settings_.endpoint, [self](boost::system::error_code ec) {
            if (ec) return self->end(DownloadOutcome::End::NoConnection);
            asio::async_write(self->socket_, asio::buffer(self->request_),
                              [self](boost::system::error_code ec, std::size_t) {
                                  if (ec) return self->end(DownloadOutcome::End::Cut);
                                  self->pace();
                              });
        });
    }

private:
    // Reads what the rate allows so far, or sleeps until it allows a little more.
    void pace() {
        auto now = Clock::now();
        if (now >= deadline_) return end(DownloadOutcome::End::TimeLimit);
        double allowed =
            settings_.rate * std::chrono::duration<double>(now - began_).count() - static_cast<double>(received_);
        auto self = shared_from_this();
        if (allowed < 1) {
            auto wait = std::chrono::duration<double>(std::max(0.01, (1 - allowed) / settings_.rate));
            timer_.expires_after(std::min(std::chrono::duration_cast<Clock::duration>(wait), deadline_ - now));
            timer_.async_wait([self](boost::system::error_code) { self->pace(); });
            return;
        }
        std::size_t want = static_cast<std::size_t>(std::min<double>(allowed, static_cast<double>(buffer_.size())));
        // A reply arriving after the deadline must not keep the run going: the timer closes it.
        timer_.expires_at(deadline_);
        timer_.async_wait([self](boost::system::error_code ec) {
            if (!ec) self->closeSocket();
        });
        socket_.async_read_some(
            asio::buffer(buffer_.data(), want), [self](boost::system::error_code ec, std::size_t n) {
                self->timer_.cancel();
                if (ec) {
                    if (Clock::now() >= self->deadline_) return self->end(DownloadOutcome::End::TimeLimit);
                    bool whole =
                        ec == asio::error::eof && self->headDone_ &&
                        (self->outcome_.contentLength < 0 || self->outcome_.bodyBytes == self->outcome_.contentLength);
                    return self->end(whole ? DownloadOutcome::End::Complete : DownloadOutcome::End::Cut);
                }
                self->received_ += static_cast<long long>(n);
                if (!self->take(std::string_view(self->buffer_.data(), n)))
                    return self->end(DownloadOutcome::End::BadResponse);
                if (self->headDone_ && self->outcome_.contentLength >= 0 &&
                    self->outcome_.bodyBytes >= self->outcome_.contentLength)
                    return self->end(DownloadOutcome::End::Complete);
                self->pace();
            });
    }

    // Counts body bytes; before them, gathers and reads the head. False on a bad head.
    bool take(std::string_view bytes) {
        if (headDone_) {
            outcome_.bodyBytes += static_cast<long long>(bytes.size());
            return true;
        }
        head_.append(bytes);
        std::size_t blank = head_.find("\r\n\r\n");
        if (blank == std::string::npos) return head_.size() <= kLongestHead;
        auto parsed = parseResponseHead(std::string_view(head_).substr(0, blank));
        if (!parsed) return false;
        headDone_ = true;
        outcome_.status = parsed->status;
        outcome_.contentLength = parsed->contentLength;
        outcome_.bodyBytes = static_cast<long long>(head_.size() - blank - 4);
        head_.clear();
        return true;
    }

    void end(DownloadOutcome::End how) {
        outcome_.end = how;
        outcome_.seconds = std::chrono::duration<double>(Clock::now() - began_).count();
        timer_.cancel();
        closeSocket();
    }

    void closeSocket() {
        boost::system::error_code ignored;
        socket_.close(ignored);
    }

    tcp::socket socket_;
    asio::steady_timer timer_;
    const SlowDownloadSettings& settings_;
    DownloadOutcome& outcome_;
    std::string request_;
    std::string head_;
    bool headDone_ = false;
    long long received_ = 0;
    Clock::time_point began_;
    Clock::time_point deadline_;
    std::array<char, 16384> buffer_{};
};

}  // namespace

std::optional<ResponseHead> parseResponseHead(std::string_view head) {
    ResponseHead parsed;
    std::size_t lineEnd = head.find("\r\n");
    std::string_view status = head.substr(0, lineEnd);
    if (status.size() < 12 || status.substr(0, 7) != "HTTP/1." || status[8] != ' ') return std::nullopt;
    auto [stop, ec] = std::from_chars(status.data() + 9, status.data() + 12, parsed.status);
    if (ec != std::errc() || stop != status.data() + 12 || parsed.status < 100) return std::nullopt;
    while (lineEnd != std::string_view::npos) {
        head.remove_prefix(lineEnd + 2);
        lineEnd = head.find("\r\n");
        std::string_view line = head.substr(0, lineEnd);
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !equalsIgnoringCase(line.substr(0, colon), "content-length")) continue;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
        long long length = -1;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
        if (error != std::errc() || end != value.data() + value.size() || length < 0 || value.empty())
            return std::nullopt;
        parsed.contentLength = length;
    }
    return parsed;
}

std::vector<DownloadOutcome> runSlowDownloads(const SlowDownloadSettings& settings) {
    asio::io_context io;
    std::vector<DownloadOutcome> outcomes(static_cast<std::size_t>(settings.connections));
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(settings.seconds);
    for (auto& outcome : outcomes) std::make_shared<SlowReader>(io, settings, outcome)->start(deadline);
    io.run();
    return outcomes;
}

bool printDownloadSummary(std::FILE* out, const SlowDownloadSettings& settings,
                          const std::vector<DownloadOutcome>& outcomes) {
    long long counts[5] = {};
    long long bytes = 0, length = -1;
    double seconds = 0, rateSum = 0;
    int statusSeen = 0;
    for (const auto& o : outcomes) {
        ++counts[static_cast<int>(o.end)];
        bytes += o.bodyBytes;
        seconds = std::max(seconds, o.seconds);
        if (o.seconds > 0) rateSum += static_cast<double>(o.bodyBytes) / o.seconds;
        if (o.status) statusSeen = o.status;
        if (o.contentLength >= 0) length = o.contentLength;
    }
    std::fprintf(
        out,
        "kind=slow-download target=%s connections=%d rate=%.0fB/s status=%d length=%lld complete=%lld cut=%lld "
        "running_at_limit=%lld no_connection=%lld bad_response=%lld body_bytes=%lld seconds=%.2f mean_rate=%.0fB/s\n",
        settings.target.c_str(), settings.connections, settings.rate, statusSeen, length,
        counts[static_cast<int>(DownloadOutcome::End::Complete)], counts[static_cast<int>(DownloadOutcome::End::Cut)],
        counts[static_cast<int>(DownloadOutcome::End::TimeLimit)],
        counts[static_cast<int>(DownloadOutcome::End::NoConnection)],
        counts[static_cast<int>(DownloadOutcome::End::BadResponse)], bytes, seconds,
        outcomes.empty() ? 0.0 : rateSum / static_cast<double>(outcomes.size()));
    return counts[static_cast<int>(DownloadOutcome::End::Cut)] == 0 &&
           counts[static_cast<int>(DownloadOutcome::End::NoConnection)] == 0 &&
           counts[static_cast<int>(DownloadOutcome::End::BadResponse)] == 0;
}

}  // namespace likenex::load
