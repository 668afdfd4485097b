#include "server/ServerApp.h"

#include "base/Text.h"
#include "catalogue/Catalogue.h"
#include "net/Messages.h"
#include "net/ServerExchange.h"
#include "server/Accounts.h"
#include "server/CodePage.h"
#include "server/CodePictures.h"
#include "server/HttpServer.h"
#include "server/OpenFileLimit.h"
#include "server/ProtocolServer.h"
#include "server/RequestHandler.h"
#include "server/TrustedProxies.h"
#include "server/WebSite.h"

#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include <filesystem>
#include <stdexcept>
#include <thread>
#include <unistd.h>

#ifndef LIKENEX_DEFAULT_PROGRAM_DIR
#define LIKENEX_DEFAULT_PROGRAM_DIR ""
#endif

namespace likenex {

namespace asio = boost::asio;
namespace fs = std::filesystem;

namespace {

std::string programDirectory(const ServerConfig& config) {
    if (!config.programDirectory.empty()) return config.programDirectory;
    // Beside the executable first (an installed server), else the build's program directory.
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && fs::exists(exe.parent_path() / "data" / "avatar.dat")) return exe.parent_path().string();
    return LIKENEX_DEFAULT_PROGRAM_DIR;
}

std::unique_ptr<Storage> openStorage(const ServerConfig& config) {
    std::unique_ptr<Storage> storage =
        config.storage == "postgresql"
            ? openPostgresStorage(config.postgresConnection,
                                  config.workerThreads + config.hashThreads + config.pictureThreads + 1)
            : openSqliteStorage((fs::path(config.dataDirectory) / "likenex.sqlite").string());
    storage->migrate();
    return storage;
}

void prepareDataDirectory(const ServerConfig& config) {
    std::error_code ec;
    fs::create_directories(fs::path(config.dataDirectory) / "Download", ec);
    if (ec) throw std::runtime_error("cannot create the data directory " + config.dataDirectory + ": " + ec.message());
    writeDefaultNews(config.dataDirectory);
}

// Descriptors kept apart from the connections: standard streams, the listeners and the event
// loop's own, the database (a connection per thread for PostgreSQL, the file and its journal
// for SQLite), the data files the pages read, and some slack.
std::uint64_t descriptorReserve(const ServerConfig& config) {
    const int threads = config.workerThreads + config.hashThreads + config.pictureThreads + config.networkThreads + 1;
    return 64 + 4 * static_cast<std::uint64_t>(threads);
}

ServerConfig checked(ServerConfig config) {
    if (Result<void> valid = validateConfig(config); !valid) throw std::runtime_error(valid.error());
    if (!codePageNamed(config.codePage)) throw std::runtime_error("unknown code_page " + config.codePage);
    return config;
}

}  // namespace

struct ServerApp::Parts {
    explicit Parts(ServerConfig c)
        : config(checked(std::move(c))),
          storage((prepareDataDirectory(config), openStorage(config))),
          accounts(*storage, Argon2Cost{config.argon2Operations, config.argon2MemoryKiB * 1024}) {
        // Before the listeners are made: both caps come from here.
        const std::uint64_t openFiles = openFileLimit(), reserve = descriptorReserve(config);
        const ConnectionCaps caps =
            fitConnectionCaps(openFiles, reserve, config.maxConnections, config.webMaxConnections);
        config.maxConnections = caps.protocol;
        config.webMaxConnections = caps.web;
        capsText = caps.describe(openFiles, reserve);
        std::string directory = programDirectory(config);
        if (!catalogue.loadCatalogueSection1(directory) || !catalogue.loadBodyParts(directory) ||
            !catalogue.loadItems(directory))
            throw std::runtime_error("cannot read data/avatar.dat in the program directory '" + directory + "'");
        ProtocolSettings settings{config.newestVersion, config.updaterArgumentsOrDefault(), config.newsBaseOrDefault(),
                                  config.publicBase, *codePageNamed(config.codePage)};
        handler = std::make_unique<RequestHandler>(*storage, accounts, throttle, catalogue, settings,
                                                   UploadLimits{config.guestUploadsPerHour, config.uploadsPerMinute});
        site = std::make_unique<WebSite>(*storage, accounts, throttle, catalogue, config, directory);
        auto address = [](const std::string& text) {
            boost::system::error_code ec;
            auto parsed = asio::ip::make_address(text, ec);
            if (ec) throw std::runtime_error("not an address: " + text);
            return parsed;
        };
        protocol = std::make_unique<ProtocolServer>(
            io, asio::ip::tcp::endpoint(address(config.protocolAddress), config.protocolPort),
            [this](std::span<const std::uint8_t> frame, const std::string& peer) {
                auto outcome = handler->handle(frame, peer);
                if (outcome.storedAvatar > 0) preparePictures(outcome.storedAvatar);
                return outcome;
            },
            [this](std::int32_t type) { return protocolPool(type); }, busyAnswer,
            ProtocolServer::Limits{std::chrono::seconds(config.requestSeconds),
                                   std::chrono::seconds(config.idleSeconds),
                                   std::chrono::milliseconds(kReplyTimeLimitMs), config.maxConnections},
            trustedProxies(config.trustedProxies), log);
        http = std::make_unique<HttpServer>(
            io, asio::ip::tcp::endpoint(address(config.httpAddress), config.httpPort),
            [this](const HttpRequest& request) { return site->respond(request); },
            [this](std::string_view method, std::string_view target) -> WorkPool& { return webPool(method, target); },
            HttpServer::Limits{std::chrono::seconds(config.requestSeconds),
                               std::chrono::seconds(config.transferIdleSeconds), config.webMaxConnections,
                               config.trustedProxies},
            log);
    }

    // Version queries are answered on the network thread; uploads sign in (argon2id), so they
    // queue for the hashing pool, apart from the opens that only read storage.
    WorkPool* protocolPool(std::int32_t type) {
        switch (static_cast<MessageType>(type)) {
        case MessageType::VersionQuery: return nullptr;
        case MessageType::SaveAvatarRequest: return &hashing;
        default: return &storageWork;
        }
    }

    // A stored avatar's pictures are made at once on the picture pool, so that its page never
    // waits for them; when that pool is full they are made at the first request instead.
    void preparePictures(std::int64_t number) {
        (void)pictures.post([this, number] {
            if (std::string failed = site->prepareAvatarPictures(number); !failed.empty())
                log.write("pictures", "-", failed, {});
        });
    }

    // Posted forms sign in or register (argon2id); avatar pictures are composed; the rest reads storage.
    WorkPool& webPool(std::string_view method, std::string_view target) {
        if (method == "POST") return hashing;
        std::string_view path = target.substr(0, target.find('?'));
        auto endsWith = [&](std::string_view suffix) {
            return path.size() > suffix.size() && path.substr(path.size() - suffix.size()) == suffix;
        };
        if (path.rfind("/a/", 0) == 0 && (endsWith(".png") || endsWith(".bmp"))) return pictures;
        if (CodePictures::isPicturePath(path)) return pictures;
        return storageWork;
    }

    // The answer to a request no pool would take: the editor shows a failed open or upload.
    static RequestHandler::Outcome busyAnswer(std::span<const std::uint8_t> frame) {
        RequestHandler::Outcome outcome;
        auto header = peekFrameHeader(frame);
        outcome.summary = "busy, refused";
        if (!header) return outcome;
        if (header->type == static_cast<std::int32_t>(MessageType::SaveAvatarRequest)) {
            SaveAvatarReply reply;
            reply.result = SaveAvatarReply::Failed;
            if (reply.encode()) outcome.reply = reply.bytes();
        } else if (header->type == static_cast<std::int32_t>(MessageType::OpenAvatarRequest)) {
            AvatarReply reply;
            reply.result = AvatarReply::Failed;
            if (reply.encode()) outcome.reply = reply.bytes();
        }
        return outcome;
    }

    void joinPools() {
        storageWork.join();
        hashing.join();
        pictures.join();
    }

    // The jobs still waiting go; running ones go on.
    void dropWaitingWork() {
        storageWork.dropWaiting();
        hashing.dropWaiting();
        pictures.dropWaiting();
    }

    // Stops every pool and waits, until the deadline, for the running jobs; true when none runs.
    bool stopPoolsBy(std::chrono::steady_clock::time_point deadline) {
        for (WorkPool* pool : {&storageWork, &hashing, &pictures}) pool->stop();
        for (;;) {
            if (storageWork.running() + hashing.running() + pictures.running() == 0) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    static TrustedProxies trustedProxies(const std::string& text) {
        auto proxies = TrustedProxies::parse(text);
        if (!proxies) throw std::runtime_error(proxies.error());
        return *proxies;
    }

    ServerConfig config;
    asio::io_context io;
    WorkPool storageWork{"storage", config.workerThreads, static_cast<std::size_t>(config.queueLimit)};
    WorkPool hashing{"hashing", config.hashThreads, static_cast<std::size_t>(config.queueLimit)};
    WorkPool pictures{"pictures", config.pictureThreads, static_cast<std::size_t>(config.queueLimit)};
    std::unique_ptr<Storage> storage;
    Accounts accounts;
    SignInThrottle throttle;
    Catalogue catalogue;
    RequestLog log;
    std::unique_ptr<RequestHandler> handler;
    std::unique_ptr<WebSite> site;
    std::unique_ptr<ProtocolServer> protocol;
    std::unique_ptr<HttpServer> http;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> stopping{false};
    std::string capsText;
    std::chrono::steady_clock::time_point stopDeadline;
    std::atomic<bool> workLeftRunning{false};
};

ServerApp::ServerApp(ServerConfig config) : parts_(std::make_unique<Parts>(std::move(config))) {}

ServerApp::~ServerApp() {
    stop();
    parts_->joinPools();
}

std::string ServerApp::connectionCaps() const { return parts_->capsText; }
bool ServerApp::workLeftRunning() const { return parts_->workLeftRunning; }

std::uint16_t ServerApp::protocolPort() const { return parts_->protocol->port(); }
std::uint16_t ServerApp::httpPort() const { return parts_->http->port(); }

void ServerApp::run(bool handleSignals) {
    Parts& p = *parts_;
    asio::signal_set signals(p.io);
    if (handleSignals) {
        signals.add(SIGTERM);
        signals.add(SIGINT);
        signals.async_wait([this](boost::system::error_code ec, int) {
            if (!ec) stop();
        });
    }
    // Stopping: wait for the work started and the replies being written, at most stop_seconds
    // after the stop, then end the loop.
    asio::steady_timer watcher(p.io);
    std::function<void(boost::system::error_code)> watch = [&](boost::system::error_code) {
        if (p.stopping) {
            if ((p.protocol->openConnections() == 0 && p.http->busy() == 0) ||
                std::chrono::steady_clock::now() > p.stopDeadline) {
                signals.cancel();
                p.io.stop();
                return;
            }
        }
        watcher.expires_after(std::chrono::milliseconds(20));
        watcher.async_wait(watch);
    };
    watch({});
    std::vector<std::thread> extra;
    for (int i = 1; i < p.config.networkThreads; ++i) extra.emplace_back([&] { p.io.run(); });
    p.io.run();
    for (auto& t : extra) t.join();
    // A job stuck past the deadline (a database that does not answer, say) is not waited for:
    // the caller ends the process without joining its thread.
    if (p.stopPoolsBy(p.stopping ? p.stopDeadline : std::chrono::steady_clock::now())) {
        p.joinPools();
    } else {
        p.workLeftRunning = true;
        p.log.write("server", "-", "stopped with work still running past stop_seconds", {});
    }
}

void ServerApp::stop() {
    Parts& p = *parts_;
    if (p.stopRequested.exchange(true)) return;
    // The deadline is set before `stopping` tells the watcher to read it.
    p.stopDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(p.config.stopSeconds);
    p.stopping = true;
    p.protocol->stop();
    p.http->stop();
    p.dropWaitingWork();
}

int userCommand(const ServerConfig& config, const std::string& verb, const std::string& name,
                const std::string& passwordUtf8, std::FILE* err) {
    try {
        ServerConfig c = checked(config);
        prepareDataDirectory(c);
        auto storage = openStorage(c);
        Accounts accounts(*storage, Argon2Cost{c.argon2Operations, c.argon2MemoryKiB * 1024});
        const std::u16string password = text::utf16FromUtf8Replacing(passwordUtf8);
        if (password.size() > kLongestPassword) {
            std::fprintf(err, "likenex-server: a password has at most %zu characters\n", kLongestPassword);
            return 2;
        }
        const std::string digest = typedPasswordDigest(password, *codePageNamed(c.codePage));
        if (verb == "passwd") {
            if (Accounts::isGuest(text::utf16FromUtf8Replacing(name)) ||
                !accounts.setPassword(text::utf16FromUtf8Replacing(name), digest)) {
                std::fprintf(err, "likenex-server: there is no account %s\n", name.c_str());
                return 1;
            }
            std::fprintf(err, "new password set for %s\n", name.c_str());
            return 0;
        }
        switch (accounts.addAccount(text::utf16FromUtf8Replacing(name), digest)) {
        case Accounts::AddResult::Added: std::fprintf(err, "added %s\n", name.c_str()); return 0;
        case Accounts::AddResult::NameTaken:
            std::fprintf(err, "likenex-server: the name %s is taken\n", name.c_str());
            return 1;
        case Accounts::AddResult::InvalidName:
            std::fprintf(err,
                         "likenex-server: a name has 1 to 23 UTF-16 units, no control characters, and is not guest\n");
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(err, "likenex-server: %s\n", e.what());
    }
    return 1;
}

}  // namespace likenex
