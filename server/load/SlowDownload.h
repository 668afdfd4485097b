#pragma once
// Slow readers of one web address for likenex-load: each of `connections` clients sends one
// GET and then takes the response at no more than `rate` bytes a second, through a small
// receive buffer so that the server, not the kernel, holds what is not read yet. It shows
// whether a slow client can finish a download and what slow clients cost the server.

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace likenex::load {

struct SlowDownloadSettings {
    boost::asio::ip::tcp::endpoint endpoint;
    std::string target = "/";
    int connections = 1;
    double rate = 65536;  // bytes a second, each connection
    std::chrono::duration<double> seconds{60};
    int receiveBuffer = 16384;
};

struct DownloadOutcome {
    enum class End { Complete, Cut, TimeLimit, NoConnection, BadResponse };
    End end = End::NoConnection;
    int status = 0;
    long long contentLength = -1;  // -1: the response gave none
    long long bodyBytes = 0;
    double seconds = 0;
};

[[nodiscard]] std::vector<DownloadOutcome> runSlowDownloads(const SlowDownloadSettings& settings);

// What a response's head says: the status and Content-Length (-1 when absent). The head is
// everything before the blank line, as received; nothing when it is not an HTTP/1.x status
// line or the length is not a plain decimal number.
struct ResponseHead {
    int status = 0;
    long long contentLength = -1;
};
[[nodiscard]] std::optional<ResponseHead> parseResponseHead(std::string_view head);

// One line of figures; true when no download was cut short or failed.
bool printDownloadSummary(std::FILE* out, const SlowDownloadSettings& settings,
                          const std::vector<DownloadOutcome>& outcomes);

}  // namespace likenex::load
