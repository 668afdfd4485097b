#pragma once
// Slows and then locks out failed password attempts: account sign-ins and avatars' access
// passwords alike. Failures are counted three ways:
//
// - per subject and address (the pair): after a failure the pair's next attempt is held a
//   delay that doubles with each failure; after `pairLockAfter` failures the pair is locked
//   out for `firstLockout`, doubling with each further failure up to `longestLockout`, and
//   may then try once per lock-out. An attempt during a lock-out is refused at once.
// - per address, over every subject: after `addressLockAfter` failures the address is
//   locked out the same way.
// - per subject, over every address: after `subjectSlowAfter` failures (guessing from many
//   addresses) attempts on the subject are spaced `subjectSpacing` apart, whoever makes
//   them. The subject is slowed, never locked, so that its owner can still get in.
//
// The owner signing in from another address is never slowed by one address's failures, and
// a success clears only its own pair. Attempts in flight count towards the thresholds, so
// guessing in parallel gains nothing, and no reply is ever held anywhere near the client's
// 30-second limit: an attempt that would wait longer than `longestWait` is refused at once.
// Failures are forgotten `memory` after the last one once no lock-out runs. Every map holds
// at most `maxEntries`; when one is full, forgotten and harmless entries go first and a
// locked-out one only when nothing else is left.
//
// The state belongs to one server process. Several servers behind one load balancer must
// keep each client address on one server (HAProxy's `balance source`), or an address gets
// each server's allowance. Thread-safe.

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace likenex {

class SignInThrottle {
public:
    using Clock = std::chrono::steady_clock;

    // What a password opens. The kind is part of every key, so an account can never share
    // an entry with an avatar's access password, whatever the account is called.
    enum class Kind : std::uint8_t { Account, AvatarAccess };
    struct Subject {
        Kind kind = Kind::Account;
        std::string key;
        [[nodiscard]] static Subject account(std::string nameKey) { return {Kind::Account, std::move(nameKey)}; }
        [[nodiscard]] static Subject avatar(std::int64_t number) {
            return {Kind::AvatarAccess, std::to_string(number)};
        }
        auto operator<=>(const Subject&) const = default;
    };

    struct Limits {
        std::chrono::milliseconds firstDelay{250};
        std::chrono::milliseconds longestDelay{2000};
        std::chrono::milliseconds longestWait{5000};
        int pairLockAfter = 5;
        int addressLockAfter = 20;
        int subjectSlowAfter = 100;
        std::chrono::milliseconds subjectSpacing{1000};
        std::chrono::seconds firstLockout{60};
        std::chrono::seconds longestLockout{3600};
        std::chrono::hours memory{24};
        std::size_t maxEntries = 100000;  // per map
    };

    struct Sizes {
        std::size_t pairs = 0;
        std::size_t addresses = 0;
        std::size_t subjects = 0;
    };

    // One attempt's place. An admitted attempt must be settled with failed() or succeeded();
    // one dropped unsettled (a storage failure, say) gives its place back uncounted.
    class Attempt {
    public:
        Attempt(Attempt&& other) noexcept;
        Attempt& operator=(Attempt&& other) noexcept;
        Attempt(const Attempt&) = delete;
        Attempt& operator=(const Attempt&) = delete;
        ~Attempt();

        [[nodiscard]] bool admitted() const { return admitted_; }
        // How long to hold the answer (admitted attempts).
        [[nodiscard]] Clock::duration wait() const { return wait_; }
        // How much longer a lock-out lasts (refused attempts); zero when refused for too
        // many attempts at once.
        [[nodiscard]] Clock::duration lockedFor() const { return lockedFor_; }
        void failed(Clock::time_point now);
        void succeeded();

    private:
        friend class SignInThrottle;
        Attempt(SignInThrottle* throttle, Subject subject, std::string address, bool admitted, Clock::duration wait,
                Clock::duration lockedFor);
        void settle();

        SignInThrottle* throttle_;  // null once settled, or when refused
        Subject subject_;
        std::string address_;
        bool admitted_;
        Clock::duration wait_;
        Clock::duration lockedFor_;
    };

    SignInThrottle() : SignInThrottle(Limits{}) {}
    explicit SignInThrottle(Limits limits) : limits_(limits) {}

    [[nodiscard]] Attempt admit(const Subject& subject, const std::string& address, Clock::time_point now);

    [[nodiscard]] Sizes sizes() const;

private:
    struct Entry {
        int failures = 0;
        int pending = 0;  // admitted attempts not yet settled
        Clock::time_point lastFailure{};
        Clock::time_point nextAllowed{};
        Clock::time_point lockedUntil{};
    };
    struct PairKey {
        Subject subject;
        std::string address;
        auto operator<=>(const PairKey&) const = default;
    };

    [[nodiscard]] Clock::duration delayAfter(int failures) const;
    [[nodiscard]] Clock::duration lockoutAfter(int failures, int threshold) const;
    void forgetOld(Entry& entry, Clock::time_point now) const;
    template <typename Key>
    Entry* current(std::map<Key, Entry>& entries, const Key& key, Clock::time_point now);
    template <typename Key>
    Entry& entryFor(std::map<Key, Entry>& entries, const Key& key, int threshold, Clock::time_point now);
    template <typename Key>
    void prune(std::map<Key, Entry>& entries, int threshold, Clock::time_point now);

    void recordFailure(const Subject& subject, const std::string& address, Clock::time_point now);
    void recordSuccess(const Subject& subject, const std::string& address);
    void release(const Subject& subject, const std::string& address);
    template <typename Key>
    void unpend(std::map<Key, Entry>& entries, const Key& key);

    Limits limits_;
    mutable std::mutex mutex_;
    std::map<PairKey, Entry> pairs_;
    std::map<std::string, Entry> addresses_;
    std::map<Subject, Entry> subjects_;
};

}  // namespace likenex
