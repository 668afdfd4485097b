#pragma once
// What the server tests share: a small catalogue with known prices and frame counts, a
// program directory holding it, temporary directories, a blocking protocol client, a
// PostgreSQL cluster of the test's own and a server running in the test process.

#include "catalogue/CatalogueRecords.h"
#include "net/Messages.h"
#include "server/ServerConfig.h"
#include "test_support/ArchiveTestSupport.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace likenex {
class ServerApp;
}

namespace likenex::testing {

// Items: 101 (price 0), 102 (price 50), 201 an outfit of kind 1 (price 0), 202 withdrawn.
// Body parts: 11 (price 0), 12 (price 5). Actions: 5 (10 frames, price 0), 6 (60 frames,
// price 0), 7 (1 frame, price 3), 8 (1 frame, price 0). Face options: 1 of layer 1, 2 of layer 2 (price 0).
CatalogueTables testCatalogue();

// A program directory with data/avatar.dat written from testCatalogue().
void writeProgramDirectory(const std::string& directory);

// A free upload by the given user with a script of `steps` entries of action 8.
SaveAvatarRequest freeUpload(std::u16string user, std::string digest, int steps = 1);

// Settings for a server on free loopback ports with cheap hashing.
ServerConfig testConfig(const std::string& dataDirectory, const std::string& programDirectory);

// A blocking TCP client of the binary protocol.
class ProtocolClient {
public:
    explicit ProtocolClient(std::uint16_t port);
    ~ProtocolClient();
    ProtocolClient(const ProtocolClient&) = delete;
    ProtocolClient& operator=(const ProtocolClient&) = delete;
    [[nodiscard]] bool connected() const { return fd_ >= 0; }
    bool send(const std::vector<std::uint8_t>& bytes);
    // One framed reply, or nothing when the server closes or the time runs out.
    std::optional<std::vector<std::uint8_t>> receive(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // True when the server has closed the connection within the limit.
    bool closedByServer(std::chrono::milliseconds limit);
    void shutdownSend();
    // Everything until the server closes or the time runs out.
    std::string readAll(std::chrono::milliseconds limit);

private:
    int fd_ = -1;
};

// Sends one request on a fresh connection and returns the reply frame.
std::optional<std::vector<std::uint8_t>> exchange(std::uint16_t port, ProtocolMessage& request);

template <typename Reply>
std::optional<Reply> decodeReply(const std::optional<std::vector<std::uint8_t>>& frame) {
    if (!frame) return std::nullopt;
    Reply reply;
    if (!reply.assign(*frame) || !reply.decode()) return std::nullopt;
    return reply;
}

// A server in this process on its own thread, stopped and joined at the end.
class RunningServer {
public:
    explicit RunningServer(const ServerConfig& config);
    ~RunningServer();
    [[nodiscard]] ServerApp& app() { return *app_; }
    [[nodiscard]] std::uint16_t protocolPort() const;
    [[nodiscard]] std::uint16_t httpPort() const;

private:
    std::unique_ptr<ServerApp> app_;
    std::thread thread_;
};

// A PostgreSQL cluster in a temporary directory, run as the `postgres` user on a free
// loopback port; stopped and removed at the end. `available()` is false (with the reason)
// when the PostgreSQL binaries are not installed or the cluster does not start; the tests
// that need it then fail.
class PostgresCluster {
public:
    PostgresCluster();
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;
    [[nodiscard]] bool available() const { return available_; }
    [[nodiscard]] const std::string& reason() const { return reason_; }
    // A connection string to a new empty database of this cluster.
    [[nodiscard]] std::string newDatabase();

private:
    bool available_ = false;
    bool started_ = false;
    std::string reason_;
    std::string bin_;
    std::string directory_;
    int port_ = 0;
    int databases_ = 0;
};

// A whole file's bytes; empty when it cannot be read.
std::string fileText(const std::string& path);

// Runs a shell command; its exit code.
int runCommand(const std::string& command);

// A free TCP port on loopback at the moment of asking.
int freePort();

// A minimal HTTP GET or POST on loopback; the whole response (status line, headers, body).
std::string httpRequest(std::uint16_t port, const std::string& method, const std::string& target,
                        const std::string& body = "");

}  // namespace likenex::testing
