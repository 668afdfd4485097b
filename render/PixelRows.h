#pragma once
// Row copies and pixel conversions between the layouts the back ends meet: callers' pictures
// (bottom row first), locked Direct3D surfaces (top row first, with a pitch) and BMP rows.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace likenex {

// Copies `rows` rows of `rowBytes` bytes, the last source row becoming the first destination
// row. Destination rows are `dstPitch` bytes apart (a locked surface's pitch, at least rowBytes).
void copyRowsReversed(const std::uint8_t* src, std::size_t rowBytes, int rows, std::uint8_t* dst, std::size_t dstPitch);

// Sets every fourth byte (the alpha of blue, green, red, alpha pixels) to 255.
void makeOpaque(std::span<std::uint8_t> bgra);

// Back-buffer formats a window can have.
enum class SurfaceFormat { X8R8G8B8, A8R8G8B8, R5G6B5, X1R5G5B5 };

// Converts a top-down surface (rows `pitch` bytes apart) into bottom-up blue, green, red,
// alpha rows with alpha 255. 5- and 6-bit channels are widened so that their maximum becomes 255.
[[nodiscard]] std::vector<std::uint8_t> surfaceToBottomUpBgra(SurfaceFormat format, const std::uint8_t* topRow,
                                                              std::size_t pitch, int width, int height);

}  // namespace likenex
