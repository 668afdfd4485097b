#pragma once
// Allows each client address so many events (uploads, registrations) per period: at most
// `limit` in a burst, then one each period/limit, as a generic cell rate: each address keeps
// only the time at which its allowance is whole again. A limit of 0 allows everything and
// keeps nothing. At most `maxEntries` addresses are kept; when full, the addresses with the
// most allowance left go first, so that one at its limit is the last forgotten.
//
// The counts belong to one server process: several servers behind one load balancer must
// keep each client address on one server (HAProxy's `balance source`). Thread-safe.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace likenex {

class AddressQuota {
public:
    using Clock = std::chrono::steady_clock;

    AddressQuota(int limit, Clock::duration period, std::size_t maxEntries = 100000);

    // Counts one event; false, counting nothing, when the address is at its limit.
    [[nodiscard]] bool take(const std::string& address, Clock::time_point now);
    // Gives back an event counted by take() that came to nothing.
    void giveBack(const std::string& address);

    [[nodiscard]] std::size_t size() const;

private:
    void prune(Clock::time_point now);

    int limit_;
    Clock::duration interval_{};  // what one event uses of the allowance
    Clock::duration burst_{};     // how far ahead of now the allowance may be used
    std::size_t maxEntries_;
    mutable std::mutex mutex_;
    std::map<std::string, Clock::time_point> wholeAgain_;
};

inline AddressQuota::AddressQuota(int limit, Clock::duration period, std::size_t maxEntries)
    : limit_(std::max(limit, 0)), maxEntries_(std::max<std::size_t>(maxEntries, 1)) {
    if (limit_ > 0) {
        interval_ = std::max<Clock::duration>(period / limit_, Clock::duration(1));
        burst_ = interval_ * (limit_ - 1);
    }
}

inline bool AddressQuota::take(const std::string& address, Clock::time_point now) {
    if (limit_ == 0) return true;
    std::lock_guard lock(mutex_);
    auto it = wholeAgain_.find(address);
    const Clock::time_point from = it == wholeAgain_.end() ? now : std::max(it->second, now);
    if (from - now > burst_) return false;
    if (it == wholeAgain_.end()) {
        prune(now);
        it = wholeAgain_.emplace(address, now).first;
    }
    it->second = from + interval_;
    return true;
}

inline void AddressQuota::giveBack(const std::string& address) {
    if (limit_ == 0) return;
    std::lock_guard lock(mutex_);
    auto it = wholeAgain_.find(address);
    if (it != wholeAgain_.end()) it->second -= interval_;
}

inline std::size_t AddressQuota::size() const {
    std::lock_guard lock(mutex_);
    return wholeAgain_.size();
}

// Makes room for one more address: those whose allowance is whole again go first, then those
// with the most left, a quarter of the map at once.
inline void AddressQuota::prune(Clock::time_point now) {
    if (wholeAgain_.size() < maxEntries_) return;
    std::erase_if(wholeAgain_, [&](const auto& item) { return item.second <= now; });
    const std::size_t target = maxEntries_ - std::max<std::size_t>(maxEntries_ / 4, 1);
    if (wholeAgain_.size() <= target) return;
    using Iterator = std::map<std::string, Clock::time_point>::iterator;
    std::vector<Iterator> order;
    order.reserve(wholeAgain_.size());
    for (auto it = wholeAgain_.begin(); it != wholeAgain_.end(); ++it) order.push_back(it);
    const std::size_t excess = wholeAgain_.size() - target;
    std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(excess - 1), order.end(),
                     [](Iterator a, Iterator b) { return a->second < b->second; });
    for (std::size_t i = 0; i < excess; ++i) wholeAgain_.erase(order[i]);
}

}  // namespace likenex
