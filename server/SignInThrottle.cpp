#include "server/SignInThrottle.h"

#include <algorithm>

namespace likenex {

SignInThrottle::Clock::duration SignInThrottle::delayAfter(int failures) const {
    if (failures <= 0) return Clock::duration::zero();
    Clock::duration delay = limits_.firstDelay;
    for (int i = 1; i < failures && delay < limits_.longestDelay; ++i) delay *= 2;
    return std::min<Clock::duration>(delay, limits_.longestDelay);
}

// The entry of a key with failures still remembered; null otherwise (and forgotten ones removed).
SignInThrottle::Entry* SignInThrottle::current(std::map<std::string, Entry>& entries, const std::string& key,
                                               Clock::time_point now) {
    auto it = entries.find(key);
    if (it == entries.end()) return nullptr;
    if (now - it->second.lastFailure > limits_.memory && now >= it->second.nextAllowed) {
        entries.erase(it);
        return nullptr;
    }
    return &it->second;
}

void SignInThrottle::prune(std::map<std::string, Entry>& entries, Clock::time_point now) {
    if (entries.size() < limits_.maxEntries) return;
    std::erase_if(entries, [&](const auto& e) { return now - e.second.lastFailure > limits_.memory && now >= e.second.nextAllowed; });
    // Still full: the oldest half goes, so memory stays bounded under a flood of addresses.
    if (entries.size() >= limits_.maxEntries) {
        std::size_t drop = entries.size() / 2;
        for (auto it = entries.begin(); it != entries.end() && drop > 0;)
            if (now - it->second.lastFailure > limits_.firstDelay) it = entries.erase(it), --drop;
            else ++it;
    }
}

std::optional<SignInThrottle::Clock::duration> SignInThrottle::admit(const std::string& account, const std::string& address,
                                                                    Clock::time_point now) {
    std::lock_guard lock(mutex_);
    Entry* byAccount = current(accounts_, account, now);
    Entry* byAddress = current(addresses_, address, now);
    Clock::time_point at = now;
    if (byAccount) at = std::max(at, byAccount->nextAllowed);
    if (byAddress) at = std::max(at, byAddress->nextAllowed);
    if (at - now > limits_.longestWait) return std::nullopt;
    // The slot is taken: a parallel attempt waits one more delay.
    if (byAccount) byAccount->nextAllowed = at + delayAfter(byAccount->failures);
    if (byAddress) byAddress->nextAllowed = at + delayAfter(byAddress->failures);
    return at - now;
}

void SignInThrottle::recordFailure(const std::string& account, const std::string& address, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    for (auto [entries, key] : {std::pair{&accounts_, &account}, std::pair{&addresses_, &address}}) {
        prune(*entries, now);
        Entry& e = (*entries)[*key];
        if (now - e.lastFailure > limits_.memory) e.failures = 0;
        ++e.failures;
        e.lastFailure = now;
        e.nextAllowed = std::max(e.nextAllowed, now + delayAfter(e.failures));
    }
}

void SignInThrottle::recordSuccess(const std::string& account, const std::string& address) {
    std::lock_guard lock(mutex_);
    accounts_.erase(account);
    auto it = addresses_.find(address);
    if (it != addresses_.end()) it->second.nextAllowed = it->second.lastFailure + delayAfter(it->second.failures);
}

}  // namespace likenex
