#include "render/PixelRows.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

TEST(PixelRows, CopyRowsReversedHonoursTheDestinationPitch) {
    const std::vector<std::uint8_t> src = {1, 2, 3, 4, 5, 6};  // three rows of two bytes
    std::vector<std::uint8_t> dst(3 * 4, 0xEE);                // pitch 4: two padding bytes a row
    copyRowsReversed(src.data(), 2, 3, dst.data(), 4);
    EXPECT_EQ(dst, (std::vector<std::uint8_t>{5, 6, 0xEE, 0xEE, 3, 4, 0xEE, 0xEE, 1, 2, 0xEE, 0xEE}));
}

// Pixels as 0xAARRGGBB from converted bottom-up rows, top row first.
std::vector<std::uint32_t> topDown(const std::vector<std::uint8_t>& rows, int width, int height) {
    std::vector<std::uint32_t> out;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rows[static_cast<std::size_t>((y * width + x) * 4)];
            out.push_back(static_cast<std::uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0]);
        }
    return out;
}

TEST(PixelRows, ThirtyTwoBitSurfacesKeepColourAndBecomeOpaque) {
    // Two rows of one pixel, pitch 8; the padding must not leak in.
    const std::vector<std::uint8_t> surface = {0x11, 0x22, 0x33, 0x00, 0xAA, 0xAA, 0xAA, 0xAA,
                                               0x44, 0x55, 0x66, 0x7F, 0xAA, 0xAA, 0xAA, 0xAA};
    for (SurfaceFormat f : {SurfaceFormat::X8R8G8B8, SurfaceFormat::A8R8G8B8}) {
        const auto rows = surfaceToBottomUpBgra(f, surface.data(), 8, 1, 2);
        EXPECT_EQ(topDown(rows, 1, 2), (std::vector<std::uint32_t>{0xFF332211u, 0xFF665544u}));
        // Bottom-up: the surface's last row comes first.
        EXPECT_EQ(rows[0], 0x44);
    }
}

TEST(PixelRows, SixteenBitSurfacesWidenEachChannelToFullRange) {
    // R5G6B5: pure red, green, blue, and a middle grey r=16 g=32 b=16 (0x8410).
    const std::vector<std::uint8_t> r565 = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    EXPECT_EQ(topDown(surfaceToBottomUpBgra(SurfaceFormat::R5G6B5, r565.data(), 8, 4, 1), 4, 1),
              (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF848284u}));
    // X1R5G5B5: red, green, blue, and the unused top bit alone, which is black.
    const std::vector<std::uint8_t> x555 = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x00, 0x80};
    EXPECT_EQ(topDown(surfaceToBottomUpBgra(SurfaceFormat::X1R5G5B5, x555.data(), 8, 4, 1), 4, 1),
              (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF000000u}));
}

}  // namespace
}  // namespace likenex
