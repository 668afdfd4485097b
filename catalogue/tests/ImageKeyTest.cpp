#include "catalogue/ImageKey.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

TEST(ImageKey, FixedKeysOfTheProgram) {
    EXPECT_EQ(makeImageKey(1, 5, 0, 0, 0, 0), kShadowImageKey);
    EXPECT_EQ(makeImageKey(1, 5, 0, 0, 0, 0), 1050000000);
    EXPECT_EQ(makeImageKey(2, 5, 0, 0, 0, 0), 2050000000);
    EXPECT_EQ(makeImageKey(1, 0, 0, 0, 0, 0), 1000000000);
    for (int d = 0; d < 8; ++d) EXPECT_EQ(makeImageKey(3, 0, 0, d, 0, 0), 3000000000 + 100000 * d);
}

TEST(ImageKey, EveryFieldLandsInItsDigits) {
    EXPECT_EQ(makeImageKey(12, 1, 3, 7, 45, 678), 12013745678);
    EXPECT_EQ(makeImageKey(301, 2, 9, 0, 12, 0), 301029012000);
    EXPECT_EQ(makeImageKey(301, 4, 3, 0, 12, 0), 301043012000);
}

TEST(ImageKey, KindThreeSplitsTheItemAndIgnoresTheTail) {
    EXPECT_EQ(makeImageKey(12345, 3, 0, 0, 0, 0), 345030000012);
    EXPECT_EQ(makeImageKey(12345, 3, 0, 0, 0, 999), 345030000012);
    EXPECT_EQ(makeImageKey(12345, 3, 0, 5, 0, 0), 345030500012);
    EXPECT_EQ(makeImageKey(7, 3, 0, 2, 0, 55), 7030200000);
    EXPECT_EQ(makeImageKey(2147999, 3, 0, 0, 0, 0), 999030002147);
    // Other kinds keep the tail argument.
    EXPECT_EQ(makeImageKey(12345 % 1000, 1, 0, 0, 0, 12), 345010000012);
}

TEST(ImageKey, TheThirtyTwoBitStepWrapsAndIsSignExtended) {
    EXPECT_EQ(makeImageKey(2147, 0, 0, 0, 0, 0), 2147000000000);
    EXPECT_EQ(makeImageKey(2147, 48, 3, 6, 47, 0), 2147483647000);  // the largest value that fits
    EXPECT_EQ(makeImageKey(2147, 48, 3, 6, 48, 0), -2147483648000);
    EXPECT_EQ(makeImageKey(2148, 0, 0, 0, 0, 0), -2146967296000);
    EXPECT_EQ(makeImageKey(2148, 0, 0, 0, 0, 5), -2146967295995);
}

TEST(ImageKey, NegativeFieldsFollowIntegerDivisionAndSignExtension) {
    EXPECT_EQ(makeImageKey(1, 0, 0, 0, 0, -1), 999999999);
    EXPECT_EQ(makeImageKey(-1234, 3, 0, 0, 0, 0), -233970000001);
}

static_assert(makeImageKey(1, 5, 0, 0, 0, 0) == 1050000000, "usable at compile time");

}  // namespace
}  // namespace likenex
