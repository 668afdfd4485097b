#include "app/FramePacer.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

TEST(FrameSchedule, TheFirstTickIsDueAtOnceAndAnIdleWindowThenWaitsForInput) {
    FrameSchedule schedule;
    EXPECT_EQ(schedule.waitBeforeTick(5000), 0u);
    schedule.beginTick(5000);
    schedule.scheduleAfterTick(5000, DueIn::never());
    EXPECT_EQ(schedule.waitBeforeTick(5000), kWaitForInput);
    EXPECT_EQ(schedule.waitBeforeTick(900000), kWaitForInput) << "however long nothing happens";
}

TEST(FrameSchedule, AChangeIsDrawnNoSoonerThanAPeriodAfterTheLastTick) {
    FrameSchedule schedule;
    schedule.beginTick(1000);
    schedule.scheduleAfterTick(1000, DueIn::never());
    schedule.markChanged();
    EXPECT_EQ(schedule.waitBeforeTick(1005), 15u);
    EXPECT_EQ(schedule.waitBeforeTick(1019), 1u);
    EXPECT_EQ(schedule.waitBeforeTick(1020), 0u);
    EXPECT_EQ(schedule.waitBeforeTick(1500), 0u) << "after a long quiet, input is answered at once";
}

TEST(FrameSchedule, ScheduledChangesWakeTheLoopOnTimeAndAreHeldToThePeriod) {
    FrameSchedule schedule;
    schedule.beginTick(1000);
    schedule.scheduleAfterTick(1000, DueIn::in(100));  // the avatar's next frame
    EXPECT_EQ(schedule.waitBeforeTick(1000), 100u);
    EXPECT_EQ(schedule.waitBeforeTick(1060), 40u);
    EXPECT_EQ(schedule.waitBeforeTick(1100), 0u);
    EXPECT_EQ(schedule.waitBeforeTick(1300), 0u) << "a time passed while the loop was busy is due";

    schedule.beginTick(1300);
    schedule.scheduleAfterTick(1300, DueIn::in(0));  // a frame that lasts no time
    EXPECT_EQ(schedule.waitBeforeTick(1300), 20u) << "the pacing spaces it out";
    EXPECT_EQ(schedule.waitBeforeTick(1320), 0u);
}

TEST(FrameSchedule, TimesAcrossTheClocksWrapKeepTheirDistance) {
    FrameSchedule schedule;
    const Tick late = 0xFFFFFFF0u;
    schedule.beginTick(late);
    schedule.scheduleAfterTick(late, DueIn::in(100));
    EXPECT_EQ(schedule.waitBeforeTick(late + 50), 50u);
    EXPECT_EQ(schedule.waitBeforeTick(late + 100), 0u);
    EXPECT_EQ(schedule.waitBeforeTick(late + 150), 0u);
    schedule.beginTick(late + 150);
    schedule.scheduleAfterTick(late + 150, DueIn::never());
    schedule.markChanged();
    EXPECT_EQ(schedule.waitBeforeTick(late + 155), 15u);
}

TEST(DueIn, TheSoonerOfTwoWinsAndNeverLosesToAnything) {
    EXPECT_EQ(DueIn::never().orSooner(DueIn::in(30)), DueIn::in(30));
    EXPECT_EQ(DueIn::in(30).orSooner(DueIn::never()), DueIn::in(30));
    EXPECT_EQ(DueIn::in(30).orSooner(DueIn::in(10)), DueIn::in(10));
    EXPECT_EQ(DueIn::in(0).orSooner(DueIn::in(10)), DueIn::in(0));
    EXPECT_EQ(DueIn::never().orSooner(DueIn::never()), DueIn::never());
    EXPECT_EQ(ticksLeft(100, 150, 100), 50u);
    EXPECT_EQ(ticksLeft(100, 250, 100), 0u);
    EXPECT_EQ(ticksLeft(0xFFFFFFF0u, 10, 100), 74u);
}

}  // namespace
}  // namespace likenex
