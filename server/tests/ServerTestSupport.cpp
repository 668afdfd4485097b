#include "server/tests/ServerTestSupport.h"

#include "catalogue/CatalogueWriter.h"
#include "catalogue/DataFiles.h"
#include "server/ServerApp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace likenex::testing {

namespace fs = std::filesystem;

namespace {

Action action(std::uint16_t id, int frames, int price) {
    Action a;
    a.identifier = id;
    a.price = price;
    a.frames.resize(static_cast<std::size_t>(frames));
    for (ActionFrame& f : a.frames) f.duration = 100;
    return a;
}

Item item(std::uint16_t id, int slot, int price, int outfitKind = 0, std::uint8_t availability = 1) {
    Item i;
    i.identifier = id;
    i.category = slot;
    i.price = i.secondPrice = price;
    i.outfitKind = outfitKind;
    i.availability = availability;
    return i;
}

BodyPart bodyPart(std::uint16_t id, int price) {
    BodyPart p;
    p.identifier = id;
    p.price = price;
    return p;
}

}  // namespace

CatalogueTables testCatalogue() {
    CatalogueTables t;
    t.layerOptions.push_back(LayerOption{1, 1, 1, {}, 0});
    t.layerOptions.push_back(LayerOption{2, 2, 1, {}, 0});
    t.actions = {action(5, 10, 0), action(6, 60, 0), action(7, 1, 3), action(8, 1, 0)};
    t.bodyParts = {bodyPart(11, 0), bodyPart(12, 5)};
    t.items = {item(101, 0, 0), item(102, 2, 50), item(201, 6, 0, 1), item(202, 3, 0, 0, 0)};
    return t;
}

void writeProgramDirectory(const std::string& directory) {
    fs::create_directories(fs::path(directory) / "data");
    auto bytes = encodeAvatarData(testCatalogue());
    if (!bytes || !writeWholeFile(directory + "/data/avatar.dat", *bytes))
        throw std::runtime_error("cannot write avatar.dat");
}

SaveAvatarRequest freeUpload(std::u16string user, std::string digest, int steps) {
    SaveAvatarRequest r;
    r.userName = std::move(user);
    r.passwordDigest = std::move(digest);
    r.avatar.direction = 2;
    r.avatar.faceOption1 = 1;
    r.avatar.items[0] = {101, 3};
    r.avatar.bodyPart = 11;
    for (int i = 0; i < steps; ++i)
        r.appendScriptEntry(8, u"step " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
    r.title = u"A title";
    r.secondText = u"second";
    r.thirdText = u"third";
    r.language = 2;
    return r;
}

ServerConfig testConfig(const std::string& dataDirectory, const std::string& programDirectory) {
    ServerConfig c;
    c.dataDirectory = dataDirectory;
    c.programDirectory = programDirectory;
    c.protocolPort = 0;
    c.httpPort = 0;
    c.argon2Operations = 1;
    c.argon2MemoryKiB = 8;
    c.requestSeconds = 5;
    c.idleSeconds = 5;
    // Tests upload and register many times from 127.0.0.1; the limits have tests of their own.
    c.guestUploadsPerHour = 100000;
    c.uploadsPerMinute = 100000;
    c.registrationsPerHour = 100000;
    return c;
}

ProtocolClient::ProtocolClient(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

ProtocolClient::~ProtocolClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool ProtocolClient::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

namespace {
// Reads exactly `count` bytes before the deadline.
bool readExactly(int fd, std::uint8_t* to, std::size_t count, std::chrono::steady_clock::time_point deadline) {
    std::size_t got = 0;
    while (got < count) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        ssize_t n = ::recv(fd, to + got, count - got, 0);
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

std::optional<std::vector<std::uint8_t>> ProtocolClient::receive(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<std::uint8_t> frame(2);
    if (!readExactly(fd_, frame.data(), 2, deadline)) return std::nullopt;
    std::size_t length = static_cast<std::size_t>(frame[0] | frame[1] << 8);
    if (length < 6) return std::nullopt;
    frame.resize(length);
    if (!readExactly(fd_, frame.data() + 2, length - 2, deadline)) return std::nullopt;
    return frame;
}

bool ProtocolClient::closedByServer(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    std::uint8_t byte;
    for (;;) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        ssize_t n = ::recv(fd_, &byte, 1, 0);
        if (n <= 0) return true;
    }
}

std::string ProtocolClient::readAll(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    std::string all;
    char buffer[4096];
    for (;;) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return all;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) return all;
        ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return all;
        all.append(buffer, static_cast<std::size_t>(n));
    }
}

void ProtocolClient::shutdownSend() { ::shutdown(fd_, SHUT_WR); }

std::optional<std::vector<std::uint8_t>> exchange(std::uint16_t port, ProtocolMessage& request) {
    if (!request.encode()) return std::nullopt;
    ProtocolClient client(port);
    if (!client.connected() || !client.send(request.bytes())) return std::nullopt;
    auto reply = client.receive();
    client.shutdownSend();
    return reply;
}

RunningServer::RunningServer(const ServerConfig& config) : app_(std::make_unique<ServerApp>(config)) {
    thread_ = std::thread([this] { app_->run(false); });
}

RunningServer::~RunningServer() {
    app_->stop();
    thread_.join();
}

std::uint16_t RunningServer::protocolPort() const { return app_->protocolPort(); }
std::uint16_t RunningServer::httpPort() const { return app_->httpPort(); }

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int runCommand(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

PostgresCluster::PostgresCluster() {
    for (const char* version : {"17", "16", "15", "14", "13"}) {
        std::string bin = std::string("/usr/lib/postgresql/") + version + "/bin";
        if (fs::exists(bin + "/initdb")) {
            bin_ = bin;
            break;
        }
    }
    if (bin_.empty()) {
        reason_ =
            "the PostgreSQL server binaries (/usr/lib/postgresql/*/bin/initdb) are not installed; "
            "scripts/setup.sh installs them";
        return;
    }
    std::string pattern = "/tmp/likenex-pg-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        reason_ = "cannot make a temporary directory for the cluster";
        return;
    }
    directory_ = pattern;
    // PostgreSQL refuses to run as root: as root, it runs as the postgres user.
    std::string as = geteuid() == 0 ? "runuser -u postgres -- " : "";
    if (geteuid() == 0 && runCommand("chown postgres " + directory_) != 0) {
        reason_ = "running as root, and there is no postgres user to run PostgreSQL as";
        return;
    }
    port_ = freePort();
    std::string data = directory_ + "/data";
    if (runCommand(as + bin_ + "/initdb -D " + data + " -A trust -U postgres --no-sync >" + directory_ +
                   "/initdb.log 2>&1") != 0) {
        reason_ = "initdb failed:\n" + fileText(directory_ + "/initdb.log");
        return;
    }
    std::string options = "-p " + std::to_string(port_) + " -k " + directory_ +
                          " -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=50 -c shared_buffers=16MB";
    started_ = runCommand(as + bin_ + "/pg_ctl -D " + data + " -o '" + options + "' -w -t 30 -l " + directory_ +
                          "/server.log start >/dev/null") == 0;
    if (!started_) {
        reason_ = "the cluster did not start:\n" + fileText(directory_ + "/server.log");
        return;
    }
    available_ = true;
}

PostgresCluster::~PostgresCluster() {
    if (directory_.empty()) return;
    std::string as = geteuid() == 0 ? "runuser -u postgres -- " : "";
    if (started_) runCommand(as + bin_ + "/pg_ctl -D " + directory_ + "/data -m immediate -w stop >/dev/null 2>&1");
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

std::string PostgresCluster::newDatabase() {
    std::string name = "likenex" + std::to_string(++databases_);
    if (runCommand(bin_ + "/createdb -h 127.0.0.1 -p " + std::to_string(port_) + " -U postgres " + name) != 0)
        throw std::runtime_error("createdb failed");
    return "host=127.0.0.1 port=" + std::to_string(port_) + " user=postgres dbname=" + name;
}

std::string httpRequest(std::uint16_t port, const std::string& method, const std::string& target,
                        const std::string& body) {
    ProtocolClient client(port);
    if (!client.connected()) return {};
    std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (method == "POST")
        request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size()) +
                   "\r\n";
    request += "\r\n" + body;
    if (!client.send(std::vector<std::uint8_t>(request.begin(), request.end()))) return {};
    return client.readAll(std::chrono::seconds(10));
}

}  // namespace likenex::testing
