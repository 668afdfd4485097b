#include "render/BmpFile.h"
#include "test_support/BmpDecode.h"

#include <gtest/gtest.h>

#include <array>

namespace likenex {
namespace {

// Two rows of three pixels, bottom row first: bottom = 1, 2, 3; top = 4, 5, 6 (in blue).
std::vector<std::uint8_t> sixPixels() {
    std::vector<std::uint8_t> rows;
    for (std::uint8_t i = 1; i <= 6; ++i) rows.insert(rows.end(), {i, 0x10, 0x20, 0x80});
    return rows;
}

TEST(BmpFile, HeadersDescribeA32BitBottomUpFileAndRowsFollowAsGiven) {
    const auto rows = sixPixels();
    const auto file = encodeBmp32(3, 2, rows);
    ASSERT_EQ(file.size(), 54u + 24u);
    const std::array<std::uint8_t, 54> expected = {
        'B', 'M', 78, 0, 0,  0, 0, 0, 0, 0, 54, 0, 0, 0,         // file header
        40,  0,   0,  0, 3,  0, 0, 0, 2, 0, 0,  0, 1, 0, 32, 0,  // size, width, height, planes, bits
        0,   0,   0,  0, 24, 0, 0, 0,                            // BI_RGB, image bytes
        0,   0,   0,  0, 0,  0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + 54));
    const auto bmp = test::decodeBmp(file);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->at(0, 0), 0x80201004u);  // top left is the first pixel of the second row
    EXPECT_EQ(bmp->at(2, 1), 0x80201003u);
}

TEST(BmpFile, RefusesPixelsThatDoNotMatchTheSize) {
    const auto rows = sixPixels();
    EXPECT_TRUE(encodeBmp32(2, 2, rows).empty());
    EXPECT_TRUE(encodeBmp32(3, 3, rows).empty());
    EXPECT_TRUE(encodeBmp32(-3, -2, rows).empty());
    // A size whose byte count wraps in 32 bits must not pass for a small one.
    EXPECT_TRUE(encodeBmp32(0x40000000, 4, rows).empty());
}

}  // namespace
}  // namespace likenex
