#include "catalogue/AvatarArchive.h"
#include "test_support/ArchiveTestSupport.h"
#include "test_support/RecordingRenderer.h"
#include "test_support/SpriteSources.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <limits>
#include <thread>

namespace likenex {
namespace {

using testing::bgra;
using testing::Bytes;
using testing::RecordingRenderer;
using testing::TempDirectory;

using Pixels = std::vector<std::uint8_t>;

SpriteSource sprite(std::int64_t key, int width, int height, int x, int y, const Pixels& fill) {
    return testing::solidSprite(key, width, height, x, y, std::span<const std::uint8_t>(fill));
}

ImageRecord canvasOf(const Pixels& fill) {
    ImageRecord canvas;
    canvas.width = canvas.height = kFrameSize;
    for (int i = 0; i < kFrameSize * kFrameSize; ++i)
        canvas.pixels.insert(canvas.pixels.end(), fill.begin(), fill.end());
    return canvas;
}

Pixels at(const ImageRecord& canvas, int row, int column) {
    auto offset = static_cast<std::size_t>((row * kFrameSize + column) * 4);
    return Pixels(canvas.pixels.begin() + static_cast<std::ptrdiff_t>(offset),
                  canvas.pixels.begin() + static_cast<std::ptrdiff_t>(offset) + 4);
}

class AvatarArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        ColourSet colours;
        for (std::uint32_t j = 0; j < 6; ++j) colours.colours[j] = {10 + j, 20 + j, 30 + j};
        ColourSet wide;  // components past 255 keep only their low byte
        wide.colours[0] = {256, 0x1FF, 0x12345678};
        std::vector<ColourSet> colourFile{colours, wide};
        tables.colour.parse(encodeColourTable(colourFile));
    }
    void TearDown() override { RecordingRenderer::uninstall(); }

    void writeSprites(const std::vector<SpriteSource>& sprites) {
        ASSERT_TRUE(writeAvatarArchive(dir.path(), sprites));
        ASSERT_TRUE(archive.loadAvatarArchive(dir.path()));
    }
    void writeRaw(const Bytes& index, const Bytes& data) {
        dir.write("data/avatar.inx", index.data);
        dir.write("data/avatar.iso", data.data);
        ASSERT_TRUE(archive.loadAvatarArchive(dir.path()));
    }
    Pixels pixelsOf(std::int64_t key, int kind = 0, std::int32_t id = -1) {
        Pixels out;
        EXPECT_TRUE(archive.loadSpritePixels(key, kind, id, out)) << key;
        return out;
    }

    TempDirectory dir;
    ColourTables tables;
    AvatarArchive archive{tables};
};

// ---- index ------------------------------------------------------------------------------

TEST_F(AvatarArchiveTest, KeysSortAsSignedNumbersAndNegativeKeysAreFound) {
    const std::int64_t topBit = static_cast<std::int64_t>(0x8000000000000005ull);
    writeSprites({sprite(3, 1, 1, 0, 0, bgra(3, 3, 3, 255)), sprite(topBit, 1, 1, 0, 0, bgra(1, 1, 1, 255)),
                  sprite(-5, 1, 1, 0, 0, bgra(2, 2, 2, 255))});
    std::vector<std::int64_t> order;
    for (const auto& [key, entry] : archive.index()) order.push_back(key);
    EXPECT_EQ(order, (std::vector<std::int64_t>{topBit, -5, 3}));
    EXPECT_EQ(pixelsOf(topBit), bgra(1, 1, 1, 255));
    EXPECT_EQ(pixelsOf(-5), bgra(2, 2, 2, 255));
    Pixels none;
    EXPECT_FALSE(archive.loadSpritePixels(5, 0, -1, none));
}

TEST_F(AvatarArchiveTest, TheFirstEntryOfAKeyWins) {
    Bytes data;
    data.i32(1).i32(1).i32(0).i32(0).u32(0).u32(0).pixel(1, 2, 3, 4);
    data.i32(1).i32(1).i32(0).i32(0).u32(0).u32(0).pixel(5, 6, 7, 8);
    Bytes index;
    index.u32(2).i64(42).u32(28).u32(28).i64(42).u32(0).u32(28);
    writeRaw(index, data);
    EXPECT_EQ(pixelsOf(42), bgra(5, 6, 7, 8));
}

TEST_F(AvatarArchiveTest, CountZeroLoadsAndFindsNothing) {
    writeRaw(Bytes{}.u32(0), Bytes{}.u32(0));
    EXPECT_TRUE(archive.isLoaded());
    EXPECT_TRUE(archive.index().empty());
    ImageRecord canvas = canvasOf(bgra(0, 0, 0, 0));
    EXPECT_FALSE(archive.compositeSprite(canvas, 0, 0, -1));
}

TEST_F(AvatarArchiveTest, AShortIndexKeepsOnlyItsCompleteEntries) {
    Bytes data;
    data.i32(1).i32(1).i32(0).i32(0).u32(0).u32(0).pixel(1, 2, 3, 4);
    Bytes index;
    index.u32(1000).i64(1).u32(0).u32(28).i64(2).u32(0).u32(28).i64(3).u32(0);  // third entry cut short
    writeRaw(index, data);
    EXPECT_EQ(archive.index().size(), 2u);
    EXPECT_EQ(archive.index().count(3), 0u);
}

TEST_F(AvatarArchiveTest, LoadingFailsWithoutEitherFileOrWithATooLongDirectory) {
    // (Windows cannot delete a mapped file: the broken installs are other folders.)
    writeSprites({sprite(1, 1, 1, 0, 0, bgra(1, 1, 1, 1))});
    TempDirectory noData, noIndex, shortIndex;
    noData.write("data/avatar.inx", Bytes{}.u32(0).data);
    EXPECT_FALSE(archive.loadAvatarArchive(noData.path()));
    EXPECT_FALSE(archive.isLoaded());
    EXPECT_TRUE(archive.index().empty());  // nothing of the earlier load is left

    noIndex.write("data/avatar.iso", {});
    EXPECT_FALSE(archive.loadAvatarArchive(noIndex.path()));

    shortIndex.write("data/avatar.inx", {1, 0});  // not even a count
    shortIndex.write("data/avatar.iso", {0});
    EXPECT_FALSE(archive.loadAvatarArchive(shortIndex.path()));

    // An empty data file is a broken install, as Windows cannot map it.
    TempDirectory emptyData;
    emptyData.write("data/avatar.inx", Bytes{}.u32(0).data);
    emptyData.write("data/avatar.iso", {});
    EXPECT_FALSE(archive.loadAvatarArchive(emptyData.path()));
    EXPECT_FALSE(archive.isLoaded());

    EXPECT_FALSE(archive.loadAvatarArchive(std::string(500, 'x')));
    EXPECT_FALSE(archive.loadAvatarArchive(""));
}

TEST_F(AvatarArchiveTest, AReadOnlyInstallFolderLoads) {
    writeSprites({sprite(7, 1, 1, 0, 0, bgra(9, 9, 9, 9))});
    const testing::ReadOnlyFolder readOnly(dir.path());
    ASSERT_EQ(readOnly.failure(), "");
    AvatarArchive other(tables);
    ASSERT_TRUE(other.loadAvatarArchive(dir.path()));
    Pixels out;
    ASSERT_TRUE(other.loadSpritePixels(7, 0, -1, out));
    EXPECT_EQ(out, bgra(9, 9, 9, 9));
}

// ---- compositing --------------------------------------------------------------------------

TEST_F(AvatarArchiveTest, AlphaZeroNeverTouchesTheCanvas) {
    SpriteSource s = sprite(1, 3, 1, 0, 0, {});
    s.pixels = Bytes{}.pixel(100, 100, 100, 0).pixel(1, 2, 3, 0).pixel(255, 255, 255, 0).data;
    writeSprites({s});
    for (const Pixels& fill : {bgra(40, 50, 60, 255), bgra(40, 50, 60, 0), bgra(0, 0, 0, 7)}) {
        for (std::int32_t id : {-1, 0}) {
            ImageRecord canvas = canvasOf(fill);
            ASSERT_TRUE(archive.compositeSprite(canvas, 1, 0, id));
            EXPECT_EQ(canvas.pixels, canvasOf(fill).pixels) << "colour id " << id;
        }
    }
}

TEST_F(AvatarArchiveTest, HalfAlphaKeyGreyReplacesWithASetAndBlendsWithout) {
    writeSprites({sprite(1, 1, 1, 0, 0, bgra(100, 100, 100, 128))});
    ImageRecord canvas = canvasOf(bgra(10, 20, 30, 255));
    ASSERT_TRUE(archive.compositeSprite(canvas, 1, 0, 0));
    EXPECT_EQ(at(canvas, 127, 0), bgra(30, 20, 10, 128));  // set colour 0 is red 10, green 20, blue 30

    ImageRecord blended = canvasOf(bgra(10, 20, 30, 255));  // (assignment would keep the old pixels)
    ASSERT_TRUE(archive.compositeSprite(blended, 1, 0, -1));
    // (100*128 + c*127) / 255 for c = 10, 20, 30; alpha (128*128 + 255*127) / 255.
    EXPECT_EQ(at(blended, 127, 0), bgra(55, 60, 65, 191));
    EXPECT_EQ(at(blended, 127, 1), bgra(10, 20, 30, 255));
}

TEST_F(AvatarArchiveTest, AGreyThatIsNoKeyGreyIsCopiedUnchangedUnderASet) {
    writeSprites({sprite(1, 1, 1, 0, 0, bgra(200, 200, 200, 128))});
    ImageRecord canvas = canvasOf(bgra(10, 20, 30, 255));
    ASSERT_TRUE(archive.compositeSprite(canvas, 1, 0, 0));
    EXPECT_EQ(at(canvas, 127, 0), bgra(200, 200, 200, 128));
}

TEST(BlendByteTest, EqualsTruncatingDivisionForEverySourceTargetAndAlpha) {
    // Every input the shortcut for the division by 255 can see (all sums up to 255 * 255).
    int wrong = 0;
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned s = 0; s < 256; ++s)
            for (unsigned t = 0; t < 256; ++t) {
                const unsigned exact = (s * a + t * (255 - a)) / 255;
                const unsigned got =
                    blendByte(static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(a));
                if (got != exact && ++wrong <= 5) ADD_FAILURE() << s << " " << t << " alpha " << a << ": " << got;
            }
    EXPECT_EQ(wrong, 0);
}

TEST_F(AvatarArchiveTest, BlendFollowsThePixelRuleForEveryAlphaOverAnyCanvas) {
    // Every sprite alpha over canvas pixels of alpha 0 and of other alphas, with and without a
    // colour set: the row loops against the rule written pixel by pixel with truncating
    // division (opaque pixels and empty canvas pixels give the sprite pixel, alpha 0 leaves
    // the canvas). The narrower sprite leaves pixels over at the end of each row (the
    // one-pixel path).
    ImageRecord canvas = canvasOf({});
    for (int i = 0; i < kFrameSize * kFrameSize; ++i) {
        auto v = [&](int k) { return static_cast<std::uint8_t>((i * k + 13) % 256); };
        canvas.pixels.insert(canvas.pixels.end(), {v(3), v(5), v(17), i % 7 == 0 ? std::uint8_t{0} : v(19)});
    }
    std::vector<SpriteSource> sprites{sprite(1, 128, 128, 0, 0, {}), sprite(2, 123, 128, 3, 0, {})};
    for (SpriteSource& s : sprites)
        for (int i = 0; i < s.width * s.height; ++i) {
            auto v = [&](int k) { return static_cast<std::uint8_t>((i * k + 13) % 256); };
            const std::uint8_t grey = keyGreys[static_cast<std::size_t>(i % 6)];
            if (i % 3 == 0) s.pixels.insert(s.pixels.end(), {grey, grey, grey, v(37)});
            else s.pixels.insert(s.pixels.end(), {v(7), v(11), v(29), i % 5 == 0 ? std::uint8_t{0} : v(41)});
        }
    writeSprites(sprites);
    std::array<std::array<bool, 2>, 256> seen{};  // [sprite alpha][canvas alpha is 0]
    for (const SpriteSource& s : sprites)
        for (std::int32_t id : {-1, 0}) {
            ImageRecord got = canvas;
            got.pixels = canvas.pixels;  // (a copy of the record leaves its pixels behind)
            ASSERT_TRUE(archive.compositeSprite(got, s.key, 0, id));
            Pixels source = s.pixels;
            for (std::size_t q = 0; id >= 0 && q < source.size(); q += 4)  // the recolouring rule, by hand
                for (std::size_t g = 0; g < keyGreys.size(); ++g)
                    if (source[q] == keyGreys[g] && source[q + 1] == keyGreys[g] && source[q + 2] == keyGreys[g]) {
                        const auto& colour = tables.colour.find(id)->colours[g];
                        source[q] = static_cast<std::uint8_t>(colour[2]);
                        source[q + 1] = static_cast<std::uint8_t>(colour[1]);
                        source[q + 2] = static_cast<std::uint8_t>(colour[0]);
                    }
            for (int r = 0; r < kFrameSize; ++r)
                for (int c = 0; c < kFrameSize; ++c) {
                    Pixels want = at(canvas, r, c);
                    if (c >= s.x && c < s.x + s.width) {
                        const std::uint8_t* p = &source[static_cast<std::size_t>((r * s.width + c - s.x) * 4)];
                        const unsigned a = p[3], d = want[3];
                        seen[a][d == 0] = true;
                        if (a != 0 && (id >= 0 || d == 0)) want.assign(p, p + 4);
                        else if (a != 0)
                            for (std::size_t k = 0; k < 4; ++k)
                                want[k] =
                                    static_cast<std::uint8_t>(((k == 3 ? a : p[k]) * a + want[k] * (255 - a)) / 255);
                    }
                    ASSERT_EQ(at(got, r, c), want)
                        << "key " << s.key << " row " << r << " column " << c << " colour " << id;
                }
        }
    for (int a = 0; a < 256; ++a)
        EXPECT_TRUE(seen[static_cast<std::size_t>(a)][0] && seen[static_cast<std::size_t>(a)][1]) << a;
}

TEST_F(AvatarArchiveTest, StoredRowsLandBottomUpFromTheFramePosition) {
    // Stored row 0 is the picture's bottom row (texture order); y counts down from the frame top.
    SpriteSource small = sprite(1, 2, 3, 5, 7, {});
    for (std::uint8_t r = 0; r < 3; ++r)
        for (std::uint8_t c = 0; c < 2; ++c) small.pixels.insert(small.pixels.end(), {r, c, 1, 255});
    SpriteSource full = sprite(2, 128, 128, 0, 0, {});
    for (int r = 0; r < 128; ++r)
        for (int c = 0; c < 128; ++c)
            full.pixels.insert(full.pixels.end(), {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(c), 2, 255});
    writeSprites({small, full});

    ImageRecord canvas = canvasOf(bgra(0, 0, 0, 0));
    ASSERT_TRUE(archive.compositeSprite(canvas, 1, 0, -1));
    int touched = 0;
    for (int row = 0; row < 128; ++row)
        for (int column = 0; column < 128; ++column) {
            Pixels p = at(canvas, row, column);
            if (p[3] == 0) continue;
            ++touched;
            EXPECT_EQ(p, bgra(static_cast<std::uint8_t>(row - 118), static_cast<std::uint8_t>(column - 5), 1, 255));
        }
    EXPECT_EQ(touched, 6);  // rows 118..120 (128 - 7 - 3 ...), columns 5..6

    ASSERT_TRUE(archive.compositeSprite(canvas, 2, 0, -1));
    EXPECT_EQ(at(canvas, 0, 0), bgra(0, 0, 2, 255));          // first stored row on canvas row 0
    EXPECT_EQ(at(canvas, 127, 127), bgra(127, 127, 2, 255));  // top row of the picture at the top
}

TEST_F(AvatarArchiveTest, ColourSelectionFailsForBadKindsAndAbsentSets) {
    writeSprites({sprite(1, 1, 1, 0, 0, bgra(100, 100, 100, 255))});
    const ImageRecord fresh = canvasOf(bgra(1, 2, 3, 4));
    struct Case {
        int kind;
        std::int32_t id;
        bool ok;
    };
    for (Case c : {Case{2, -1, false}, Case{-1, -1, false}, Case{0, 2, false}, Case{1, 0, false}, Case{1, -1, true},
                   Case{0, -7, true}, Case{0, 1, true}}) {
        ImageRecord canvas = canvasOf(bgra(1, 2, 3, 4));
        EXPECT_EQ(archive.compositeSprite(canvas, 1, c.kind, c.id), c.ok) << c.kind << " " << c.id;
        if (!c.ok) {
            EXPECT_EQ(canvas.pixels, fresh.pixels);
        }
        Pixels out{42};
        EXPECT_EQ(archive.loadSpritePixels(1, c.kind, c.id, out), c.ok);
        if (!c.ok) {
            EXPECT_EQ(out, Pixels{42});
        }
        EXPECT_EQ(archive.loadSpriteImage(RecordingRenderer::painter(), 1, c.kind, c.id).empty(), !c.ok);
    }
    EXPECT_EQ(RecordingRenderer::current().created, 3);  // no texture for a failed selection
}

TEST_F(AvatarArchiveTest, RecolouringReplacesEachKeyGreyWithItsColourLowBytesOnly) {
    SpriteSource s = sprite(1, 9, 1, 0, 0, {});
    Bytes p;
    for (std::uint8_t k : keyGreys) p.pixel(k, k, k, k);
    p.pixel(100, 100, 101, 255).pixel(0, 0, 0, 255).pixel(181, 181, 181, 255);
    s.pixels = p.data;
    writeSprites({s});
    Bytes expected;
    for (std::uint8_t j = 0; j < 6; ++j)
        expected.pixel(static_cast<std::uint8_t>(30 + j), static_cast<std::uint8_t>(20 + j),
                       static_cast<std::uint8_t>(10 + j), keyGreys[j]);
    expected.pixel(100, 100, 101, 255).pixel(0, 0, 0, 255).pixel(181, 181, 181, 255);
    EXPECT_EQ(pixelsOf(1, 0, 0), expected.data);
    EXPECT_EQ(pixelsOf(1, 0, -1), s.pixels);

    // Set 1: red 256 -> 0, green 0x1FF -> 255, blue 0x12345678 -> 0x78.
    Pixels wide = pixelsOf(1, 0, 1);
    EXPECT_EQ(Pixels(wide.begin(), wide.begin() + 4), bgra(0x78, 255, 0, 100));
}

// ---- records that lie ---------------------------------------------------------------------

TEST_F(AvatarArchiveTest, MalformedRecordsAreRefusedByAllThreeOperations) {
    Bytes data;
    data.i32(1).i32(1).i32(0).i32(0).u32(0).u32(0).pixel(1, 2, 3, 255);  // a good record at 0
    const std::uint32_t end = static_cast<std::uint32_t>(data.data.size());
    data.i32(1).i32(1).i32(0).i32(0).u32(0).u32(0).pixel(1, 2, 3, 255).pixel(0, 0, 0, 0);  // at 28, 8 pixel bytes
    const std::uint32_t neg = static_cast<std::uint32_t>(data.data.size());
    data.i32(-1).i32(-1).i32(0).i32(0).u32(0).u32(0).pixel(0, 0, 0, 0);
    const std::uint32_t wrap = static_cast<std::uint32_t>(data.data.size());
    data.i32(0x7FFFFFFF).i32(0x7FFFFFFF).i32(0).i32(0).u32(0).u32(0).pixel(0, 0, 0, 0);  // 4*W*H wraps to 4
    const std::uint32_t total = static_cast<std::uint32_t>(data.data.size());

    Bytes index;
    index.u32(8);
    index.i64(1).u32(0).u32(28);                 // good
    index.i64(2).u32(end).u32(36);               // size does not match W and H
    index.i64(3).u32(0).u32(10);                 // smaller than the header
    index.i64(4).u32(total).u32(28);             // starts at the end of the file
    index.i64(5).u32(neg).u32(total - neg + 4);  // runs past the end
    index.i64(6).u32(neg).u32(28);               // negative size
    index.i64(7).u32(0xFFFFFFF0u).u32(0x20);     // offset + size wraps in 32 bits
    index.i64(8).u32(wrap).u32(28);              // pixel count wraps in 32 bits
    writeRaw(index, data);

    EXPECT_EQ(pixelsOf(1), bgra(1, 2, 3, 255));
    const ImageRecord fresh = canvasOf(bgra(5, 5, 5, 5));
    for (std::int64_t key = 2; key <= 8; ++key) {
        ImageRecord canvas = canvasOf(bgra(5, 5, 5, 5));
        EXPECT_FALSE(archive.compositeSprite(canvas, key, 0, -1)) << key;
        EXPECT_EQ(canvas.pixels, fresh.pixels);
        Pixels out{1, 2};
        EXPECT_FALSE(archive.loadSpritePixels(key, 0, 0, out)) << key;
        EXPECT_EQ(out, (Pixels{1, 2}));
        EXPECT_TRUE(archive.loadSpriteImage(RecordingRenderer::painter(), key, 0, -1).empty()) << key;
    }
    EXPECT_EQ(RecordingRenderer::current().created, 0);
}

TEST_F(AvatarArchiveTest, OnlyTheCanvasRefusesSpritesOutsideTheFrame) {
    // Scene pictures may be larger than a frame: as pictures and pixels they still load.
    writeSprites({sprite(1, 16, 1, 120, 0, bgra(1, 1, 1, 255)), sprite(2, 1, 1, -1, 0, bgra(1, 1, 1, 255)),
                  sprite(3, 1, 1, 0, -1, bgra(1, 1, 1, 255)), sprite(4, 1, 2, 0, 127, bgra(1, 1, 1, 255)),
                  sprite(5, 200, 2, 0, 0, bgra(1, 1, 1, 255)), sprite(6, 1, 1, 127, 127, bgra(1, 1, 1, 255))});
    for (std::int64_t key = 1; key <= 5; ++key) {
        ImageRecord canvas = canvasOf(bgra(0, 0, 0, 0));
        EXPECT_FALSE(archive.compositeSprite(canvas, key, 0, -1)) << key;
        EXPECT_EQ(canvas.pixels, canvasOf(bgra(0, 0, 0, 0)).pixels);
    }
    EXPECT_EQ(pixelsOf(5).size(), 200u * 2 * 4);
    ImageRecord canvas = canvasOf(bgra(0, 0, 0, 0));
    EXPECT_TRUE(archive.compositeSprite(canvas, 6, 0, -1));  // the last corner still fits
    EXPECT_EQ(at(canvas, 0, 127), bgra(1, 1, 1, 255));

    ImageRecord tooSmall;
    tooSmall.pixels.resize(kFrameBytes - 4);
    EXPECT_FALSE(archive.compositeSprite(tooSmall, 6, 0, -1));
}

TEST_F(AvatarArchiveTest, PixelsBeyondTheScratchBufferAreRefused) {
    SpriteSource big = sprite(1, 512, 257, 0, 0, bgra(1, 1, 1, 1));   // 526,336 bytes
    SpriteSource fits = sprite(2, 512, 256, 0, 0, bgra(2, 2, 2, 2));  // exactly 512 KiB
    writeSprites({big, fits});
    Pixels out;
    EXPECT_FALSE(archive.loadSpritePixels(1, 0, -1, out));
    EXPECT_TRUE(archive.loadSpriteImage(RecordingRenderer::painter(), 1, 0, -1).empty());
    EXPECT_TRUE(archive.loadSpritePixels(2, 0, -1, out));
    EXPECT_EQ(out, fits.pixels);
}

// ---- pictures and pixels --------------------------------------------------------------------

TEST_F(AvatarArchiveTest, ASpriteImageCarriesItsHeaderAndATextureOfRecolouredPixels) {
    SpriteSource s = sprite(9, 2, 1, 3, 4, {});
    s.word16 = 0xDEADBEEF;
    s.word20 = 17;
    s.pixels = Bytes{}.pixel(180, 180, 180, 255).pixel(7, 8, 9, 10).data;
    writeSprites({s});

    ImageRecord image = archive.loadSpriteImage(RecordingRenderer::painter(), 9, 0, 0);
    EXPECT_EQ(image.layoutWidth, 0xDEADBEEFu);
    EXPECT_EQ(image.layoutHeight, 17u);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.xOffset, 3);
    EXPECT_EQ(image.yOffset, 4);
    EXPECT_TRUE(image.pixels.empty());
    auto& live = RecordingRenderer::current().live;
    ASSERT_EQ(live.count(image.texture), 1u);
    EXPECT_EQ(live[image.texture].width, 2);
    EXPECT_EQ(live[image.texture].pixels, Bytes{}.pixel(31, 21, 11, 255).pixel(7, 8, 9, 10).data);

    RecordingRenderer::current().failCreate = true;
    ImageRecord noTexture =
        archive.loadSpriteImage(RecordingRenderer::painter(), 9, 0, -1);  // a record without a texture
    EXPECT_EQ(noTexture.texture, 0u);
    EXPECT_EQ(noTexture.width, 2);

    // The record alone: the same header, and nothing asked of the renderer.
    const int created = RecordingRenderer::current().created;
    RecordingRenderer::current().calls.clear();
    ImageRecord record = archive.loadSpriteRecord(9, 0, 0);
    EXPECT_EQ(record.layoutWidth, 0xDEADBEEFu);
    EXPECT_EQ(record.width, 2);
    EXPECT_EQ(record.yOffset, 4);
    EXPECT_EQ(record.texture, 0u);
    EXPECT_EQ(RecordingRenderer::current().created, created);
    EXPECT_TRUE(RecordingRenderer::current().calls.empty());
    EXPECT_TRUE(archive.loadSpriteRecord(9, 7, 0).empty()) << "an unknown colour kind";
    EXPECT_TRUE(archive.loadSpriteRecord(10, 0, -1).empty()) << "a missing key";
}

TEST_F(AvatarArchiveTest, PixelsReplaceTheWholeOutputBuffer) {
    writeSprites({sprite(1, 2, 2, 0, 0, bgra(4, 3, 2, 1))});
    Pixels out(1000, 0xAB);
    ASSERT_TRUE(archive.loadSpritePixels(1, 0, -1, out));
    EXPECT_EQ(out.size(), 16u);
}

TEST_F(AvatarArchiveTest, ParallelCallsNeverMixTheirSprites) {
    std::vector<SpriteSource> sprites;
    for (std::uint8_t k = 1; k <= 4; ++k) sprites.push_back(sprite(k, 64, 64, 0, 0, bgra(k, k, k, 255)));
    writeSprites(sprites);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (std::uint8_t k = 1; k <= 4; ++k)
        threads.emplace_back([&, k] {
            for (int n = 0; n < 50; ++n) {
                Pixels out;
                ImageRecord canvas = canvasOf(bgra(0, 0, 0, 0));
                if (!archive.loadSpritePixels(k, 0, -1, out) || out != sprites[k - 1u].pixels) ++wrong;
                if (!archive.compositeSprite(canvas, k, 0, -1) || at(canvas, 127, 63) != bgra(k, k, k, 255)) ++wrong;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong, 0);
}

// ---- writer -------------------------------------------------------------------------------

TEST_F(AvatarArchiveTest, WrittenArchivesReadBackRecordForRecord) {
    std::vector<SpriteSource> sprites;
    std::uint32_t seed = 12345;
    for (int n = 0; n < 20; ++n) {
        SpriteSource s = sprite(std::int64_t{1} << (n * 3) ^ -n, 1 + n % 7, 1 + n % 5, n, 127 - (1 + n % 5), {});
        s.word16 = static_cast<std::uint32_t>(n);
        s.word20 = static_cast<std::uint32_t>(~n);
        for (int i = 0; i < s.width * s.height * 4; ++i) {
            seed = seed * 1103515245u + 12345u;
            s.pixels.push_back(static_cast<std::uint8_t>(seed >> 16));
        }
        sprites.push_back(s);
    }
    writeSprites(sprites);
    ASSERT_EQ(archive.index().size(), sprites.size());
    std::uint32_t offset = 0;
    for (const SpriteSource& s : sprites) {
        EXPECT_EQ(archive.index().at(s.key), (ArchiveEntry{offset, static_cast<std::uint32_t>(24 + s.pixels.size())}));
        offset += static_cast<std::uint32_t>(24 + s.pixels.size());
        EXPECT_EQ(pixelsOf(s.key), s.pixels);
        ImageRecord image = archive.loadSpriteImage(RecordingRenderer::painter(), s.key, 1, -1);
        EXPECT_EQ(image.width, s.width);
        EXPECT_EQ(image.yOffset, s.y);
        EXPECT_EQ(image.layoutHeight, s.word20);
        ImageRecord canvas = canvasOf(bgra(0, 0, 0, 0));
        EXPECT_TRUE(archive.compositeSprite(canvas, s.key, 1, -1));
    }

    SpriteSource lying = sprite(1, 2, 2, 0, 0, bgra(1, 1, 1, 1));
    lying.pixels.pop_back();
    EXPECT_FALSE(encodeAvatarArchive(std::vector<SpriteSource>{lying}).has_value());
    SpriteSource negative = sprite(1, 0, 0, 0, 0, {});
    negative.width = -1;
    EXPECT_FALSE(encodeAvatarArchive(std::vector<SpriteSource>{negative}).has_value());
}

// ---- loading from bytes -----------------------------------------------------------------

TEST_F(AvatarArchiveTest, BytesLoadKeepsTheDataAndRefusesRecordsPastItsEnd) {
    Bytes data;
    data.i32(1).i32(1).i32(0).i32(0).u32(0).u32(0).pixel(1, 2, 3, 4);
    Bytes index;  // key 1 ends exactly at the end; key 2 runs one byte past it
    index.u32(2).i64(1).u32(0).u32(28).i64(2).u32(1).u32(28);
    ASSERT_TRUE(archive.loadAvatarArchive(index.data, data.data));
    EXPECT_TRUE(archive.isLoaded());
    EXPECT_EQ(pixelsOf(1), bgra(1, 2, 3, 4));
    Pixels none;
    EXPECT_FALSE(archive.loadSpritePixels(2, 0, -1, none));
    EXPECT_FALSE(archive.loadAvatarArchive(Bytes{}.data, data.data));  // no count
    EXPECT_FALSE(archive.isLoaded());
    EXPECT_FALSE(archive.loadSpritePixels(1, 0, -1, none));
}

TEST_F(AvatarArchiveTest, LoadingFromFilesDropsDataLoadedFromBytes) {
    Bytes data;
    data.i32(1).i32(1).i32(0).i32(0).u32(0).u32(0).pixel(1, 2, 3, 4);
    ASSERT_TRUE(archive.loadAvatarArchive(Bytes{}.u32(1).i64(7).u32(0).u32(28).data, data.data));
    writeSprites({sprite(8, 1, 1, 0, 0, bgra(9, 9, 9, 255))});
    EXPECT_EQ(pixelsOf(8), bgra(9, 9, 9, 255));
    Pixels none;
    EXPECT_FALSE(archive.loadSpritePixels(7, 0, -1, none));
}

}  // namespace
}  // namespace likenex
