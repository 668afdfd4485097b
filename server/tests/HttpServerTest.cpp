// The web listener over real sockets on loopback: downloads sent from disk in pieces with
// bounded memory, the transfer idle limit, request framing (RFC 9112), the connection cap,
// the busy count, and the client's address behind a trusted proxy.
#include "server/HttpServer.h"
#include "server/ServerApp.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>

namespace likenex {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using Clock = std::chrono::steady_clock;

// A loopback client with a small receive buffer, so that a server writing to it really waits
// for it to read instead of parking megabytes in the kernel.
class RawClient {
public:
    explicit RawClient(std::uint16_t port, int receiveBuffer = 16 * 1024) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd_ < 0) return;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RawClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    [[nodiscard]] bool connected() const { return fd_ >= 0; }
    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }
    // Up to `most` bytes, waiting at most `limit` for the first; empty at the end, on a reset
    // or when nothing came.
    std::string receive(std::size_t most, std::chrono::milliseconds limit) {
        std::string bytes(most, '\0');
        bytes.resize(std::max<ssize_t>(receiveInto(bytes.data(), most, limit), 0));
        return bytes;
    }
    // Until the header's blank line; what came after it is left in `rest`.
    std::string header(std::string& rest, std::chrono::milliseconds limit = 5s) {
        std::string all;
        auto deadline = Clock::now() + limit;
        while (all.find("\r\n\r\n") == std::string::npos && Clock::now() < deadline) {
            char byte;
            ssize_t n = receiveInto(&byte, 1, 100ms);
            if (n == kNothingYet) continue;
            if (n <= 0) break;
            all += byte;
        }
        std::size_t end = all.find("\r\n\r\n");
        if (end == std::string::npos) return all;
        rest = all.substr(end + 4);
        return all.substr(0, end + 4);
    }
    // Everything until the server closes (or resets) or nothing comes for `quiet`.
    std::string rest(std::chrono::milliseconds quiet = 5s) {
        std::string all;
        for (;;) {
            std::string got = receive(64 * 1024, quiet);
            if (got.empty()) return all;
            all += got;
        }
    }

private:
    static constexpr ssize_t kNothingYet = -2;
    ssize_t receiveInto(char* to, std::size_t most, std::chrono::milliseconds limit) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0) return kNothingYet;
        return ::recv(fd_, to, most, 0);
    }
    int fd_ = -1;
};

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit) {
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

// An HttpServer of its own in this process, with a site the test writes and one work pool.
class DirectServer {
public:
    DirectServer(HttpServer::Site site, HttpServer::Limits limits, int threads = 2)
        : pool_("test", threads, 64),
          server_(
              io_, boost::asio::ip::tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0), std::move(site),
              [this](std::string_view, std::string_view) -> WorkPool& { return pool_; }, std::move(limits), log_) {
        thread_ = std::thread([this] { io_.run(); });
    }
    ~DirectServer() {
        server_.stop();
        pool_.join();
        io_.stop();
        thread_.join();
    }
    [[nodiscard]] std::uint16_t port() const { return server_.port(); }
    [[nodiscard]] HttpServer& server() { return server_; }
    [[nodiscard]] WorkPool& pool() { return pool_; }

private:
    boost::asio::io_context io_;
    WorkPool pool_;
    RequestLog log_;
    HttpServer server_;
    std::thread thread_;
};

HttpServer::Limits limits(std::chrono::milliseconds request, std::chrono::milliseconds transferIdle,
                          int connections = 100, std::string trusted = {}) {
    return HttpServer::Limits{request, transferIdle, connections, std::move(trusted)};
}

// A site that serves one file at every address.
HttpServer::Site fileSite(std::string path) {
    return [path](const HttpRequest&) {
        HttpResponse r;
        r.contentType = "application/octet-stream";
        r.filePath = path;
        return r;
    };
}

class HttpDownloadTest : public ::testing::Test {
protected:
    HttpDownloadTest() {
        writeProgramDirectory(program_.path());
        config_ = testConfig(data_.path() + "/data", program_.path());
        std::filesystem::create_directories(config_.dataDirectory + "/Download");
    }
    std::string downloadPath(const std::string& name) const { return config_.dataDirectory + "/Download/" + name; }

    TempDirectory program_;
    TempDirectory data_;
    ServerConfig config_;
};

TEST_F(HttpDownloadTest, SendsTheWholeFileWithItsLengthAndHeadSendsOnlyTheHeader) {
    const std::string bytes = patternBytes(3 * 1024 * 1024 + 17);
    writeFile(downloadPath("fullup.exe"), bytes);
    std::filesystem::create_directories(downloadPath("folder"));
    RunningServer server(config_);

    RawClient get(server.httpPort(), 1 << 20);
    ASSERT_TRUE(get.send("GET /Download/fullup.exe HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    std::string body;
    std::string header = get.header(body);
    EXPECT_EQ(header.rfind("HTTP/1.1 200", 0), 0u) << header;
    EXPECT_NE(header.find("Content-Length: " + std::to_string(bytes.size()) + "\r\n"), std::string::npos) << header;
    body += get.rest();
    EXPECT_TRUE(body == bytes) << body.size();

    // HEAD tells the length and sends no body; the next request on the connection is answered.
    RawClient head(server.httpPort());
    ASSERT_TRUE(
        head.send("HEAD /Download/fullup.exe HTTP/1.1\r\nHost: x\r\n\r\nGET /Download/none.exe HTTP/1.1\r\nHost: x\r\n"
                  "Connection: close\r\n\r\n"));
    std::string after;
    header = head.header(after);
    EXPECT_NE(header.find("Content-Length: " + std::to_string(bytes.size()) + "\r\n"), std::string::npos) << header;
    after += head.rest();
    EXPECT_EQ(after.rfind("HTTP/1.1 404", 0), 0u) << after.substr(0, 200);

    for (const char* target : {"/Download/folder", "/Download/none.exe", "/Download/..%2Flikenex.sqlite"})
        EXPECT_EQ(httpRequest(server.httpPort(), "GET", target).rfind("HTTP/1.1 404", 0), 0u) << target;
}

// Forty clients ask for a 20 MB installer and read nothing: the server holds a piece per
// client, not the file.
TEST_F(HttpDownloadTest, StalledDownloadsDoNotHoldTheFileInMemory) {
    constexpr std::size_t kSize = 20 * 1024 * 1024;
    writeFile(downloadPath("fullup.exe"), patternBytes(kSize));
    RunningServer server(config_);
    ASSERT_EQ(httpRequest(server.httpPort(), "HEAD", "/Download/fullup.exe").rfind("HTTP/1.1 200", 0), 0u);
    const long before = residentKiB();

    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 40; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.httpPort(), 4096));
        ASSERT_TRUE(clients.back()->connected());
        ASSERT_TRUE(clients.back()->send("GET /Download/fullup.exe HTTP/1.1\r\nHost: x\r\n\r\n"));
    }
    std::this_thread::sleep_for(4s);
    const long grown = residentKiB() - before;
    std::printf("resident memory grew by %ld KiB with 40 stalled downloads of %zu bytes\n", grown, kSize);
    EXPECT_LT(grown, 100 * 1024);
    // Every one of them was being answered.
    for (auto& client : clients) EXPECT_EQ(client->receive(12, 1s), "HTTP/1.1 200");
}

TEST(HttpTransfer, ASlowReaderGetsEveryByteAndAStalledOneIsCut) {
    TempDirectory files;
    // The kernel takes about 3 MB at once between the server and a reader that does not keep
    // up: the rest goes out only as fast as the reader reads.
    const std::string bytes = patternBytes(8 * 1024 * 1024);
    writeFile(files.path() + "/file", bytes);
    // Larger than what the kernel buffers between a stalled reader and the server.
    constexpr std::size_t kLarge = 20 * 1024 * 1024;
    writeFile(files.path() + "/large", patternBytes(kLarge));
    // Neither limit covers the whole transfer: it takes about eight seconds.
    DirectServer server(fileSite(files.path() + "/file"), limits(1s, 2s));
    DirectServer other(fileSite(files.path() + "/large"), limits(1s, 2s));

    std::thread stalled;
    std::promise<std::pair<std::chrono::milliseconds, std::size_t>> stalledResult;
    stalled = std::thread([&] {
        RawClient client(other.port(), 4096);
        client.send("GET /big HTTP/1.1\r\nHost: x\r\n\r\n");
        std::string body;
        client.header(body);
        auto started = Clock::now();
        // Reads nothing until the server has let go of the connection.
        while (other.server().openConnections() > 0 && Clock::now() - started < 20s) std::this_thread::sleep_for(20ms);
        auto cut = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        body += client.rest(2s);
        stalledResult.set_value({cut, body.size()});
    });

    RawClient slow(server.port(), 16 * 1024);
    ASSERT_TRUE(slow.send("GET /big HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    std::string body;
    std::string header = slow.header(body);
    ASSERT_EQ(header.rfind("HTTP/1.1 200", 0), 0u) << header;
    auto started = Clock::now();
    bool paused = false;
    // About 1 MB/s, with one pause shorter than the idle limit half way.
    while (body.size() < bytes.size()) {
        std::string got = slow.receive(16 * 1024, 5s);
        if (got.empty()) break;
        body += got;
        std::this_thread::sleep_for(15ms);
        if (!paused && body.size() > bytes.size() / 2) {
            paused = true;
            std::this_thread::sleep_for(1s);
        }
    }
    auto took = Clock::now() - started;
    EXPECT_TRUE(body == bytes) << body.size() << " of " << bytes.size();
    EXPECT_GT(took, 4s);  // longer than either limit: the limits really were per piece

    stalled.join();
    auto [cut, received] = stalledResult.get_future().get();
    std::printf("the stalled client was cut after %lld ms with %zu bytes\n", static_cast<long long>(cut.count()),
                received);
    EXPECT_GE(cut, 1500ms);
    EXPECT_LE(cut, 12s);
    EXPECT_LT(received, kLarge);
}

// The site records what it was asked, so that a test can tell whether bytes after a refused
// request were ever taken for a request of their own.
struct RecordingSite {
    std::mutex mutex;
    std::vector<std::string> asked;
    HttpServer::Site site() {
        return [this](const HttpRequest& request) {
            std::lock_guard lock(mutex);
            asked.push_back(request.method + " " + request.target + " [" + request.body + "] " + request.peer);
            HttpResponse r;
            r.contentType = "text/plain";
            r.body = "answered " + request.target + "\n";
            return r;
        };
    }
    std::vector<std::string> seen() {
        std::lock_guard lock(mutex);
        return asked;
    }
};

// A request trickled in a byte at a time makes progress all along, but the request limit
// covers the whole of it: a client cannot hold a connection by sending slowly.
TEST(HttpTransfer, TheRequestLimitCoversTheWholeRequestHoweverSlowlyItComes) {
    RecordingSite site;
    DirectServer server(site.site(), limits(2s, 3s));
    ProtocolClient client(server.port());
    const std::string request = "POST /form HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n" + std::string(100, 'a');
    auto started = Clock::now();
    bool closed = false;
    for (std::size_t i = 0; i < request.size() && !closed; ++i) {
        if (!client.send({static_cast<std::uint8_t>(request[i])})) break;
        closed = client.closedByServer(200ms);
    }
    auto took = Clock::now() - started;
    EXPECT_TRUE(closed);
    EXPECT_GE(took, 1500ms);
    EXPECT_LE(took, 8s);
    EXPECT_TRUE(site.seen().empty());
}

// Sends the request and a smuggled one behind it; what came back before the server closed.
std::string refusedExchange(std::uint16_t port, const std::string& request) {
    RawClient client(port);
    client.send(request + "GET /smuggled HTTP/1.1\r\nHost: x\r\n\r\n");
    return client.rest(5s);
}

TEST(HttpFraming, TransferCodingsOtherThanChunkedAloneAreRefusedBeforeTheBody) {
    RecordingSite site;
    DirectServer server(site.site(), limits(5s, 5s));
    for (const char* fields :
         {"Transfer-Encoding: chunked, identity\r\n", "Transfer-Encoding: gzip\r\n", "Transfer-Encoding: identity\r\n",
          "Transfer-Encoding: gzip, chunked\r\n", "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n",
          "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n", "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n",
          "Transfer-Encoding: \r\n", "Transfer-Encoding: chunked,\r\nTransfer-Encoding: gzip\r\n"}) {
        std::string answer = refusedExchange(
            server.port(), std::string("POST /form HTTP/1.1\r\nHost: x\r\n") + fields + "\r\n0\r\n\r\n");
        EXPECT_EQ(answer.rfind("HTTP/1.1 400", 0), 0u) << fields << answer;
        EXPECT_EQ(occurrences(answer, "HTTP/1.1 "), 1u) << fields << answer;
        EXPECT_NE(answer.find("Connection: close"), std::string::npos) << fields;
    }
    EXPECT_TRUE(site.seen().empty()) << site.seen().front();
}

TEST(HttpFraming, OversizeAndMalformedRequestsAreAnsweredAndClosed) {
    RecordingSite site;
    DirectServer server(site.site(), limits(5s, 5s));
    const std::string longField = "X-Long: " + std::string(9000, 'a') + "\r\n";
    EXPECT_EQ(
        refusedExchange(server.port(), "GET / HTTP/1.1\r\nHost: x\r\n" + longField + "\r\n").rfind("HTTP/1.1 431", 0),
        0u);
    EXPECT_EQ(refusedExchange(server.port(), "GET /" + std::string(9000, 'b') + " HTTP/1.1\r\nHost: x\r\n\r\n")
                  .rfind("HTTP/1.1 431", 0),
              0u);
    // Over the body limit by its length: refused before a byte of the body is read.
    std::string answer =
        refusedExchange(server.port(), "POST /form HTTP/1.1\r\nHost: x\r\nContent-Length: 70000\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 413", 0), 0u) << answer;
    EXPECT_EQ(occurrences(answer, "HTTP/1.1 "), 1u) << answer;
    // A chunked body that grows past the limit.
    std::string chunks;
    for (int i = 0; i < 20; ++i) chunks += "1000\r\n" + std::string(0x1000, 'c') + "\r\n";
    answer = refusedExchange(
        server.port(), "POST /form HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks + "0\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 413", 0), 0u) << answer.substr(0, 200);
    EXPECT_EQ(occurrences(answer, "HTTP/1.1 "), 1u);
    for (const char* malformed :
         {"HELLO\r\n\r\n", "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: -1\r\n\r\n",
          "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 1, 2\r\n\r\n", "GET / HTTP/1.1\r\nBad Field: x\r\n\r\n",
          "POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"}) {
        answer = refusedExchange(server.port(), malformed);
        EXPECT_EQ(answer.rfind("HTTP/1.1 400", 0), 0u) << malformed << answer;
        EXPECT_EQ(occurrences(answer, "HTTP/1.1 "), 1u) << malformed;
    }
    EXPECT_TRUE(site.seen().empty()) << site.seen().front();
}

TEST(HttpFraming, ChunkedAndSizedBodiesAreReadAndTheNextRequestFollows) {
    RecordingSite site;
    DirectServer server(site.site(), limits(5s, 5s));
    RawClient client(server.port());
    ASSERT_TRUE(client.send(
        "POST /one HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"
        "POST /two HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: CHUNKED\r\n\r\n3\r\nabc\r\n0\r\n\r\n"
        "POST /three HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\nConnection: close\r\n\r\nbody"));
    std::string answers = client.rest(5s);
    EXPECT_EQ(occurrences(answers, "HTTP/1.1 200"), 3u) << answers;
    auto seen = site.seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "POST /one [hello world] 127.0.0.1");
    EXPECT_EQ(seen[1], "POST /two [abc] 127.0.0.1");
    EXPECT_EQ(seen[2], "POST /three [body] 127.0.0.1");
}

TEST(HttpConnections, ConnectionsBeyondTheCapAreClosedAtOnce) {
    RecordingSite site;
    DirectServer server(site.site(), limits(5s, 5s, 2));
    auto first = std::make_unique<RawClient>(server.port());
    RawClient second(server.port());
    ASSERT_TRUE(eventually([&] { return server.server().openConnections() == 2; }, 2s));
    ProtocolClient third(server.port());
    EXPECT_TRUE(third.closedByServer(2s));
    EXPECT_EQ(server.server().openConnections(), 2);

    first.reset();
    ASSERT_TRUE(eventually([&] { return server.server().openConnections() == 1; }, 2s));
    EXPECT_EQ(httpRequest(server.port(), "GET", "/after").rfind("HTTP/1.1 200", 0), 0u);
    ASSERT_TRUE(second.send("GET /second HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    EXPECT_EQ(second.rest(5s).rfind("HTTP/1.1 200", 0), 0u);
}

// A job the pool drops when it stops never answers; it must not stay counted as busy, or
// the server's stop waits for it until its deadline.
TEST(HttpConnections, DroppedJobsAreNoLongerCountedBusy) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> started{0};
    DirectServer server(
        [&](const HttpRequest&) {
            ++started;
            released.wait();
            return HttpResponse{};
        },
        limits(5s, 5s), 1);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.port()));
        clients.back()->send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
        if (i == 0) {
            ASSERT_TRUE(eventually([&] { return started == 1; }, 5s));
        }
    }
    ASSERT_TRUE(eventually([&] { return server.server().busy() == 3; }, 5s));
    server.pool().stop();
    EXPECT_TRUE(eventually([&] { return server.server().busy() == 1; }, 2s)) << server.server().busy();
    release.set_value();
    EXPECT_TRUE(eventually([&] { return server.server().busy() == 0; }, 5s)) << server.server().busy();
    EXPECT_EQ(started, 1);
}

std::string askedPeer(std::uint16_t port, RecordingSite& site, const std::string& fields) {
    RawClient client(port);
    client.send("GET /who HTTP/1.1\r\nHost: x\r\n" + fields + "Connection: close\r\n\r\n");
    client.rest(5s);
    auto seen = site.seen();
    if (seen.empty()) return {};
    return seen.back().substr(seen.back().rfind(' ') + 1);
}

TEST(HttpForwardedFor, OnlyATrustedProxyMaySayWhoTheClientIs) {
    RecordingSite untrustedSite;
    DirectServer untrusted(untrustedSite.site(), limits(5s, 5s, 100, "10.0.0.1"));
    EXPECT_EQ(askedPeer(untrusted.port(), untrustedSite, "X-Forwarded-For: 203.0.113.9\r\n"), "127.0.0.1");

    RecordingSite trustedSite;
    DirectServer trusted(trustedSite.site(), limits(5s, 5s, 100, "10.0.0.1, 127.0.0.1"));
    EXPECT_EQ(askedPeer(trusted.port(), trustedSite, "X-Forwarded-For: 198.51.100.7, 203.0.113.9\r\n"), "203.0.113.9");
    EXPECT_EQ(askedPeer(trusted.port(), trustedSite, ""), "127.0.0.1");
    EXPECT_EQ(askedPeer(trusted.port(), trustedSite, "X-Forwarded-For: not-an-address\r\n"), "127.0.0.1");
}

TEST(HttpForwardedFor, TheRightmostAddressNotOfATrustedProxyIsTheClient) {
    boost::asio::io_context io;
    WorkPool pool("test", 1, 1);
    RequestLog log;
    HttpServer server(
        io, boost::asio::ip::tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0),
        [](const HttpRequest&) { return HttpResponse{}; },
        [&](std::string_view, std::string_view) -> WorkPool& { return pool; },
        limits(1s, 1s, 1, " 10.0.0.1 ,10.0.0.2,2001:db8::5"), log);
    auto client = [&](std::vector<std::string_view> fields, const char* peer = "10.0.0.1") {
        return server.clientAddress(boost::asio::ip::make_address(peer), fields);
    };
    EXPECT_EQ(client({"203.0.113.9"}), "203.0.113.9");
    // A client may write anything to the left; only what our proxies appended counts.
    EXPECT_EQ(client({"6.6.6.6, 203.0.113.9, 10.0.0.2"}), "203.0.113.9");
    EXPECT_EQ(client({"junk, 203.0.113.9"}), "203.0.113.9");
    EXPECT_EQ(client({"6.6.6.6", "203.0.113.9"}), "203.0.113.9");  // two fields are one list
    EXPECT_EQ(client({"[2001:db8::9]"}), "2001:db8::9");
    EXPECT_EQ(client({"::ffff:203.0.113.9"}), "203.0.113.9");
    EXPECT_EQ(client({"10.0.0.2, 10.0.0.1"}), "10.0.0.2");  // every hop ours: the first
    // Missing or malformed: the proxy's own address.
    EXPECT_EQ(client({}), "10.0.0.1");
    EXPECT_EQ(client({"203.0.113.9, junk"}), "10.0.0.1");
    EXPECT_EQ(client({"203.0.113.9,"}), "10.0.0.1");
    EXPECT_EQ(client({"203.0.113.9:4000"}), "10.0.0.1");
    // A peer that is not trusted is itself the client, whatever it says; a mapped IPv4 peer matches.
    EXPECT_EQ(client({"203.0.113.9"}, "10.0.0.3"), "10.0.0.3");
    EXPECT_EQ(client({"203.0.113.9"}, "::ffff:10.0.0.1"), "203.0.113.9");
    EXPECT_EQ(client({"203.0.113.9"}, "2001:db8::5"), "203.0.113.9");

    EXPECT_THROW(HttpServer(
                     io, boost::asio::ip::tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0),
                     [](const HttpRequest&) { return HttpResponse{}; },
                     [&](std::string_view, std::string_view) -> WorkPool& { return pool; },
                     limits(1s, 1s, 1, "10.0.0.1, proxy"), log),
                 std::invalid_argument);
    server.stop();
}

}  // namespace
}  // namespace likenex
