#pragma once
// 32-bit uncompressed BMP files: what both back ends write when a region of the window is
// saved. The rows are blue, green, red, alpha bytes, bottom row first, as the file stores them.

#include <cstdint>
#include <span>
#include <vector>

namespace likenex {

inline constexpr std::uint32_t kBmpHeaderBytes = 54;  // 14-byte file header + 40-byte info header

// The whole file: "BM" file header (size, data offset 54), BITMAPINFOHEADER (32 bits, BI_RGB,
// positive height, so rows are bottom-up) and the rows. Empty when the sizes do not describe
// the pixels or the file would not fit the format's 32-bit size field.
[[nodiscard]] std::vector<std::uint8_t> encodeBmp32(std::int32_t width, std::int32_t height,
                                                    std::span<const std::uint8_t> bottomUpBgra);

}  // namespace likenex
