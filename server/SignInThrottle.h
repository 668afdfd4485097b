#pragma once
// Slows failed sign-ins per account and per address. After a failure, the next attempt on
// that account or from that address is answered only after a delay that doubles with each
// failure up to a cap; attempts made meanwhile queue one delay apart, so guessing in
// parallel gains nothing. An attempt that would have to wait longer than `longestWait` is
// rejected at once: no reply is ever held anywhere near the client's 30-second limit.
// Failures are forgotten `memory` after the last one. Thread-safe.

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace likenex {

class SignInThrottle {
public:
    using Clock = std::chrono::steady_clock;
    struct Limits {
        std::chrono::milliseconds firstDelay{250};
        std::chrono::milliseconds longestDelay{2000};
        std::chrono::milliseconds longestWait{5000};
        std::chrono::minutes memory{15};
        std::size_t maxEntries = 100000;
    };

    SignInThrottle() : SignInThrottle(Limits{}) {}
    explicit SignInThrottle(Limits limits) : limits_(limits) {}

    // How long to hold the answer to this attempt, or nothing when it must be rejected unchecked.
    [[nodiscard]] std::optional<Clock::duration> admit(const std::string& account, const std::string& address, Clock::time_point now);
    void recordFailure(const std::string& account, const std::string& address, Clock::time_point now);
    // Clears the account's failures; the address keeps its count but gives back the slot
    // this attempt took.
    void recordSuccess(const std::string& account, const std::string& address);

private:
    struct Entry {
        int failures = 0;
        Clock::time_point nextAllowed{};
        Clock::time_point lastFailure{};
    };
    [[nodiscard]] Clock::duration delayAfter(int failures) const;
    Entry* current(std::map<std::string, Entry>& entries, const std::string& key, Clock::time_point now);
    void prune(std::map<std::string, Entry>& entries, Clock::time_point now);

    Limits limits_;
    std::mutex mutex_;
    std::map<std::string, Entry> accounts_;
    std::map<std::string, Entry> addresses_;
};

}  // namespace likenex
