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

}  // namespace
}  // namespace likenex
