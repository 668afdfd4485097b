#include "server/load/ExchangeRun.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace likenex::load {

namespace asio = boost::asio;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

RecordFile::RecordFile(const std::string& path) : file_(std::fopen(path.c_str(), "a")) {
    if (!file_) throw std::runtime_error("cannot open " + path + " for writing");
}

void RecordFile::append(std::int64_t number) {
    std::fprintf(file_.get(), "%lld\n", static_cast<long long>(number));
    std::fflush(file_.get());
}

long long RunResult::errorCount() const {
    long long count = 0;
    for (const auto& [label, n] : errors) count += n;
    return count;
}

class ExchangeRun::Slot : public std::enable_shared_from_this<Slot> {
public:
    Slot(asio::io_context& io, ExchangeRun& run) : socket_(io), timer_(io), run_(run) {}

    void next() {
        exchange_ = run_.take();
        if (!exchange_) return;
        ++generation_;
        timedOut_ = false;
        began_ = Clock::now();
        socket_ = tcp::socket(socket_.get_executor());
        auto self = shared_from_this();
        const unsigned generation = generation_;
        // The deadline closes the socket; the pending operation then ends with an error,
        // which finish() counts as a time-out.
        timer_.expires_after(run_.settings_.replyTimeout);
        timer_.async_wait([self, generation](boost::system::error_code ec) {
            if (ec || generation != self->generation_) return;
            self->timedOut_ = true;
            self->closeSocket();
        });
        socket_.async_connect(run_.settings_.endpoint, [self](boost::system::error_code ec) {
            if (ec) return self->finish({}, "no connection");
            asio::async_write(self->socket_, asio::buffer(self->exchange_->request),
                              [self](boost::system::error_code ec, std::size_t) {
                                  if (ec) return self->finish({}, "send failed");
                                  self->readReply();
                              });
        });
    }

private:
    void readReply() {
        auto self = shared_from_this();
        asio::async_read(socket_, asio::buffer(reply_.data(), 2), [self](boost::system::error_code ec, std::size_t) {
            if (ec) return self->finish({}, "closed without a reply");
            std::size_t length = static_cast<std::size_t>(self->reply_[0] | self->reply_[1] << 8);
            if (!isValidFrameLength(length)) return self->finish({}, "bad reply length");
            asio::async_read(self->socket_, asio::buffer(self->reply_.data() + 2, length - 2),
                             [self, length](boost::system::error_code ec, std::size_t) {
                                 if (ec) return self->finish({}, "closed mid-reply");
                                 self->finish(std::span<const std::uint8_t>(self->reply_.data(), length), {});
                             });
        });
    }

    // Counts the exchange (a reply, or what went wrong instead), closes and starts the next.
    void finish(std::span<const std::uint8_t> reply, const std::string& failure) {
        RunResult& result = run_.result_;
        timer_.cancel();
        closeSocket();
        if (!reply.empty()) {
            result.latenciesMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began_).count());
            Verdict verdict = judgeReply(exchange_->type, reply);
            if (verdict.storedNumber > 0 && run_.record_) run_.record_->append(verdict.storedNumber);
            note(verdict.ok, verdict.label);
        } else {
            note(false, timedOut_ ? "timed out" : failure);
        }
        next();
    }

    void note(bool ok, const std::string& label) {
        RunResult& result = run_.result_;
        if (ok) {
            ++result.ok;
            return;
        }
        ++result.errors[label];
        if (exchange_->avatarNumber > 0) result.failedNumbers.emplace_back(exchange_->avatarNumber, label);
    }

    void closeSocket() {
        boost::system::error_code ignored;
        socket_.shutdown(tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }

    tcp::socket socket_;
    asio::steady_timer timer_;
    ExchangeRun& run_;
    const Exchange* exchange_ = nullptr;
    unsigned generation_ = 0;
    bool timedOut_ = false;
    Clock::time_point began_;
    std::array<std::uint8_t, kMaxMessageLength> reply_{};
};

ExchangeRun::ExchangeRun(RunSettings settings, std::vector<Exchange> exchanges, bool repeat, RecordFile* record)
    : settings_(std::move(settings)), exchanges_(std::move(exchanges)), repeat_(repeat), record_(record) {}

const Exchange* ExchangeRun::take() {
    if (exchanges_.empty() || result_.sent >= settings_.limit || Clock::now() >= deadline_) return nullptr;
    std::size_t index = static_cast<std::size_t>(result_.sent);
    if (!repeat_ && index >= exchanges_.size()) return nullptr;
    ++result_.sent;
    return &exchanges_[index % exchanges_.size()];
}

RunResult ExchangeRun::run() {
    asio::io_context io;
    auto begin = Clock::now();
    deadline_ = begin + std::chrono::duration_cast<Clock::duration>(settings_.seconds);
    for (int i = 0; i < settings_.connections; ++i) std::make_shared<Slot>(io, *this)->next();
    io.run();
    result_.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    return std::move(result_);
}

void printRunSummary(std::FILE* out, const std::string& kind, int connections, RunResult& result) {
    auto& l = result.latenciesMs;
    std::sort(l.begin(), l.end());
    auto percentile = [&](double p) {
        return l.empty() ? 0.0 : l[std::min(l.size() - 1, static_cast<std::size_t>(p * static_cast<double>(l.size())))];
    };
    double seconds = std::max(result.seconds, 1e-9);
    std::fprintf(out,
                 "kind=%s connections=%d sent=%lld answered=%zu ok=%lld errors=%lld seconds=%.2f rps=%.0f ok_rps=%.0f "
                 "p50=%.3fms p99=%.3fms max=%.3fms\n",
                 kind.c_str(), connections, result.sent, l.size(), result.ok, result.errorCount(), result.seconds,
                 static_cast<double>(l.size()) / seconds, static_cast<double>(result.ok) / seconds, percentile(0.5),
                 percentile(0.99), l.empty() ? 0.0 : l.back());
    if (result.errors.empty()) return;
    std::string line = "errors:";
    for (const auto& [label, count] : result.errors) line += " " + label + "=" + std::to_string(count) + ";";
    line.back() = '\n';
    std::fputs(line.c_str(), out);
}

}  // namespace likenex::load
