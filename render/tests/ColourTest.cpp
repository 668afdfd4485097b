#include "render/Colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace likenex {
namespace {

void expectFloatsMatchInts(const Colour& c) {
    EXPECT_FLOAT_EQ(c.redF, c.red * 0.003921569f);
    EXPECT_FLOAT_EQ(c.greenF, c.green * 0.003921569f);
    EXPECT_FLOAT_EQ(c.blueF, c.blue * 0.003921569f);
    EXPECT_FLOAT_EQ(c.alphaF, c.alpha * 0.003921569f);
}

TEST(Colour, FromPackedSplitsTheBytesInArgbOrder) {
    Colour c = Colour::fromPacked(0x80FF4010u);
    EXPECT_EQ(c.packed, 0x80FF4010u);
    EXPECT_EQ(c.alpha, 0x80);
    EXPECT_EQ(c.red, 0xFF);
    EXPECT_EQ(c.green, 0x40);
    EXPECT_EQ(c.blue, 0x10);
    expectFloatsMatchInts(c);
    EXPECT_NEAR(c.redF, 1.0f, 1e-6f);
}

TEST(Colour, FromIntsPacksOnlyTheLowBytes) {
    Colour c = Colour::fromInts(0x1FF, 2, 3, 0x100);
    EXPECT_EQ(c.packed, 0x00FF0203u);
    EXPECT_EQ(c.red, 0x1FF);
    expectFloatsMatchInts(c);
}

TEST(Colour, FromFloatsTruncatesTowardZero) {
    Colour c = Colour::fromFloats(1.0f, 0.5f, 0.999f, 0.0f);
    EXPECT_EQ(c.red, 255);
    EXPECT_EQ(c.green, 127);  // 127.5 truncated
    EXPECT_EQ(c.blue, 254);   // 254.745 truncated
    EXPECT_EQ(c.alpha, 0);
    EXPECT_EQ(c.packed, 0x00FF7FFEu);
    EXPECT_FLOAT_EQ(c.greenF, 0.5f);
}

TEST(Colour, FromFloatsSaturatesValuesNoIntegerHolds) {
    Colour c = Colour::fromFloats(1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(), -0.5f);
    EXPECT_EQ(c.red, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(c.green, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(c.blue, 0);
    EXPECT_EQ(c.alpha, -127);
}

}  // namespace
}  // namespace likenex
