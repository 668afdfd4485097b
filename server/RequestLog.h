#pragma once
// One line per request on standard error: UTC time, side, peer, what was asked and what
// came of it, and how long it took. Lines from several threads never interleave.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace likenex {

class RequestLog {
public:
    explicit RequestLog(std::FILE* out = stderr) : out_(out) {}
    void write(std::string_view side, std::string_view peer, std::string_view what,
               std::chrono::steady_clock::duration took);
    // Counts lines; the tests read it.
    [[nodiscard]] long long lines() const { return lines_; }

private:
    std::FILE* out_;
    std::mutex mutex_;
    std::atomic<long long> lines_{0};
};

// The time as ISO 8601 in UTC with a Z, to the second: "2026-12-08T04:10:00Z".
[[nodiscard]] std::string isoUtc(std::int64_t secondsSince1970);

}  // namespace likenex
