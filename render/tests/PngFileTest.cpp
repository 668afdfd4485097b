// PNG and animated PNG files checked from outside: a chunk walk of our own with its own CRC,
// and libpng (which knows nothing of the animation chunks) decoding the pictures.
#include "render/PngFile.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace likenex {
namespace {

std::uint32_t crcOf(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

std::uint32_t read32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// The chunks of a file; fails the test on a bad signature, a length past the end or a CRC
// that does not match.
std::vector<Chunk> chunksOf(const std::vector<std::uint8_t>& file) {
    static const std::uint8_t signature[8] = {137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};
    std::vector<Chunk> chunks;
    EXPECT_GE(file.size(), 8u);
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) {
        ADD_FAILURE() << "no PNG signature";
        return chunks;
    }
    std::size_t at = 8;
    while (at < file.size()) {
        if (file.size() - at < 12) {
            ADD_FAILURE() << "chunk header cut at " << at;
            return chunks;
        }
        const std::uint32_t length = read32(&file[at]);
        if (length > file.size() - at - 12) {
            ADD_FAILURE() << "chunk length past the end at " << at;
            return chunks;
        }
        const std::uint8_t* type = &file[at + 4];
        EXPECT_EQ(read32(type + 4 + length), crcOf(type, 4 + length)) << "CRC of chunk at " << at;
        chunks.push_back({std::string(type, type + 4), std::vector<std::uint8_t>(type + 4, type + 4 + length)});
        at += 12 + length;
    }
    return chunks;
}

void putChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::uint8_t* data, std::size_t size) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(size >> s));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data, data + size);
    const std::uint32_t crc = crcOf(&out[typeAt], 4 + size);
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(crc >> s));
}

// libpng's reading of a whole file as 8-bit RGBA; empty when it refuses it.
RgbaPicture decode(const std::vector<std::uint8_t>& file) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
    image.format = PNG_FORMAT_RGBA;
    RgbaPicture picture{static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height), {}};
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) return {};
    return picture;
}

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
    const std::vector<Chunk> chunks = chunksOf(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_EQ(decode(file), p);

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
    const std::vector<Chunk> chunks = chunksOf(file);

    // IHDR, acTL, then fcTL + IDAT for the first frame and fcTL + fdAT for the others, IEND.
    std::vector<std::string> types;
    for (const Chunk& c : chunks) types.push_back(c.type);
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "acTL", "fcTL", "IDAT", "fcTL", "fdAT", "fcTL", "fdAT", "fcTL",
                                               "fdAT", "IEND"}));
    ASSERT_EQ(chunks.size(), 11u);
    ASSERT_EQ(chunks[1].data.size(), 8u);
    EXPECT_EQ(read32(&chunks[1].data[0]), 4u);  // frames
    EXPECT_EQ(read32(&chunks[1].data[4]), 0u);  // loops forever

    // Sequence numbers run 0, 1, 2, ... over fcTL and fdAT together.
    std::uint32_t sequence = 0;
    std::size_t frame = 0;
    for (const Chunk& c : chunks) {
        if (c.type == "fcTL") {
            ASSERT_EQ(c.data.size(), 26u);
            EXPECT_EQ(read32(&c.data[0]), sequence++);
            EXPECT_EQ(read32(&c.data[4]), 24u);
            EXPECT_EQ(read32(&c.data[8]), 16u);
            EXPECT_EQ(read32(&c.data[12]), 0u);
            EXPECT_EQ(read32(&c.data[16]), 0u);
            const double seconds = (c.data[20] << 8 | c.data[21]) / double(c.data[22] << 8 | c.data[23]);
            EXPECT_NEAR(seconds, delays[frame] / 1000.0, 1e-9) << "frame " << frame;
            EXPECT_EQ(c.data[24], 0);  // dispose: none
            EXPECT_EQ(c.data[25], 0);  // blend: source
            ++frame;
        } else if (c.type == "fdAT") {
            EXPECT_EQ(read32(&c.data[0]), sequence++);
        }
    }
    EXPECT_EQ(frame, delays.size());

    // libpng shows the first frame as the file's image.
    EXPECT_EQ(decode(file), frames[0]);
    // Each later frame, its fdAT data put into a PNG of its own as IDAT, decodes to its pixels.
    std::size_t index = 1;
    for (const Chunk& c : chunks) {
        if (c.type != "fdAT") continue;
        std::vector<std::uint8_t> still(file.begin(), file.begin() + 8);
        putChunk(still, "IHDR", chunks[0].data.data(), chunks[0].data.size());
        putChunk(still, "IDAT", c.data.data() + 4, c.data.size() - 4);
        putChunk(still, "IEND", nullptr, 0);
        EXPECT_EQ(decode(still), frames[index]) << "frame " << index;
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
