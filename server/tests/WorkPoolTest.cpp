// The bounded pools: what they refuse, what stopping drops, and that running jobs finish.
#include "server/WorkPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace likenex {
namespace {

// A job that holds its thread until released.
struct Gate {
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
};

TEST(WorkPool, RefusesBeyondItsQueueAndDropsWaitingJobsWhenStopped) {
    WorkPool pool("test", 1, 2);
    Gate gate;
    std::promise<void> started;
    std::atomic<int> ran{0};
    ASSERT_TRUE(pool.post([&] {
        started.set_value();
        gate.opened.wait();
        ++ran;
    }));
    started.get_future().wait();
    // The thread is busy: two jobs wait, the third is refused and never runs.
    EXPECT_TRUE(pool.post([&] { ++ran; }));
    EXPECT_TRUE(pool.post([&] { ++ran; }));
    EXPECT_FALSE(pool.post([&] { ++ran; }));
    EXPECT_EQ(pool.waiting(), 2u);
    EXPECT_EQ(pool.running(), 1u);

    // Stopping drops the waiting two; the running one still finishes, and nothing new is taken.
    pool.stop();
    EXPECT_EQ(pool.waiting(), 0u);
    EXPECT_FALSE(pool.post([&] { ++ran; }));
    gate.open.set_value();
    pool.join();
    EXPECT_EQ(ran, 1);
}

TEST(WorkPool, EveryTakenJobRunsOnceAcrossThreads) {
    std::atomic<int> ran{0};
    int taken = 0;
    {
        WorkPool pool("test", 3, 100000);
        for (int i = 0; i < 10000; ++i) taken += pool.post([&] { ++ran; }) ? 1 : 0;
        while (pool.waiting() > 0 || pool.running() > 0) std::this_thread::yield();
    }
    EXPECT_EQ(taken, 10000);
    EXPECT_EQ(ran, 10000);
}

// The server's stop drops what waits but still serves requests that were being read then.
TEST(WorkPool, DroppingTheWaitingJobsKeepsThePoolTakingNewOnes) {
    WorkPool pool("test", 1, 4);
    Gate gate;
    std::promise<void> started;
    std::atomic<int> ran{0};
    ASSERT_TRUE(pool.post([&] {
        started.set_value();
        gate.opened.wait();
        ++ran;
    }));
    started.get_future().wait();
    auto counted = std::make_shared<int>(0);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(pool.post([&ran, counted] { ++ran; }));
    EXPECT_EQ(counted.use_count(), 4);
    EXPECT_EQ(pool.dropWaiting(), 3u);
    EXPECT_EQ(counted.use_count(), 1);  // the dropped jobs are destroyed, and what they held released
    std::promise<void> later;
    ASSERT_TRUE(pool.post([&] {
        ++ran;
        later.set_value();
    }));
    gate.open.set_value();
    later.get_future().wait();
    pool.join();
    EXPECT_EQ(ran, 2);
}

}  // namespace
}  // namespace likenex
