#pragma once
// Test-side reader of 32-bit BI_RGB BMP files, written apart from the encoder so that a fault
// in one is not mirrored in the other.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace likenex::test {

struct DecodedBmp {
    std::uint32_t fileSize = 0;  // the header's size field
    std::uint32_t reserved = 0;
    std::uint32_t dataOffset = 0;
    std::uint32_t infoSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // as stored: positive for bottom-up files
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::vector<std::uint32_t> pixels;  // top row first, each 0xAARRGGBB

    [[nodiscard]] std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

inline std::uint32_t readLe(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

// Nothing when the bytes are not a complete 32-bit uncompressed BMP.
inline std::optional<DecodedBmp> decodeBmp(std::span<const std::uint8_t> b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
    DecodedBmp d;
    d.fileSize = readLe(b, 2, 4);
    d.reserved = readLe(b, 6, 4);
    d.dataOffset = readLe(b, 10, 4);
    d.infoSize = readLe(b, 14, 4);
    d.width = static_cast<std::int32_t>(readLe(b, 18, 4));
    d.height = static_cast<std::int32_t>(readLe(b, 22, 4));
    d.planes = static_cast<std::uint16_t>(readLe(b, 26, 2));
    d.bitCount = static_cast<std::uint16_t>(readLe(b, 28, 2));
    d.compression = readLe(b, 30, 4);
    d.imageSize = readLe(b, 34, 4);
    if (d.bitCount != 32 || d.compression != 0 || d.width < 0) return std::nullopt;
    const std::size_t rows = static_cast<std::size_t>(d.height < 0 ? -static_cast<std::int64_t>(d.height) : d.height);
    const std::size_t w = static_cast<std::size_t>(d.width);
    if (d.dataOffset > b.size() || b.size() - d.dataOffset < rows * w * 4) return std::nullopt;
    d.pixels.resize(rows * w);
    for (std::size_t fileRow = 0; fileRow < rows; ++fileRow) {
        const std::size_t y = d.height > 0 ? rows - 1 - fileRow : fileRow;
        for (std::size_t x = 0; x < w; ++x) d.pixels[y * w + x] = readLe(b, d.dataOffset + (fileRow * w + x) * 4, 4);
    }
    return d;
}

}  // namespace likenex::test
