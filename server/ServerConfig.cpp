#include "server/ServerConfig.h"

#include "server/TrustedProxies.h"

#include <boost/regex.hpp>
#include <charconv>
#include <functional>

namespace likenex {
namespace {

constexpr std::string_view kDefaults = R"(# likenex-server configuration: key = value, '#' starts a comment.
# Relative paths are relative to the current directory.
data_directory = likenex-server-data
# Where data/avatar.dat lies; empty means the program directory beside the executable.
program_directory =
protocol_address = 127.0.0.1
protocol_port = 1234
http_address = 127.0.0.1
http_port = 8080
# The web side as the programs reach it: avatar addresses, downloads and news start with it.
public_base = http://127.0.0.1:8080
# sqlite (a file in the data directory) or postgresql (several instances, one database)
storage = sqlite
postgres_connection =
newest_version = 2
# Empty: public_base + /Download/ and public_base + /news.xml
updater_arguments =
news_base =
# The client's 8-bit code page for password digests and 8-bit texts: windows-1252 or iso-8859-1
code_page = windows-1252
request_seconds = 10
idle_seconds = 10
# Threads for storage and pages, for password hashing and for avatar pictures; each pool keeps
# at most queue_limit jobs waiting and refuses more at once.
worker_threads = 2
hash_threads = 1
picture_threads = 1
queue_limit = 64
network_threads = 1
# Connections held at once, each side; both are lowered to fit the open-file limit.
max_connections = 10000
web_max_connections = 1000
# A response (a download, say) may make no progress for this long before it is cut.
transfer_idle_seconds = 15
# On SIGTERM, requests in flight get this long to finish.
stop_seconds = 10
# Comma-separated addresses of reverse proxies (HAProxy, say) whose word on the client's address
# is believed: X-Forwarded-For on the web side, the PROXY protocol on the binary protocol.
trusted_proxies =
# Limits per client address.
guest_uploads_per_hour = 60
uploads_per_minute = 60
registrations_per_hour = 10
code_pictures_per_minute = 120
# Pictures of avatar codes (/c/CODE.png) kept in memory, least recently used out first.
code_picture_cache_mib = 64
argon2_operations = 2
argon2_memory_kib = 65536
)";

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

template <typename Number>
Result<void> number(Number& out, std::string_view value, Number lowest, Number highest) {
    Number parsed{};
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (ec != std::errc() || end != value.data() + value.size() || parsed < lowest || parsed > highest)
        return Failure{"expected a number from " + std::to_string(lowest) + " to " + std::to_string(highest)};
    out = parsed;
    return {};
}

}  // namespace

std::string_view defaultConfigurationText() { return kDefaults; }

Result<void> applySetting(ServerConfig& c, std::string_view key, std::string_view value) {
    auto text = [&](std::string& out) -> Result<void> {
        out = std::string(value);
        return {};
    };
    using Setter = std::function<Result<void>()>;
    const std::map<std::string_view, Setter> setters = {
        {"data_directory", [&] { return text(c.dataDirectory); }},
        {"program_directory", [&] { return text(c.programDirectory); }},
        {"protocol_address", [&] { return text(c.protocolAddress); }},
        {"protocol_port", [&] { return number<std::uint16_t>(c.protocolPort, value, 0, 65535); }},
        {"http_address", [&] { return text(c.httpAddress); }},
        {"http_port", [&] { return number<std::uint16_t>(c.httpPort, value, 0, 65535); }},
        {"public_base", [&] { return text(c.publicBase); }},
        {"storage", [&] { return text(c.storage); }},
        {"postgres_connection", [&] { return text(c.postgresConnection); }},
        {"newest_version", [&] { return number<std::int32_t>(c.newestVersion, value, 0, INT32_MAX); }},
        {"updater_arguments", [&] { return text(c.updaterArguments); }},
        {"news_base", [&] { return text(c.newsBase); }},
        {"code_page", [&] { return text(c.codePage); }},
        {"request_seconds", [&] { return number<int>(c.requestSeconds, value, 1, 25); }},
        {"idle_seconds", [&] { return number<int>(c.idleSeconds, value, 1, 3600); }},
        {"worker_threads", [&] { return number<int>(c.workerThreads, value, 1, 64); }},
        {"hash_threads", [&] { return number<int>(c.hashThreads, value, 1, 64); }},
        {"picture_threads", [&] { return number<int>(c.pictureThreads, value, 1, 64); }},
        {"queue_limit", [&] { return number<int>(c.queueLimit, value, 1, 1000000); }},
        {"network_threads", [&] { return number<int>(c.networkThreads, value, 1, 64); }},
        {"max_connections", [&] { return number<int>(c.maxConnections, value, 1, 1000000); }},
        {"web_max_connections", [&] { return number<int>(c.webMaxConnections, value, 1, 1000000); }},
        {"transfer_idle_seconds", [&] { return number<int>(c.transferIdleSeconds, value, 1, 3600); }},
        {"stop_seconds", [&] { return number<int>(c.stopSeconds, value, 1, 3600); }},
        {"trusted_proxies", [&] { return text(c.trustedProxies); }},
        {"guest_uploads_per_hour", [&] { return number<int>(c.guestUploadsPerHour, value, 0, 1000000000); }},
        {"uploads_per_minute", [&] { return number<int>(c.uploadsPerMinute, value, 0, 1000000000); }},
        {"registrations_per_hour", [&] { return number<int>(c.registrationsPerHour, value, 0, 1000000000); }},
        {"code_pictures_per_minute", [&] { return number<int>(c.codePicturesPerMinute, value, 0, 1000000000); }},
        {"code_picture_cache_mib", [&] { return number<int>(c.codePictureCacheMiB, value, 0, 65536); }},
        {"argon2_operations", [&] { return number<unsigned long long>(c.argon2Operations, value, 1, 16); }},
        {"argon2_memory_kib", [&] { return number<std::size_t>(c.argon2MemoryKiB, value, 8, 4u << 20); }},
    };
    auto it = setters.find(key);
    if (it == setters.end()) return Failure{"unknown setting '" + std::string(key) + "'"};
    if (Result<void> applied = it->second(); !applied) return Failure{std::string(key) + ": " + applied.error()};
    return {};
}

Result<void> applyConfigurationText(ServerConfig& config, std::string_view text) {
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        line = trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return Failure{"line " + std::to_string(lineNumber) + ": expected key = value"};
        if (Result<void> applied = applySetting(config, trim(line.substr(0, equals)), trim(line.substr(equals + 1)));
            !applied)
            return Failure{"line " + std::to_string(lineNumber) + ": " + applied.error()};
    }
    return {};
}

Result<void> validateConfig(const ServerConfig& c) {
    // The news library accepts only http:// with a dotted host; the updater appends file
    // names to its base directly.
    static const boost::regex kNewsAddress(R"(http://(\w+\.)+\w+(:\d*){0,1}(/\w*)*(\.\w*){0,1}(.*?))");
    if (!boost::regex_match(c.newsBaseOrDefault(), kNewsAddress))
        return Failure{"news_base must be http:// with a dotted host (never localhost or https): " +
                       c.newsBaseOrDefault()};
    if (c.updaterArgumentsOrDefault().back() != '/') return Failure{"updater_arguments must end with '/'"};
    if (c.storage != "sqlite" && c.storage != "postgresql") return Failure{"storage must be sqlite or postgresql"};
    if (c.storage == "postgresql" && c.postgresConnection.empty())
        return Failure{"storage postgresql needs postgres_connection"};
    if (c.publicBase.empty() || c.publicBase.back() == '/') return Failure{"public_base must not end with '/'"};
    if (auto proxies = TrustedProxies::parse(c.trustedProxies); !proxies) return Failure{proxies.error()};
    return {};
}

}  // namespace likenex
