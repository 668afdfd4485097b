// The sign-in throttle and the per-address quotas with a clock of the test's own: delays,
// lock-outs and their growth, the owner elsewhere, subjects of different kinds, in-flight
// attempts, and the bound on memory under floods of addresses.
#include "server/AddressQuota.h"
#include "server/SignInThrottle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace likenex {
namespace {

using namespace std::chrono_literals;

using Subject = SignInThrottle::Subject;
const auto kT0 = SignInThrottle::Clock::time_point{} + std::chrono::hours(1);

SignInThrottle::Limits smallLimits() {
    return {.firstDelay = 100ms,
            .longestDelay = 400ms,
            .longestWait = 1000ms,
            .subjectSlowAfter = 10,
            .subjectSpacing = 300ms,
            .memory = std::chrono::hours(1),
            .maxEntries = 1000};
}

// Fails `count` attempts of one subject from one address, each admitted at `now`.
void fail(SignInThrottle& throttle, const Subject& subject, const std::string& address, int count,
          SignInThrottle::Clock::time_point now) {
    for (int i = 0; i < count; ++i) {
        auto attempt = throttle.admit(subject, address, now);
        ASSERT_TRUE(attempt.admitted()) << i;
        attempt.failed(now);
    }
}

TEST(SignInThrottle, DelaysDoubleQueueAndAreForgotten) {
    SignInThrottle throttle(smallLimits());
    const Subject a = Subject::account("a");
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0).wait(), 0ms);
    fail(throttle, a, "1.1.1.1", 1, kT0);
    {
        auto first = throttle.admit(a, "1.1.1.1", kT0);
        auto parallel = throttle.admit(a, "1.1.1.1", kT0);  // queues behind the first
        EXPECT_EQ(first.wait(), 100ms);
        EXPECT_EQ(parallel.wait(), 200ms);
        EXPECT_EQ(throttle.admit(a, "2.2.2.2", kT0).wait(), 0ms);  // the account from elsewhere: not slowed
        EXPECT_EQ(throttle.admit(Subject::account("b"), "1.1.1.1", kT0).wait(), 0ms);
    }
    fail(throttle, a, "1.1.1.1", 2, kT0 + 1s);
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0 + 1s).wait(), 400ms);  // 100, 200, 400: capped
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0 + 2s).wait(), 0ms);    // the delay has passed
    // Forgotten an hour after the last failure.
    fail(throttle, a, "1.1.1.1", 1, kT0 + 2h);
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0 + 2h).wait(), 100ms);
    EXPECT_EQ(throttle.sizes().pairs, 1u);
}

// Guessing from one address ends in a lock-out answered at once; the owner elsewhere goes on.
TEST(SignInThrottle, TheOwnerSignsInFromElsewhereWhileOneAddressIsLockedOut) {
    SignInThrottle throttle(smallLimits());
    const Subject alice = Subject::account("alice");
    fail(throttle, alice, "6.6.6.6", 5, kT0);
    auto refused = throttle.admit(alice, "6.6.6.6", kT0 + 1s);
    EXPECT_FALSE(refused.admitted());
    EXPECT_EQ(refused.lockedFor(), 59s);
    auto owner = throttle.admit(alice, "10.0.0.2", kT0 + 1s);
    ASSERT_TRUE(owner.admitted());
    EXPECT_EQ(owner.wait(), 0ms);
    owner.succeeded();
    // The owner's success clears the owner's pair only.
    EXPECT_FALSE(throttle.admit(alice, "6.6.6.6", kT0 + 2s).admitted());
    // Five failures on one account leave the address free for others, until it fails overall.
    EXPECT_TRUE(throttle.admit(Subject::account("bob"), "6.6.6.6", kT0 + 2s).admitted());
}

TEST(SignInThrottle, LockOutsDoubleUpToAnHourAndAdmitOneAttemptEach) {
    auto limits = smallLimits();
    limits.subjectSlowAfter = 1000;
    SignInThrottle throttle(limits);
    const Subject alice = Subject::account("alice");
    fail(throttle, alice, "6.6.6.6", 5, kT0);
    auto now = kT0;
    std::vector<std::chrono::seconds> lockOuts;
    for (int round = 0; round < 9; ++round) {
        auto refused = throttle.admit(alice, "6.6.6.6", now);
        ASSERT_FALSE(refused.admitted());
        lockOuts.push_back(std::chrono::ceil<std::chrono::seconds>(refused.lockedFor()));
        now += refused.lockedFor();
        auto once = throttle.admit(alice, "6.6.6.6", now);
        ASSERT_TRUE(once.admitted()) << round;
        EXPECT_LE(once.wait(), 400ms);
        EXPECT_FALSE(throttle.admit(alice, "6.6.6.6", now).admitted());  // one at a time
        once.failed(now);
    }
    EXPECT_EQ(lockOuts, (std::vector<std::chrono::seconds>{60s, 120s, 240s, 480s, 960s, 1920s, 3600s, 3600s, 3600s}));
    // A success after a lock-out starts the pair afresh.
    now += 1h;
    auto right = throttle.admit(alice, "6.6.6.6", now);
    ASSERT_TRUE(right.admitted());
    right.succeeded();
    fail(throttle, alice, "6.6.6.6", 4, now);
    EXPECT_TRUE(throttle.admit(alice, "6.6.6.6", now + 1s).admitted());
}

TEST(SignInThrottle, AnAddressFailingOnManyAccountsIsLockedOutForAll) {
    SignInThrottle throttle(smallLimits());
    for (int i = 0; i < 20; ++i) fail(throttle, Subject::account("user" + std::to_string(i)), "6.6.6.6", 1, kT0);
    auto refused = throttle.admit(Subject::account("fresh"), "6.6.6.6", kT0);
    EXPECT_FALSE(refused.admitted());
    EXPECT_EQ(refused.lockedFor(), 60s);
    EXPECT_FALSE(throttle.admit(Subject::avatar(3), "6.6.6.6", kT0).admitted());
    EXPECT_TRUE(throttle.admit(Subject::account("user0"), "10.0.0.2", kT0).admitted());
}

// Attempts in flight count as failures to come: a burst sent at once gets no more guesses
// than attempts made one after another. Attempts dropped unsettled give their places back.
TEST(SignInThrottle, ParallelAttemptsCountTowardsTheLockOut) {
    SignInThrottle throttle(smallLimits());
    const Subject alice = Subject::account("alice");
    {
        std::vector<SignInThrottle::Attempt> burst;
        for (int i = 0; i < 5; ++i) {
            burst.push_back(throttle.admit(alice, "6.6.6.6", kT0));
            ASSERT_TRUE(burst.back().admitted());
        }
        auto sixth = throttle.admit(alice, "6.6.6.6", kT0);
        EXPECT_FALSE(sixth.admitted());
        EXPECT_EQ(sixth.lockedFor(), 0ms);
    }
    EXPECT_EQ(throttle.sizes().pairs, 0u);
    EXPECT_EQ(throttle.sizes().addresses, 0u);
    EXPECT_TRUE(throttle.admit(alice, "6.6.6.6", kT0).admitted());
}

// Guessing one account from many addresses: past the account's threshold every attempt on
// it is spaced, from any address; an attempt that would wait too long is refused at once,
// and the account is never locked.
TEST(SignInThrottle, GuessingFromManyAddressesSlowsTheAccountWithoutLockingIt) {
    SignInThrottle throttle(smallLimits());
    const Subject alice = Subject::account("alice");
    for (int i = 0; i < 9; ++i) fail(throttle, alice, "10.1.0." + std::to_string(i), 1, kT0);
    EXPECT_EQ(throttle.admit(alice, "10.0.0.2", kT0).wait(), 0ms);  // below the threshold
    fail(throttle, alice, "10.1.0.9", 1, kT0);
    std::vector<SignInThrottle::Attempt> queued;
    for (int i = 0; i < 4; ++i) {
        queued.push_back(throttle.admit(alice, "10.2.0." + std::to_string(i), kT0));
        ASSERT_TRUE(queued.back().admitted());
        EXPECT_EQ(queued.back().wait(), i * 300ms);
    }
    auto tooLate = throttle.admit(alice, "10.0.0.2", kT0);
    EXPECT_FALSE(tooLate.admitted());
    EXPECT_EQ(tooLate.lockedFor(), 0ms);
    EXPECT_TRUE(throttle.admit(Subject::account("bob"), "10.0.0.2", kT0).admitted());
    auto later = throttle.admit(alice, "10.0.0.2", kT0 + 10s);
    ASSERT_TRUE(later.admitted());
    EXPECT_EQ(later.wait(), 0ms);
}

// An account named like an avatar's key is a different subject: neither one's failures nor
// successes touch the other.
TEST(SignInThrottle, AnAccountNamedLikeAnAvatarSharesNothingWithIt) {
    SignInThrottle throttle(smallLimits());
    EXPECT_NE(Subject::account("avatar:5"), Subject::avatar(5));
    EXPECT_NE(Subject::account("5"), Subject::avatar(5));
    fail(throttle, Subject::avatar(5), "6.6.6.6", 5, kT0);
    EXPECT_FALSE(throttle.admit(Subject::avatar(5), "6.6.6.6", kT0).admitted());
    for (const char* name : {"avatar:5", "5"}) {
        auto asAccount = throttle.admit(Subject::account(name), "6.6.6.6", kT0);
        ASSERT_TRUE(asAccount.admitted()) << name;
        EXPECT_EQ(asAccount.wait(), 0ms);
        asAccount.succeeded();
    }
    EXPECT_FALSE(throttle.admit(Subject::avatar(5), "6.6.6.6", kT0).admitted());
    fail(throttle, Subject::account("avatar:6"), "7.7.7.7", 1, kT0);
    EXPECT_EQ(throttle.admit(Subject::avatar(6), "7.7.7.7", kT0).wait(), 0ms);
}

// Under a flood of distinct addresses and accounts no map outgrows its maximum, and a
// locked-out address outlives the harmless entries around it.
TEST(SignInThrottle, MemoryStaysBoundedUnderManyAddresses) {
    auto limits = smallLimits();
    limits.maxEntries = 64;
    limits.addressLockAfter = 3;
    limits.firstLockout = 1h;
    SignInThrottle throttle(limits);
    fail(throttle, Subject::account("victim"), "6.6.6.6", 3, kT0);
    auto t = kT0;
    std::size_t mostPairs = 0, mostAddresses = 0, mostSubjects = 0;
    for (int i = 0; i < 100000; ++i) {
        t += 1ms;
        const std::string address =
            "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
        throttle.admit(Subject::account("acct" + std::to_string(i)), address, t).failed(t);
        auto sizes = throttle.sizes();
        mostPairs = std::max(mostPairs, sizes.pairs);
        mostAddresses = std::max(mostAddresses, sizes.addresses);
        mostSubjects = std::max(mostSubjects, sizes.subjects);
    }
    EXPECT_LE(mostPairs, 64u);
    EXPECT_LE(mostAddresses, 64u);
    EXPECT_LE(mostSubjects, 64u);
    EXPECT_GT(mostAddresses, 32u);  // the maps were full: pruning was what held them
    auto locked = throttle.admit(Subject::account("anyone"), "6.6.6.6", t);
    EXPECT_FALSE(locked.admitted());
    EXPECT_GT(locked.lockedFor(), 0ms);
    EXPECT_TRUE(throttle.admit(Subject::account("new"), "9.9.9.9", t).admitted());
}

// With nothing harmless left to drop, even locked-out entries go: the bound holds.
TEST(SignInThrottle, MemoryStaysBoundedWhenEveryAddressIsLockedOut) {
    auto limits = smallLimits();
    limits.maxEntries = 64;
    limits.addressLockAfter = 1;
    limits.pairLockAfter = 1;
    SignInThrottle throttle(limits);
    for (int i = 0; i < 1000; ++i) {
        auto attempt = throttle.admit(Subject::account("acct" + std::to_string(i)),
                                      "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256), kT0);
        ASSERT_TRUE(attempt.admitted()) << i;
        attempt.failed(kT0);
        ASSERT_LE(throttle.sizes().addresses, 64u);
        ASSERT_LE(throttle.sizes().pairs, 64u);
        ASSERT_LE(throttle.sizes().subjects, 64u);
    }
}

TEST(AddressQuota, ABurstUpToTheLimitThenOneEachShare) {
    AddressQuota quota(3, 1h, 100);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(quota.take("1.1.1.1", kT0)) << i;
    EXPECT_FALSE(quota.take("1.1.1.1", kT0));
    EXPECT_FALSE(quota.take("1.1.1.1", kT0 + 19min));
    EXPECT_TRUE(quota.take("1.1.1.1", kT0 + 20min));  // a third of the hour gives one back
    EXPECT_FALSE(quota.take("1.1.1.1", kT0 + 20min));
    EXPECT_TRUE(quota.take("2.2.2.2", kT0));
    quota.giveBack("1.1.1.1");
    EXPECT_TRUE(quota.take("1.1.1.1", kT0 + 20min));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(quota.take("1.1.1.1", kT0 + 2h)) << i;  // whole again

    AddressQuota unlimited(0, 1h, 100);
    for (int i = 0; i < 1000; ++i) EXPECT_TRUE(unlimited.take("1.1.1.1", kT0));
    EXPECT_EQ(unlimited.size(), 0u);
}

TEST(AddressQuota, MemoryStaysBoundedAndAnAddressAtItsLimitIsKept) {
    AddressQuota quota(2, 1h, 64);
    ASSERT_TRUE(quota.take("6.6.6.6", kT0));
    ASSERT_TRUE(quota.take("6.6.6.6", kT0));
    std::size_t most = 0;
    for (int i = 0; i < 100000; ++i) {
        EXPECT_TRUE(quota.take(
            "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256),
            kT0 + std::chrono::milliseconds(i)));
        most = std::max(most, quota.size());
    }
    EXPECT_LE(most, 64u);
    EXPECT_GT(most, 32u);
    EXPECT_FALSE(quota.take("6.6.6.6", kT0 + 100s));
}

}  // namespace
}  // namespace likenex
