// PNG and animated PNG files checked from outside: a chunk walk of our own with its own CRC,
// and libpng (which knows nothing of the animation chunks) decoding the pictures.
#include "render/PngFile.h"
#include "test_support/PngChunks.h"
#include "test_support/PngDecode.h"

#include <gtest/gtest.h>

#include <string>

namespace likenex {
namespace {

using test::apngDelays;
using test::bigEndian32;
using test::decodePng;
using test::PngChunk;
using test::pngChunks;

// A picture with a gradient, transparent and half-transparent parts, different per `seed`.
RgbaPicture picture(int width, int height, int seed) {
    RgbaPicture p{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* px = &p.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            px[0] = static_cast<std::uint8_t>(x * 7 + seed * 31);
            px[1] = static_cast<std::uint8_t>(y * 5 + seed);
            px[2] = static_cast<std::uint8_t>((x ^ y) * 3);
            px[3] = x < width / 4 ? 0 : (y < height / 3 ? 128 : 255);
        }
    return p;
}

TEST(PngFile, StillPictureDecodesToTheSamePixelsAndMalformedPicturesAreRefused) {
    const RgbaPicture p = picture(37, 21, 1);
    const std::vector<std::uint8_t> file = encodePng(p);
    const auto chunks = pngChunks(file);
    ASSERT_TRUE(chunks);
    ASSERT_EQ(chunks->size(), 3u);
    EXPECT_EQ((*chunks)[0].type, "IHDR");
    EXPECT_EQ((*chunks)[1].type, "IDAT");
    EXPECT_EQ((*chunks)[2].type, "IEND");
    EXPECT_EQ(decodePng(file), p);
    // The walk itself notices a broken CRC.
    std::vector<std::uint8_t> broken = file;
    broken[20] ^= 1;
    EXPECT_FALSE(pngChunks(broken));

    EXPECT_TRUE(encodePng(RgbaPicture{}).empty());
    EXPECT_TRUE(encodePng(RgbaPicture{2, 2, std::vector<std::uint8_t>(15)}).empty());
    EXPECT_TRUE(encodePng(RgbaPicture{-2, -2, std::vector<std::uint8_t>(16)}).empty());
    EXPECT_TRUE(encodePng(RgbaPicture{1 << 20, 1 << 20, std::vector<std::uint8_t>(16)}).empty());
}

TEST(PngFile, AnimationHasItsControlChunksInOrderAndEveryFrameDecodes) {
    const std::vector<std::uint32_t> delays{100, 20, 700, 70000};
    std::vector<RgbaPicture> frames;
    AnimatedPngWriter writer(24, 16, static_cast<std::uint32_t>(delays.size()));
    for (std::size_t i = 0; i < delays.size(); ++i) {
        frames.push_back(picture(24, 16, static_cast<int>(i)));
        ASSERT_TRUE(writer.addFrame(frames.back(), delays[i]));
    }
    const std::vector<std::uint8_t> file = writer.finish();
    const auto walked = pngChunks(file);
    ASSERT_TRUE(walked);
    const std::vector<PngChunk>& chunks = *walked;

    // IHDR, acTL, then fcTL + IDAT for the first frame and fcTL + fdAT for the others, IEND.
    std::vector<std::string> types;
    for (const PngChunk& c : chunks) types.push_back(c.type);
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "acTL", "fcTL", "IDAT", "fcTL", "fdAT", "fcTL", "fdAT", "fcTL",
                                               "fdAT", "IEND"}));
    ASSERT_EQ(chunks.size(), 11u);
    ASSERT_EQ(chunks[1].data.size(), 8u);
    EXPECT_EQ(bigEndian32(&chunks[1].data[0]), 4u);  // frames
    EXPECT_EQ(bigEndian32(&chunks[1].data[4]), 0u);  // loops forever
    EXPECT_EQ(apngDelays(chunks), delays);

    // Sequence numbers run 0, 1, 2, ... over fcTL and fdAT together.
    std::uint32_t sequence = 0;
    for (const PngChunk& c : chunks) {
        if (c.type == "fcTL") {
            ASSERT_EQ(c.data.size(), 26u);
            EXPECT_EQ(bigEndian32(&c.data[0]), sequence++);
            EXPECT_EQ(bigEndian32(&c.data[4]), 24u);
            EXPECT_EQ(bigEndian32(&c.data[8]), 16u);
            EXPECT_EQ(bigEndian32(&c.data[12]), 0u);
            EXPECT_EQ(bigEndian32(&c.data[16]), 0u);
            EXPECT_EQ(c.data[24], 0);  // dispose: none
            EXPECT_EQ(c.data[25], 0);  // blend: source
        } else if (c.type == "fdAT") {
            EXPECT_EQ(bigEndian32(&c.data[0]), sequence++);
        }
    }

    // libpng shows the first frame as the file's image.
    EXPECT_EQ(decodePng(file), frames[0]);
    // Each later frame, its fdAT data put into a PNG of its own as IDAT, decodes to its pixels.
    std::size_t index = 1;
    for (const PngChunk& c : chunks) {
        if (c.type != "fdAT") continue;
        std::vector<std::uint8_t> still(file.begin(), file.begin() + 8);
        test::putPngChunk(still, "IHDR", chunks[0].data.data(), chunks[0].data.size());
        test::putPngChunk(still, "IDAT", c.data.data() + 4, c.data.size() - 4);
        test::putPngChunk(still, "IEND", nullptr, 0);
        EXPECT_EQ(decodePng(still), frames[index]) << "frame " << index;
        ++index;
    }
}

TEST(PngFile, DelaysKeepMillisecondsWhileTheyFitAndCoarsenAfter) {
    auto delay = [](std::uint32_t ms) {
        const PngDelay d = pngDelayOf(ms);
        return std::pair<int, int>(d.numerator, d.denominator);
    };
    EXPECT_EQ(delay(0), std::make_pair(0, 1000));
    EXPECT_EQ(delay(20), std::make_pair(20, 1000));
    EXPECT_EQ(delay(65535), std::make_pair(65535, 1000));
    EXPECT_EQ(delay(65536), std::make_pair(6553, 100));
    EXPECT_EQ(delay(700000), std::make_pair(7000, 10));
    EXPECT_EQ(delay(65535000), std::make_pair(65535, 1));
    EXPECT_EQ(delay(70000000), std::make_pair(65535, 1));  // past the coarsest unit: the longest delay
    EXPECT_EQ(delay(0xFFFFFFFFu), std::make_pair(65535, 1));
}

TEST(PngFile, WriterRefusesFramesThatDoNotFitWhatItAnnounced) {
    const RgbaPicture p = picture(8, 8, 0);
    {
        AnimatedPngWriter w(8, 8, 2);
        ASSERT_TRUE(w.addFrame(p, 10));
        EXPECT_TRUE(w.finish().empty());  // one frame short
    }
    {
        AnimatedPngWriter w(8, 8, 1);
        ASSERT_TRUE(w.addFrame(p, 10));
        EXPECT_FALSE(w.addFrame(p, 10));  // one too many
        EXPECT_TRUE(w.finish().empty());
    }
    {
        AnimatedPngWriter w(8, 8, 1);
        EXPECT_FALSE(w.addFrame(picture(8, 7, 0), 10));
        EXPECT_FALSE(w.addFrame(p, 10));  // failed for good
        EXPECT_TRUE(w.finish().empty());
    }
    {
        AnimatedPngWriter w(8, 8, 0);
        EXPECT_FALSE(w.addFrame(p, 10));
        EXPECT_TRUE(w.finish().empty());
    }
    {
        AnimatedPngWriter w(8, 8, 1);
        ASSERT_TRUE(w.addFrame(p, 10));
        EXPECT_FALSE(w.finish().empty());
        EXPECT_TRUE(w.finish().empty());  // once only
    }
    AnimatedPngWriter negative(-8, 8, 1);
    EXPECT_FALSE(negative.addFrame(p, 10));
}

}  // namespace
}  // namespace likenex
