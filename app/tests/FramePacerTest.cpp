#include "app/FramePacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace likenex {
namespace {

// Time moves only when the code under test sleeps.
class FakeClock : public FrameClock {
public:
    explicit FakeClock(std::uint32_t start = 0) : now(start) {}
    std::uint32_t tickCount() override { return now; }
    std::uint32_t loopTime() override { return now; }
    void sleep(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    std::uint32_t now;
    std::vector<std::uint32_t> sleeps;
};

TEST(FramePacer, WaitIsWhatIsLeftOfThePeriod) {
    EXPECT_EQ(frameWaitAfter(5, kFramePeriod), 15u);
    EXPECT_EQ(frameWaitAfter(0, kFramePeriod), 20u);
    EXPECT_EQ(frameWaitAfter(19, kFramePeriod), 1u);
    EXPECT_EQ(frameWaitAfter(20, kFramePeriod), 0u);
    EXPECT_EQ(frameWaitAfter(35, kFramePeriod), 0u);
    EXPECT_EQ(frameWaitAfter(0, 0), 0u);
    EXPECT_EQ(frameWaitAfter(0, -5), 0u);
}

TEST(FramePacer, ActiveWindowSleepsInOneMillisecondSteps) {
    FakeClock clock;
    waitFor(clock, 15, true);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>(15, 1));
}

TEST(FramePacer, HiddenWindowSleepsInTenMillisecondSteps) {
    FakeClock clock;
    waitFor(clock, 15, false);
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{10, 10}));
}

TEST(FramePacer, ZeroWaitDoesNotSleep) {
    FakeClock clock;
    waitFor(clock, 0, true);
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST(FramePacer, WaitSurvivesTheTickCounterWrapping) {
    FakeClock clock(0xFFFFFFF8u);
    waitFor(clock, 15, true);
    EXPECT_EQ(clock.sleeps.size(), 15u);
    EXPECT_EQ(clock.now, 7u);
}

}  // namespace
}  // namespace likenex
