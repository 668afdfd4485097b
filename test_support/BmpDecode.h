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
    // 32-bit pictures, and 24-bit ones (what some encoders write for opaque pictures), whose
    // rows are padded to four bytes; a 24-bit pixel reads as opaque.
    if ((d.bitCount != 32 && d.bitCount != 24) || d.compression != 0 || d.width < 0) return std::nullopt;
    const std::size_t rows = static_cast<std::size_t>(d.height < 0 ? -static_cast<std::int64_t>(d.height) : d.height);
    const std::size_t w = static_cast<std::size_t>(d.width);
    const std::size_t bytesPerPixel = d.bitCount / 8;
    const std::size_t stride = (w * bytesPerPixel + 3) / 4 * 4;
    if (d.dataOffset > b.size() || b.size() - d.dataOffset < rows * stride) return std::nullopt;
    d.pixels.resize(rows * w);
    for (std::size_t fileRow = 0; fileRow < rows; ++fileRow) {
        const std::size_t y = d.height > 0 ? rows - 1 - fileRow : fileRow;
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t at = d.dataOffset + fileRow * stride + x * bytesPerPixel;
            d.pixels[y * w + x] = bytesPerPixel == 4 ? readLe(b, at, 4) : 0xFF000000u | readLe(b, at, 3);
        }
    }
    return d;
}

}  // namespace likenex::test
