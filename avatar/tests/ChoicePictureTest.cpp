#include "avatar/ChoicePicture.h"

#include "catalogue/AvatarArchive.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

std::vector<std::uint8_t> emptyCanvas() { return std::vector<std::uint8_t>(kFrameBytes, 0); }

void paint(std::vector<std::uint8_t>& canvas, int x, int y, std::uint8_t alpha, std::uint8_t blue = 7) {
    const std::size_t at = (static_cast<std::size_t>(y) * kFrameSize + static_cast<std::size_t>(x)) * 4;
    canvas[at] = blue;
    canvas[at + 3] = alpha;
}

TEST(ChoicePicture, CutsToTheVisiblePixelsWithATwoPixelMargin) {
    auto canvas = emptyCanvas();
    paint(canvas, 40, 30, 255, 11);
    paint(canvas, 50, 60, 1, 22);  // barely visible still counts
    const ChoicePicture picture = cropToContent(canvas);
    ASSERT_EQ(picture.width, 50 - 40 + 1 + 4);
    ASSERT_EQ(picture.height, 60 - 30 + 1 + 4);
    ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>(picture.width * picture.height * 4));
    // Rows keep their order; each pixel lands at its place relative to the cut's corner.
    const auto pixel = [&](int x, int y) {
        return picture.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                               static_cast<std::size_t>(x)) *
                              4];
    };
    EXPECT_EQ(pixel(2, 2), 11);
    EXPECT_EQ(pixel(picture.width - 3, picture.height - 3), 22);
    EXPECT_EQ(pixel(0, 0), 0);
}

TEST(ChoicePicture, TheMarginStopsAtTheCanvasEdges) {
    auto canvas = emptyCanvas();
    paint(canvas, 0, 0, 255);
    paint(canvas, kFrameSize - 1, kFrameSize - 1, 255);
    const ChoicePicture picture = cropToContent(canvas);
    EXPECT_EQ(picture.width, kFrameSize);
    EXPECT_EQ(picture.height, kFrameSize);
}

TEST(ChoicePicture, NothingVisibleOrAShortCanvasGivesAnEmptyPicture) {
    auto canvas = emptyCanvas();
    paint(canvas, 64, 64, 0, 200);  // colour without coverage
    EXPECT_TRUE(cropToContent(canvas).empty());
    EXPECT_TRUE(cropToContent(std::vector<std::uint8_t>(kFrameBytes - 1, 255)).empty());
}

}  // namespace
}  // namespace likenex
