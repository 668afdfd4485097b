#include "server/SignInThrottle.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

namespace likenex {

SignInThrottle::Attempt::Attempt(SignInThrottle* throttle, Subject subject, std::string address, bool admitted,
                                 Clock::duration wait, Clock::duration lockedFor)
    : throttle_(throttle),
      subject_(std::move(subject)),
      address_(std::move(address)),
      admitted_(admitted),
      wait_(wait),
      lockedFor_(lockedFor) {}

SignInThrottle::Attempt::Attempt(Attempt&& other) noexcept
    : throttle_(std::exchange(other.throttle_, nullptr)),
      subject_(std::move(other.subject_)),
      address_(std::move(other.address_)),
      admitted_(other.admitted_),
      wait_(other.wait_),
      lockedFor_(other.lockedFor_) {}

SignInThrottle::Attempt& SignInThrottle::Attempt::operator=(Attempt&& other) noexcept {
    if (this != &other) {
        settle();
        throttle_ = std::exchange(other.throttle_, nullptr);
        subject_ = std::move(other.subject_);
        address_ = std::move(other.address_);
        admitted_ = other.admitted_;
        wait_ = other.wait_;
        lockedFor_ = other.lockedFor_;
    }
    return *this;
}

SignInThrottle::Attempt::~Attempt() { settle(); }

void SignInThrottle::Attempt::settle() {
    if (SignInThrottle* throttle = std::exchange(throttle_, nullptr)) throttle->release(subject_, address_);
}

void SignInThrottle::Attempt::failed(Clock::time_point now) {
    if (SignInThrottle* throttle = std::exchange(throttle_, nullptr)) throttle->recordFailure(subject_, address_, now);
}

void SignInThrottle::Attempt::succeeded() {
    if (SignInThrottle* throttle = std::exchange(throttle_, nullptr)) throttle->recordSuccess(subject_, address_);
}

SignInThrottle::Clock::duration SignInThrottle::delayAfter(int failures) const {
    if (failures <= 0) return Clock::duration::zero();
    Clock::duration delay = limits_.firstDelay;
    for (int i = 1; i < failures && delay < limits_.longestDelay; ++i) delay *= 2;
    return std::min<Clock::duration>(delay, limits_.longestDelay);
}

SignInThrottle::Clock::duration SignInThrottle::lockoutAfter(int failures, int threshold) const {
    if (failures < threshold) return Clock::duration::zero();
    Clock::duration lockout = limits_.firstLockout;
    for (int i = threshold; i < failures && lockout < limits_.longestLockout; ++i) lockout *= 2;
    return std::min<Clock::duration>(lockout, limits_.longestLockout);
}

void SignInThrottle::forgetOld(Entry& entry, Clock::time_point now) const {
    if (entry.failures > 0 && now >= entry.lockedUntil && now - entry.lastFailure > limits_.memory) {
        entry.failures = 0;
        entry.nextAllowed = {};
        entry.lockedUntil = {};
    }
}

// The key's entry while it still means something; null otherwise (a forgotten one is removed).
template <typename Key>
SignInThrottle::Entry* SignInThrottle::current(std::map<Key, Entry>& entries, const Key& key, Clock::time_point now) {
    auto it = entries.find(key);
    if (it == entries.end()) return nullptr;
    forgetOld(it->second, now);
    if (it->second.failures == 0 && it->second.pending == 0) {
        entries.erase(it);
        return nullptr;
    }
    return &it->second;
}

template <typename Key>
SignInThrottle::Entry& SignInThrottle::entryFor(std::map<Key, Entry>& entries, const Key& key, int threshold,
                                                Clock::time_point now) {
    if (Entry* existing = current(entries, key, now)) return *existing;
    prune(entries, threshold, now);
    return entries[key];
}

// Makes room for one more entry. Forgotten entries go first, then harmless ones (no lock-out,
// nothing in flight, below the map's threshold) oldest failure first; only then the rest,
// the lock-out that ends soonest first. A quarter of the map goes at once, so that a flood of
// new keys does not scan the whole map for each one.
template <typename Key>
void SignInThrottle::prune(std::map<Key, Entry>& entries, int threshold, Clock::time_point now) {
    const std::size_t most = std::max<std::size_t>(limits_.maxEntries, 1);
    if (entries.size() < most) return;
    const std::size_t target = most - std::max<std::size_t>(most / 4, 1);
    for (auto it = entries.begin(); it != entries.end();) {
        forgetOld(it->second, now);
        it = it->second.failures == 0 && it->second.pending == 0 ? entries.erase(it) : std::next(it);
    }
    if (entries.size() <= target) return;
    using Iterator = typename std::map<Key, Entry>::iterator;
    std::vector<Iterator> order;
    order.reserve(entries.size());
    for (auto it = entries.begin(); it != entries.end(); ++it) order.push_back(it);
    auto rank = [&](Iterator it) {
        const Entry& e = it->second;
        const bool harmless = e.pending == 0 && e.lockedUntil <= now && e.failures < threshold;
        return std::tuple(!harmless, harmless ? e.lastFailure : e.lockedUntil);
    };
    const std::size_t excess = entries.size() - target;
    std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(excess - 1), order.end(),
                     [&](Iterator a, Iterator b) { return rank(a) < rank(b); });
    for (std::size_t i = 0; i < excess; ++i) entries.erase(order[i]);
}

template <typename Key>
void SignInThrottle::unpend(std::map<Key, Entry>& entries, const Key& key) {
    auto it = entries.find(key);
    if (it == entries.end()) return;
    if (it->second.pending > 0) --it->second.pending;
    if (it->second.failures == 0 && it->second.pending == 0) entries.erase(it);
}

SignInThrottle::Attempt SignInThrottle::admit(const Subject& subject, const std::string& address,
                                              Clock::time_point now) {
    std::lock_guard lock(mutex_);
    const PairKey pairKey{subject, address};
    Entry* pair = current(pairs_, pairKey, now);
    Entry* byAddress = current(addresses_, address, now);
    Entry* bySubject = current(subjects_, subject, now);
    auto refuse = [&](Clock::duration lockedFor) { return Attempt(nullptr, subject, address, false, {}, lockedFor); };

    Clock::duration locked{};
    for (const Entry* e : {pair, byAddress})
        if (e && e->lockedUntil > now) locked = std::max<Clock::duration>(locked, e->lockedUntil - now);
    if (locked > Clock::duration::zero()) return refuse(locked);
    // Below the threshold, attempts in flight count as failures to come; past it, one at a
    // time, each failure starting a longer lock-out.
    auto mayTry = [](const Entry* e, int threshold) {
        return !e || e->failures + e->pending < threshold || (e->failures >= threshold && e->pending == 0);
    };
    if (!mayTry(pair, limits_.pairLockAfter) || !mayTry(byAddress, limits_.addressLockAfter)) return refuse({});

    Clock::time_point at = now;
    if (pair) at = std::max(at, pair->nextAllowed);
    const bool slowed = bySubject && bySubject->failures >= limits_.subjectSlowAfter;
    if (slowed) at = std::max(at, bySubject->nextAllowed);
    if (at - now > limits_.longestWait) return refuse({});

    // The slots are taken: a parallel attempt waits one more delay.
    Entry& pairEntry = entryFor(pairs_, pairKey, limits_.pairLockAfter, now);
    Entry& addressEntry = entryFor(addresses_, address, limits_.addressLockAfter, now);
    ++pairEntry.pending;
    ++addressEntry.pending;
    pairEntry.nextAllowed = at + delayAfter(pairEntry.failures);
    if (slowed) bySubject->nextAllowed = at + limits_.subjectSpacing;
    return Attempt(this, subject, address, true, at - now, {});
}

void SignInThrottle::recordFailure(const Subject& subject, const std::string& address, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    auto count = [&](Entry& e, int threshold) {
        if (e.pending > 0) --e.pending;
        ++e.failures;
        e.lastFailure = now;
        e.nextAllowed = std::max(e.nextAllowed, now + delayAfter(e.failures));
        if (e.failures >= threshold) e.lockedUntil = now + lockoutAfter(e.failures, threshold);
    };
    count(entryFor(pairs_, PairKey{subject, address}, limits_.pairLockAfter, now), limits_.pairLockAfter);
    count(entryFor(addresses_, address, limits_.addressLockAfter, now), limits_.addressLockAfter);
    Entry& bySubject = entryFor(subjects_, subject, limits_.subjectSlowAfter, now);
    ++bySubject.failures;
    bySubject.lastFailure = now;
}

void SignInThrottle::recordSuccess(const Subject& subject, const std::string& address) {
    std::lock_guard lock(mutex_);
    pairs_.erase(PairKey{subject, address});
    unpend(addresses_, address);
}

void SignInThrottle::release(const Subject& subject, const std::string& address) {
    std::lock_guard lock(mutex_);
    unpend(pairs_, PairKey{subject, address});
    unpend(addresses_, address);
}

SignInThrottle::Sizes SignInThrottle::sizes() const {
    std::lock_guard lock(mutex_);
    return {pairs_.size(), addresses_.size(), subjects_.size()};
}

}  // namespace likenex
