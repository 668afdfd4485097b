#include "base/Tick.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

TEST(Tick, ElapsedTimeSurvivesTheWrap) {
    EXPECT_EQ(ticksBetween(100, 350), 250u);
    EXPECT_EQ(ticksBetween(0xFFFFFF00u, 0x10u), 0x110u);
    EXPECT_FALSE(ticksElapsed(0xFFFFFFF0u, 0x5u, 100));
    EXPECT_TRUE(ticksElapsed(0xFFFFFFF0u, 0x60u, 100));
    EXPECT_TRUE(ticksElapsed(7, 7, 0));
}

}  // namespace
}  // namespace likenex
