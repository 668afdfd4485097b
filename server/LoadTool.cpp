// likenex-load: a load generator for the binary protocol, for the server's figures. Each of
// --connections slots runs one exchange after another (connect, send one request, read the
// reply, close), on one event-driven thread. Bounded by --requests and --seconds, and it
// talks to loopback addresses only.
#include "catalogue/Catalogue.h"
#include "net/Messages.h"

#include <boost/asio.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr const char* kUsage =
    "usage: likenex-load [--address 127.0.0.1] [--port 1234] [--kind version|upload|open]\n"
    "                    [--connections 32] [--requests 100000] [--seconds 10] [--program DIR] [--avatar N]\n"
    "                    [--user NAME --digest 32HEXDIGITS]\n"
    "Sends one request per connection to a server on loopback and prints requests per second\n"
    "and latency percentiles. upload stores a free avatar with a 20-step script of the shortest\n"
    "free action of DIR/data/avatar.dat, as the guest unless --user and --digest name an account\n"
    "(each upload then pays for one argon2id check).\n";

struct Run {
    tcp::endpoint endpoint;
    std::vector<std::uint8_t> request;
    long long limit = 0;
    Clock::time_point deadline;
    long long started = 0;
    long long failed = 0;
    std::vector<double> latenciesMs;
};

class Slot : public std::enable_shared_from_this<Slot> {
public:
    Slot(asio::io_context& io, Run& run) : socket_(io), run_(run) {}

    void next() {
        if (run_.started >= run_.limit || Clock::now() >= run_.deadline) return;
        ++run_.started;
        began_ = Clock::now();
        socket_ = tcp::socket(socket_.get_executor());
        auto self = shared_from_this();
        socket_.async_connect(run_.endpoint, [self](boost::system::error_code ec) {
            if (ec) return self->fail();
            asio::async_write(self->socket_, asio::buffer(self->run_.request), [self](boost::system::error_code ec, std::size_t) {
                if (ec) return self->fail();
                asio::async_read(self->socket_, asio::buffer(self->reply_, 2), [self](boost::system::error_code ec, std::size_t) {
                    std::size_t length = static_cast<std::size_t>(self->reply_[0] | self->reply_[1] << 8);
                    if (ec || length < 6 || length > self->reply_.size()) return self->fail();
                    asio::async_read(self->socket_, asio::buffer(self->reply_.data() + 2, length - 2),
                                     [self](boost::system::error_code ec, std::size_t) {
                                         if (ec) return self->fail();
                                         self->run_.latenciesMs.push_back(
                                             std::chrono::duration<double, std::milli>(Clock::now() - self->began_).count());
                                         self->close();
                                         self->next();
                                     });
                });
            });
        });
    }

private:
    void fail() {
        ++run_.failed;
        close();
        next();
    }
    void close() {
        boost::system::error_code ignored;
        socket_.shutdown(tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }

    tcp::socket socket_;
    Run& run_;
    Clock::time_point began_;
    std::array<std::uint8_t, likenex::kMaxMessageLength> reply_{};
};

std::vector<std::uint8_t> uploadRequest(const std::string& programDirectory, const std::string& user, const std::string& digest) {
    likenex::Catalogue catalogue;
    if (!catalogue.loadCatalogueSection1(programDirectory)) {
        std::fprintf(stderr, "likenex-load: cannot read %s/data/avatar.dat\n", programDirectory.c_str());
        std::exit(2);
    }
    const likenex::Action* shortest = nullptr;
    for (const likenex::Action& a : catalogue.actions())
        if (a.displayValue == 0 && !a.frames.empty() && (!shortest || a.frames.size() < shortest->frames.size())) shortest = &a;
    if (!shortest || shortest->frames.size() * 20 > 120) {
        std::fprintf(stderr, "likenex-load: no free action short enough for a 20-step script\n");
        std::exit(2);
    }
    likenex::SaveAvatarRequest upload;
    upload.userName = std::u16string(user.begin(), user.end());
    upload.passwordDigest = digest;
    for (int i = 0; i < 20; ++i) upload.appendScriptEntry(shortest->identifier, u"Hello, step " + std::u16string(1, static_cast<char16_t>(u'A' + i)));
    upload.title = u"Load test";
    upload.secondText = u"An avatar stored by likenex-load.";
    upload.thirdText = u"";
    upload.language = 2;
    if (!upload.encode()) std::exit(2);
    return upload.bytes();
}

}  // namespace

int main(int argc, char** argv) {
    std::string address = "127.0.0.1", kind = "version", program = LIKENEX_DEFAULT_PROGRAM_DIR;
    std::string user = "guest", digest = "00000000000000000000000000000000";
    int port = 1234, connections = 32;
    long long requests = 100000, avatar = 1;
    double seconds = 10;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fputs(kUsage, stderr);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--address") address = value();
        else if (a == "--port") port = std::stoi(value());
        else if (a == "--kind") kind = value();
        else if (a == "--connections") connections = std::clamp(std::stoi(value()), 1, 2000);
        else if (a == "--requests") requests = std::clamp(std::stoll(value()), 1LL, 10000000LL);
        else if (a == "--seconds") seconds = std::clamp(std::stod(value()), 0.1, 600.0);
        else if (a == "--program") program = value();
        else if (a == "--avatar") avatar = std::stoll(value());
        else if (a == "--user") user = value();
        else if (a == "--digest") digest = value();
        else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    boost::system::error_code ec;
    auto ip = asio::ip::make_address(address, ec);
    if (ec || !ip.is_loopback()) {
        std::fprintf(stderr, "likenex-load: only loopback addresses are allowed (got %s)\n", address.c_str());
        return 2;
    }

    Run run;
    run.endpoint = tcp::endpoint(ip, static_cast<unsigned short>(port));
    run.limit = requests;
    if (kind == "version") {
        likenex::VersionQuery query;
        (void)query.encode();
        run.request = query.bytes();
    } else if (kind == "open") {
        likenex::OpenAvatarRequest open;
        open.avatarId = avatar;
        (void)open.encode();
        run.request = open.bytes();
    } else if (kind == "upload") {
        run.request = uploadRequest(program, user, digest);
    } else {
        std::fputs(kUsage, stderr);
        return 2;
    }
    run.latenciesMs.reserve(static_cast<std::size_t>(std::min<long long>(requests, 10000000)));

    asio::io_context io;
    auto begin = Clock::now();
    run.deadline = begin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (int i = 0; i < connections; ++i) std::make_shared<Slot>(io, run)->next();
    io.run();
    double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();

    auto& l = run.latenciesMs;
    std::sort(l.begin(), l.end());
    auto percentile = [&](double p) { return l.empty() ? 0.0 : l[std::min(l.size() - 1, static_cast<std::size_t>(p * static_cast<double>(l.size())))]; };
    std::printf("kind=%s connections=%d requests=%zu failed=%lld seconds=%.2f rps=%.0f p50=%.3fms p99=%.3fms max=%.3fms\n",
                kind.c_str(), connections, l.size(), run.failed, elapsed, static_cast<double>(l.size()) / elapsed, percentile(0.5),
                percentile(0.99), l.empty() ? 0.0 : l.back());
    return run.failed == 0 ? 0 : 1;
}
