#pragma once
// The server's settings: an embedded default configuration, overridden by a file of
// "key = value" lines and then by --set key=value on the command line.

#include "base/Result.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace likenex {

struct ServerConfig {
    std::string dataDirectory = "likenex-server-data";
    std::string programDirectory;  // where data/avatar.dat is; empty: beside the executable
    std::string protocolAddress = "127.0.0.1";
    std::uint16_t protocolPort = 1234;
    std::string httpAddress = "127.0.0.1";
    std::uint16_t httpPort = 8080;
    std::string publicBase = "http://127.0.0.1:8080";  // the web side as clients reach it, no trailing '/'
    std::string storage = "sqlite";                    // or "postgresql"
    std::string postgresConnection;                    // libpq connection string
    std::int32_t newestVersion = 2;
    std::string updaterArguments;  // empty: publicBase + "/Download/"
    std::string newsBase;          // empty: publicBase + "/news.xml"
    std::string codePage = "windows-1252";
    int requestSeconds = 10;  // a whole request must arrive within this
    int idleSeconds = 10;     // after the reply, the client has this long to close
    int workerThreads = 2;    // storage and the web pages
    int hashThreads = 1;      // password hashing (argon2id), apart so that it cannot starve the rest
    int pictureThreads = 1;   // avatar pictures
    int queueLimit = 64;      // jobs waiting per pool; a request beyond it is refused at once
    int networkThreads = 1;
    int maxConnections = 10000;     // protocol connections; lowered to fit the open-file limit
    int webMaxConnections = 1000;   // web connections; likewise
    int transferIdleSeconds = 15;   // a response being sent may make no progress this long
    int stopSeconds = 10;           // SIGTERM: requests in flight get this long, then the server ends
    std::string trustedProxies;     // comma-separated addresses whose forwarded client address is believed
    int guestUploadsPerHour = 60;   // per client address
    int uploadsPerMinute = 60;      // per client address, accounts and guests together
    int registrationsPerHour = 10;  // per client address
    int codePicturesPerMinute = 120;  // pictures of avatar codes per client address
    int codePictureCacheMiB = 64;     // pictures of avatar codes kept in memory
    unsigned long long argon2Operations = 2;
    std::size_t argon2MemoryKiB = 65536;

    [[nodiscard]] std::string updaterArgumentsOrDefault() const {
        return updaterArguments.empty() ? publicBase + "/Download/" : updaterArguments;
    }
    [[nodiscard]] std::string newsBaseOrDefault() const {
        return newsBase.empty() ? publicBase + "/news.xml" : newsBase;
    }
};

// The embedded default configuration, as a file would say it; `--help` prints it.
[[nodiscard]] std::string_view defaultConfigurationText();

// Applies one setting; fails for an unknown key or a bad value.
[[nodiscard]] Result<void> applySetting(ServerConfig& config, std::string_view key, std::string_view value);
// Applies every "key = value" line ('#' starts a comment); fails at the first bad line, naming it.
[[nodiscard]] Result<void> applyConfigurationText(ServerConfig& config, std::string_view text);
// Checks values that depend on each other (the news base the client accepts, and so on).
[[nodiscard]] Result<void> validateConfig(const ServerConfig& config);

}  // namespace likenex
