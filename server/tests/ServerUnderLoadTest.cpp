// The server under floods and faults: guest uploads that saturate the hashing pool, SIGTERM in
// the middle of them, running out of file descriptors, a save slower than the request limit
// and the PROXY line of a trusted proxy. The servers run as child processes of the built
// likenex-server where a signal, a descriptor limit or the log is part of what is tested.
#include "net/Md5.h"
#include "server/ProxyProtocol.h"
#include "server/ServerApp.h"
#include "server/tests/ServerChildProcess.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <thread>

namespace likenex {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using Clock = std::chrono::steady_clock;

// Waits for a line to reach the server's log: it is written once the reply has gone.
bool logShows(const ServerChildProcess& server, const std::string& text, std::chrono::milliseconds within = 3s) {
    auto deadline = Clock::now() + within;
    while (server.log().find(text) == std::string::npos) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class ServerUnderLoadTest : public ::testing::Test {
protected:
    ServerUnderLoadTest() {
        writeProgramDirectory(program_.path());
        config_ = testConfig(data_.path() + "/data", program_.path());
    }
    TempDirectory program_;
    TempDirectory data_;
    ServerConfig config_;
};

std::vector<std::uint8_t> encoded(ProtocolMessage&& message) {
    if (!message.encode()) return {};
    return message.bytes();
}

std::vector<std::uint8_t> guestUploadWithAccessPassword() {
    SaveAvatarRequest upload = freeUpload(u"guest", "");
    upload.accessMode = 2;
    upload.accessDigest = md5Hex("door");
    return encoded(std::move(upload));
}

// Clients that send guest uploads with an access password every few milliseconds, half of
// them closing at once, half waiting up to 2 s for the reply. Far more than one hashing thread
// can hash: its queue fills and the rest are answered busy.
class UploadFlood {
public:
    UploadFlood(std::uint16_t port, int clients) {
        const auto upload = guestUploadWithAccessPassword();
        for (int i = 0; i < clients; ++i)
            threads_.emplace_back([this, port, upload, wait = i % 2 == 0] {
                while (running_) {
                    ProtocolClient client(port);
                    if (!client.connected() || !client.send(upload)) {
                        std::this_thread::sleep_for(5ms);
                        continue;
                    }
                    ++sent_;
                    if (wait) {
                        auto reply = decodeReply<SaveAvatarReply>(client.receive(2s));
                        if (reply && reply->result == SaveAvatarReply::Failed) ++busy_;
                    }
                    std::this_thread::sleep_for(5ms);
                }
            });
    }
    ~UploadFlood() { stop(); }
    void stop() {
        running_ = false;
        for (auto& t : threads_)
            if (t.joinable()) t.join();
    }
    [[nodiscard]] long long sent() const { return sent_; }
    [[nodiscard]] long long busy() const { return busy_; }

private:
    std::atomic<bool> running_{true};
    std::atomic<long long> sent_{0};
    std::atomic<long long> busy_{0};
    std::vector<std::thread> threads_;
};

std::vector<std::string> floodSettings() {
    // Real hashing cost, one hashing thread, and no per-address limits to hide the pool.
    return {"argon2_memory_kib=16384", "argon2_operations=1", "hash_threads=1", "guest_uploads_per_hour=0",
            "uploads_per_minute=0"};
}

// ---- (a) a flood of expensive uploads leaves the other requests answered ----

TEST_F(ServerUnderLoadTest, VersionOpensAndPagesAreAnsweredWithinASecondDuringAnUploadFlood) {
    config_.argon2MemoryKiB = 16384;
    config_.argon2Operations = 1;
    config_.hashThreads = 1;
    config_.guestUploadsPerHour = 0;
    config_.uploadsPerMinute = 0;
    RunningServer server(config_);
    SaveAvatarRequest first = freeUpload(u"guest", "");
    auto saved = decodeReply<SaveAvatarReply>(exchange(server.protocolPort(), first));
    ASSERT_TRUE(saved && saved->result == SaveAvatarReply::Saved);

    UploadFlood flood(server.protocolPort(), 8);
    std::this_thread::sleep_for(1s);  // the hashing pool's queue fills
    int slow = 0, probes = 0;
    std::string slowest;
    auto deadline = Clock::now() + 6s;
    while (Clock::now() < deadline) {
        auto timed = [&](const char* what, auto&& ask) {
            auto started = Clock::now();
            bool answered = ask();
            auto took = Clock::now() - started;
            ++probes;
            if (!answered || took > 1s) {
                ++slow;
                slowest += std::string(what) + " " +
                           std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) +
                           (answered ? " ms; " : " ms unanswered; ");
            }
        };
        timed("version", [&] {
            ProtocolClient client(server.protocolPort());
            return client.send(encoded(VersionQuery{})) && decodeReply<VersionReply>(client.receive(1s)).has_value();
        });
        timed("open", [&] {
            OpenAvatarRequest open;
            open.avatarId = saved->avatarNumber;
            ProtocolClient client(server.protocolPort());
            auto reply =
                client.send(encoded(std::move(open))) ? decodeReply<AvatarReply>(client.receive(1s)) : std::nullopt;
            return reply && reply->result == AvatarReply::Found;
        });
        timed("page", [&] { return httpRequest(server.httpPort(), "GET", "/").rfind("HTTP/1.1 200", 0) == 0; });
        std::this_thread::sleep_for(100ms);
    }
    flood.stop();
    EXPECT_GT(flood.sent(), 100);
    EXPECT_GT(flood.busy(), 0);  // the hashing pool was saturated
    EXPECT_GT(probes, 15);
    EXPECT_EQ(slow, 0) << slowest;
}

// ---- (b) SIGTERM in the middle of the flood ----

TEST_F(ServerUnderLoadTest, SigtermDuringAnUploadFloodEndsWithinTheStopDeadline) {
    auto settings = floodSettings();
    settings.push_back("stop_seconds=3");
    ServerChildProcess server(LIKENEX_SERVER_BINARY, config_, {.settings = settings});
    ASSERT_TRUE(ProtocolClient(server.protocolPort()).connected()) << server.log();
    UploadFlood flood(server.protocolPort(), 16);
    std::this_thread::sleep_for(2s);
    auto signalled = Clock::now();
    server.signal(SIGTERM);
    int status = server.wait(3s + 5s);
    auto took = Clock::now() - signalled;
    flood.stop();
    EXPECT_EQ(status, 0) << server.log().substr(0, 4000);
    EXPECT_LT(took, 8s);
    // Work that waited for a worker was dropped, not run, once the stop came or its client left.
    EXPECT_NE(server.log().find("dropped: "), std::string::npos);
}

// ---- (c) out of file descriptors ----

TEST_F(ServerUnderLoadTest, OutOfDescriptorsTheServerNeitherSpinsNorStaysDeaf) {
    ServerChildProcess server(LIKENEX_SERVER_BINARY, config_, {.openFiles = 400});
    ASSERT_TRUE(ProtocolClient(server.protocolPort()).connected()) << server.log();
    // The caps were fitted under the limit and said so (once the listeners were up).
    EXPECT_TRUE(logShows(server, "lowered to fit")) << server.log();
    auto versionAnswered = [&](std::chrono::milliseconds within) {
        auto deadline = Clock::now() + within;
        while (Clock::now() < deadline) {
            ProtocolClient client(server.protocolPort());
            if (client.send(encoded(VersionQuery{})) && decodeReply<VersionReply>(client.receive(1s))) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    };
    auto cpuOver2s = [&] {
        auto before = server.cpuTime();
        std::this_thread::sleep_for(2s);
        return server.cpuTime() - before;
    };

    {
        // More clients than the cap: those beyond it are closed at once, and nothing spins.
        std::vector<std::unique_ptr<ProtocolClient>> clients;
        for (int i = 0; i < 360; ++i) clients.push_back(std::make_unique<ProtocolClient>(server.protocolPort()));
        std::this_thread::sleep_for(500ms);
        EXPECT_LT(cpuOver2s(), 600ms);
        int closed = 0;
        for (auto& c : clients) closed += c->connected() && c->closedByServer(50ms) ? 1 : 0;
        EXPECT_GT(closed, 0) << server.log().substr(0, 600);
    }
    EXPECT_TRUE(versionAnswered(10s)) << server.log().substr(0, 4000);

    {
        // Accepts that fail for want of descriptors: the soft limit is lowered under the server
        // to what it holds, with twenty idle clients among them.
        std::vector<std::unique_ptr<ProtocolClient>> held, waiting;
        for (int i = 0; i < 20; ++i) held.push_back(std::make_unique<ProtocolClient>(server.protocolPort()));
        std::this_thread::sleep_for(300ms);
        rlimit low{server.openDescriptors(), 400};
        ASSERT_EQ(prlimit(server.pid(), RLIMIT_NOFILE, &low, nullptr), 0);
        for (int i = 0; i < 50; ++i) waiting.push_back(std::make_unique<ProtocolClient>(server.protocolPort()));
        std::this_thread::sleep_for(500ms);
        EXPECT_LT(cpuOver2s(), 600ms);
        EXPECT_NE(server.log().find("accept failed: Too many open files"), std::string::npos)
            << server.log().substr(0, 4000);
        // The idle clients leave; their descriptors serve the rest and accepting goes on.
        held.clear();
        waiting.clear();
        EXPECT_TRUE(versionAnswered(15s)) << server.log().substr(0, 4000);
        EXPECT_NE(server.log().find("accepting again after"), std::string::npos);
    }
}

// ---- (d) a save slower than the request limit ----

TEST_F(ServerUnderLoadTest, ASaveSlowerThanTheRequestLimitIsAnsweredAndLoggedAsStored) {
    ServerChildProcess server(LIKENEX_SERVER_BINARY, config_,
                              {.settings = {"request_seconds=1", "argon2_memory_kib=8", "argon2_operations=1"}});
    ASSERT_TRUE(ProtocolClient(server.protocolPort()).connected()) << server.log();
    // Another writer holds the database for longer than the request limit: the store waits.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((config_.dataDirectory + "/likenex.sqlite").c_str(), &raw), SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    ASSERT_EQ(sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([&] {
        std::this_thread::sleep_for(2500ms);
        (void)sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
    });
    ProtocolClient client(server.protocolPort());
    ASSERT_TRUE(client.send(encoded(freeUpload(u"guest", ""))));
    auto saved = decodeReply<SaveAvatarReply>(client.receive(10s));
    release.join();
    ASSERT_TRUE(saved.has_value()) << server.log();
    EXPECT_EQ(saved->result, SaveAvatarReply::Saved);
    client.shutdownSend();
    EXPECT_TRUE(client.closedByServer(5s));
    std::string log = server.log();
    EXPECT_NE(log.find("save by guest: stored 1"), std::string::npos) << log;
    EXPECT_EQ(log.find("timed out"), std::string::npos) << log;
}

// Another writer holding the server's SQLite database, so that a store waits on it.
class DatabaseHeld {
public:
    explicit DatabaseHeld(const std::string& path) {
        sqlite3* raw = nullptr;
        ok_ = sqlite3_open(path.c_str(), &raw) == SQLITE_OK;
        db_.reset(raw);
        ok_ = ok_ && sqlite3_exec(db_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~DatabaseHeld() { release(); }
    [[nodiscard]] bool ok() const { return ok_; }
    void release() {
        if (ok_) (void)sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr);
        ok_ = false;
    }

private:
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db_{nullptr, &sqlite3_close};
    bool ok_ = false;
};

std::int64_t storedAvatars(const std::string& dataDirectory) {
    sqlite3* raw = nullptr;
    std::int64_t count = -1;
    if (sqlite3_open((dataDirectory + "/likenex.sqlite").c_str(), &raw) == SQLITE_OK)
        (void)sqlite3_exec(
            raw, "SELECT COUNT(*) FROM avatars",
            [](void* out, int, char** values, char**) {
                *static_cast<std::int64_t*>(out) = values[0] ? std::stoll(values[0]) : -1;
                return 0;
            },
            &count, nullptr);
    sqlite3_close(raw);
    return count;
}

// One hashing thread is held by a save waiting for the database: a second save waits for a
// worker past its request limit, is dropped unanswered and never stored, while the first runs
// to its end and is answered.
TEST_F(ServerUnderLoadTest, ARequestNoWorkerTookWithinTheRequestLimitIsDroppedNotRun) {
    ServerChildProcess server(
        LIKENEX_SERVER_BINARY, config_,
        {.settings = {"request_seconds=1", "hash_threads=1", "argon2_memory_kib=8", "argon2_operations=1"}});
    ASSERT_TRUE(ProtocolClient(server.protocolPort()).connected()) << server.log();
    DatabaseHeld held(config_.dataDirectory + "/likenex.sqlite");
    ASSERT_TRUE(held.ok());
    ProtocolClient first(server.protocolPort()), second(server.protocolPort());
    ASSERT_TRUE(first.send(encoded(freeUpload(u"guest", ""))));
    std::this_thread::sleep_for(300ms);  // the first has the worker
    ASSERT_TRUE(second.send(encoded(freeUpload(u"guest", ""))));
    EXPECT_TRUE(second.closedByServer(5s));  // dropped at its request limit, without a reply
    EXPECT_TRUE(logShows(server, "dropped: no worker took it within the request limit")) << server.log();
    held.release();
    auto saved = decodeReply<SaveAvatarReply>(first.receive(10s));
    ASSERT_TRUE(saved.has_value()) << server.log();
    EXPECT_EQ(saved->result, SaveAvatarReply::Saved);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(storedAvatars(config_.dataDirectory), 1);
}

// A job stuck past stop_seconds (a store waiting for a database that another writer holds) does
// not keep the process alive after SIGTERM, nor does a client that holds its connection open.
TEST_F(ServerUnderLoadTest, SigtermEndsTheServerAtTheStopDeadlineEvenWithAJobStuck) {
    ServerChildProcess server(
        LIKENEX_SERVER_BINARY, config_,
        {.settings = {"stop_seconds=1", "request_seconds=20", "argon2_memory_kib=8", "argon2_operations=1"}});
    ASSERT_TRUE(ProtocolClient(server.protocolPort()).connected()) << server.log();
    DatabaseHeld held(config_.dataDirectory + "/likenex.sqlite");
    ASSERT_TRUE(held.ok());
    ProtocolClient idle(server.protocolPort());
    ProtocolClient saving(server.protocolPort());
    ASSERT_TRUE(saving.send(encoded(freeUpload(u"guest", ""))));
    std::this_thread::sleep_for(500ms);
    auto signalled = Clock::now();
    server.signal(SIGTERM);
    // The database waits up to five seconds for its lock; the stop must not wait that long.
    EXPECT_EQ(server.wait(4s), 0) << server.log();
    EXPECT_LT(Clock::now() - signalled, 4s);
    EXPECT_NE(server.log().find("leaving work that did not end within stop_seconds"), std::string::npos)
        << server.log();
}

// ---- (e) the PROXY line ----

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST_F(ServerUnderLoadTest, APROXYLineIsBelievedFromATrustedPeerOnly) {
    const auto query = encoded(VersionQuery{});
    auto withLine = [&](const std::string& line) {
        auto bytes = bytesOf(line);
        bytes.insert(bytes.end(), query.begin(), query.end());
        return bytes;
    };
    {
        ServerChildProcess server(LIKENEX_SERVER_BINARY, config_,
                                  {.settings = {"trusted_proxies=10.1.2.3, 127.0.0.1"}});
        ASSERT_TRUE(ProtocolClient(server.protocolPort()).connected()) << server.log();
        {
            // The line and the frame in one write, as HAProxy's send-proxy sends them.
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(withLine("PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234\r\n")));
            EXPECT_TRUE(decodeReply<VersionReply>(client.receive(5s)));
        }
        {
            // The line in pieces, then the frame.
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(bytesOf("PROXY TCP6 2001:db8::")));
            std::this_thread::sleep_for(100ms);
            ASSERT_TRUE(client.send(bytesOf("9 2001:db8::1 4000 1234\r\n")));
            std::this_thread::sleep_for(100ms);
            ASSERT_TRUE(client.send(query));
            EXPECT_TRUE(decodeReply<VersionReply>(client.receive(5s)));
        }
        {
            // The binary second version (send-proxy-v2), its header and the frame in one write.
            std::vector<std::uint8_t> v2(std::begin(kProxyV2Signature), std::end(kProxyV2Signature));
            for (std::uint8_t b : {0x21, 0x11, 0x00, 0x0C, 198, 51, 100, 23, 192, 0, 2, 1, 0xC8, 0x22, 0x04, 0xD2})
                v2.push_back(b);
            v2.insert(v2.end(), query.begin(), query.end());
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(v2));
            EXPECT_TRUE(decodeReply<VersionReply>(client.receive(5s)));
        }
        {
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(withLine("PROXY UNKNOWN\r\n")));
            EXPECT_TRUE(decodeReply<VersionReply>(client.receive(5s)));
        }
        for (const char* bad :
             {"PROXY TCP4 203.0.113.300 192.0.2.1 51234 1234\r\n", "PROXY TCP4 203.0.113.8 192.0.2.1 51234\r\n"}) {
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(withLine(bad)));
            EXPECT_FALSE(client.receive(3s)) << bad;
            EXPECT_TRUE(client.closedByServer(1s)) << bad;
        }
        {
            // A trusted peer without the line: closed, never taken for a frame.
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(query));
            EXPECT_FALSE(client.receive(3s));
        }
        EXPECT_TRUE(logShows(server, " tcp 203.0.113.7 version")) << server.log();
        EXPECT_TRUE(logShows(server, " tcp 2001:db8::9 version")) << server.log();
        EXPECT_TRUE(logShows(server, " tcp 198.51.100.23 version")) << server.log();
        EXPECT_TRUE(logShows(server, " tcp 127.0.0.1 version")) << server.log();  // UNKNOWN: the proxy itself
        EXPECT_TRUE(logShows(server, "malformed PROXY line")) << server.log();
        EXPECT_TRUE(logShows(server, "no PROXY line")) << server.log();
        std::string log = server.log();
        EXPECT_EQ(log.find("203.0.113.300"), std::string::npos) << log;
        EXPECT_EQ(log.find(" tcp 203.0.113.8"), std::string::npos) << log;
    }
    {
        // Not a trusted peer: its PROXY line is read as a frame (and refused), its own
        // requests are answered as usual under its own address.
        ServerConfig other = config_;
        other.dataDirectory = data_.path() + "/other";
        ServerChildProcess server(LIKENEX_SERVER_BINARY, other, {.settings = {"trusted_proxies=10.1.2.3"}});
        ASSERT_TRUE(ProtocolClient(server.protocolPort()).connected()) << server.log();
        {
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(withLine("PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234\r\n")));
            EXPECT_FALSE(client.receive(3s));
        }
        {
            ProtocolClient client(server.protocolPort());
            ASSERT_TRUE(client.send(query));
            EXPECT_TRUE(decodeReply<VersionReply>(client.receive(5s)));
        }
        EXPECT_TRUE(logShows(server, " tcp 127.0.0.1 version")) << server.log();
        EXPECT_TRUE(logShows(server, " tcp 127.0.0.1 bad length")) << server.log();
        std::string log = server.log();
        EXPECT_EQ(log.find("203.0.113.7"), std::string::npos) << log;
    }
}

}  // namespace
}  // namespace likenex
