// Bit expansion of monochrome glyphs, the texture and snapshot forms of a block, widths of a
// layout and the ageing of the glyph cache.

#include "render/text/GlyphBlock.h"

#include <gtest/gtest.h>

#include <vector>

namespace likenex {
namespace {

bool scratchSet(const GlyphScratch& scratch, int blockWidth, int row, int column) {
    const std::size_t at = static_cast<std::size_t>(row) * 2 * blockWidth + 2 * column;
    EXPECT_EQ(scratch[at], scratch[at + 1]) << "luminance and alpha differ at " << row << "," << column;
    return scratch[at] == 255;
}

TEST(GlyphBlock, BlockWidthIsTheNextPowerOfTwoCappedAtTheBlock) {
    EXPECT_EQ(blockWidthFor(0), 1);
    EXPECT_EQ(blockWidthFor(1), 1);
    EXPECT_EQ(blockWidthFor(3), 4);
    EXPECT_EQ(blockWidthFor(8), 8);
    EXPECT_EQ(blockWidthFor(9), 16);
    EXPECT_EQ(blockWidthFor(40), 16);
}

TEST(GlyphBlock, ExpandsBitsLeftmostInTheTopBitWithRowsPitchBytesApart) {
    // 10 x 2 bitmap, pitch 3 (a padding byte per row that must not be read as pixels).
    const std::uint8_t bits[] = {0b10000001, 0b01000000, 0xFF, 0b00000000, 0b10000000, 0xFF};
    GlyphScratch scratch;
    scratch.fill(7);  // leftovers of an earlier glyph are cleared
    expandMonoBitmap(MonoBitmap{bits, 10, 2, 3}, 16, scratch);
    std::vector<std::pair<int, int>> set;
    for (int r = 0; r < 16; ++r)
        for (int i = 0; i < 16; ++i)
            if (scratchSet(scratch, 16, r, i)) set.emplace_back(r, i);
    EXPECT_EQ(set, (std::vector<std::pair<int, int>>{{0, 0}, {0, 7}, {0, 9}, {1, 8}}));
}

TEST(GlyphBlock, NarrowBlocksPackRowsAtTheirOwnWidth) {
    const std::uint8_t bits[] = {0b01000000, 0b10000000};  // 3 x 2
    GlyphScratch scratch;
    expandMonoBitmap(MonoBitmap{bits, 3, 2, 1}, 4, scratch);
    EXPECT_TRUE(scratchSet(scratch, 4, 0, 1));
    EXPECT_TRUE(scratchSet(scratch, 4, 1, 0));
    EXPECT_EQ(scratch[2 * 4], 255);  // row 1 starts 8 bytes in
    int count = 0;
    for (std::uint8_t b : scratch) count += b == 255;
    EXPECT_EQ(count, 4);
}

TEST(GlyphBlock, OversizedBitmapsAreClippedToTheBlock) {
    // 40 x 30, every bit set, pitch 5: only the 16 x 16 block is written.
    std::vector<std::uint8_t> bits(5 * 30, 0xFF);
    GlyphScratch scratch;
    expandMonoBitmap(MonoBitmap{bits.data(), 40, 30, 5}, blockWidthFor(40), scratch);
    for (int r = 0; r < 16; ++r)
        for (int i = 0; i < 16; ++i) ASSERT_TRUE(scratchSet(scratch, 16, r, i));
}

TEST(GlyphBlock, BitmapsThatCannotHoldTheirWidthAreReadOnlyAsFarAsTheirBytes) {
    const std::uint8_t bits[] = {0xFF, 0xFF};  // claims 16 wide but the pitch is 1
    GlyphScratch scratch;
    expandMonoBitmap(MonoBitmap{bits, 16, 2, 1}, 16, scratch);
    EXPECT_TRUE(scratchSet(scratch, 16, 1, 7));
    EXPECT_FALSE(scratchSet(scratch, 16, 1, 8));
    expandMonoBitmap(MonoBitmap{nullptr, 8, 8, 1}, 8, scratch);
    expandMonoBitmap(MonoBitmap{bits, 8, 2, -1}, 8, scratch);
    for (std::uint8_t b : scratch) ASSERT_EQ(b, 0);
}

TEST(GlyphBlock, TextureAndCharacterPixelsPutTheTopRowLast) {
    const std::uint8_t bits[] = {0b11000000, 0b00000000, 0b00100000};  // 3 x 3: top row 2 pixels
    GlyphScratch scratch;
    expandMonoBitmap(MonoBitmap{bits, 3, 3, 1}, 4, scratch);

    const auto texture = blockToTexturePixels(scratch, 4);
    ASSERT_EQ(texture.size(), 16u * 16u * 4u);
    auto texel = [&](int row, int column) { return &texture[(static_cast<std::size_t>(row) * 16 + column) * 4]; };
    EXPECT_EQ(texel(15, 0)[3], 255);  // glyph row 0 is the last memory row
    EXPECT_EQ(texel(15, 1)[0], 255);
    EXPECT_EQ(texel(15, 2)[3], 0);
    EXPECT_EQ(texel(13, 2)[3], 255);  // glyph row 2
    EXPECT_EQ(texel(13, 5)[3], 0);

    const auto character = blockToCharacterPixels(scratch, 4);
    ASSERT_EQ(character.size(), 4u * 16u * 4u);
    int lit = 0;
    for (std::size_t i = 0; i < character.size(); i += 4) {
        EXPECT_TRUE(character[i] == 0 || character[i] == 255);
        EXPECT_TRUE(character[i] == character[i + 1] && character[i] == character[i + 2] &&
                    character[i] == character[i + 3]);
        lit += character[i] == 255;
    }
    EXPECT_EQ(lit, 3);
    EXPECT_EQ(character[(15 * 4 + 1) * 4], 255);
    EXPECT_EQ(character[(13 * 4 + 2) * 4], 255);
}

TEST(GlyphBlock, LaidOutWidthCountsWidthBearingAndSpacing) {
    const std::vector<GlyphRecord> records = {{1, 6, 9, 1, 9}, {2, 5, 16, 0, 0}, {3, 7, 12, -1, 12}};
    EXPECT_EQ(laidOutWidth(records, 0, 0), 0);
    EXPECT_EQ(laidOutWidth(records, -3, 0), 0);
    EXPECT_EQ(laidOutWidth(records, 1, 0), 7);
    EXPECT_EQ(laidOutWidth(records, 2, 0), 12);
    EXPECT_EQ(laidOutWidth(records, 3, 0), 18);
    EXPECT_EQ(laidOutWidth(records, 99, 0), 18);
    EXPECT_EQ(laidOutWidth(records, 3, 2), 24);
}

TEST(GlyphCache, EvictsGlyphsUnusedFor180001MillisecondsAndKeepsYoungerOnes) {
    GlyphCache cache;
    std::vector<TextureHandle> released;
    auto release = [&](GlyphRecord& r) { released.push_back(r.texture); };
    cache.insert(u'a', GlyphRecord{11, 5, 9, 0, 9}, 1000);
    cache.insert(u'b', GlyphRecord{12, 5, 9, 0, 9}, 1001);
    cache.evict(1000 + 180000, release);
    EXPECT_TRUE(released.empty());
    cache.evict(1000 + 180001, release);
    EXPECT_EQ(released, std::vector<TextureHandle>{11});
    EXPECT_FALSE(cache.contains(u'a'));
    ASSERT_TRUE(cache.contains(u'b'));

    // A use renews the glyph.
    ASSERT_NE(cache.use(u'b', 100000), nullptr);
    EXPECT_EQ(cache.use(u'b', 100000)->texture, 12u);
    cache.evict(1001 + 180001, release);
    EXPECT_TRUE(cache.contains(u'b'));
    EXPECT_EQ(cache.use(u'z', 0), nullptr);
}

TEST(GlyphCache, AgesAcrossTheClockWrapAndClearReleasesEverything) {
    GlyphCache cache;
    int releases = 0;
    auto release = [&](GlyphRecord&) { ++releases; };
    cache.insert(u'x', GlyphRecord{}, 0xFFFFFF00u);
    cache.evict(0x100u, release);  // 512 ms later, across the wrap
    EXPECT_EQ(releases, 0);
    cache.evict(0xFFFFFF00u + 180001u, release);
    EXPECT_EQ(releases, 1);

    cache.insert(u'x', GlyphRecord{}, 5);
    cache.insert(u'y', GlyphRecord{}, 5);
    cache.clear(release);
    EXPECT_EQ(releases, 3);
    EXPECT_EQ(cache.size(), 0u);
}

}  // namespace
}  // namespace likenex
