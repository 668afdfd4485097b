#pragma once
// Writes a 32-bit BMP file for the back ends' saveRegion.

#include <cstdint>
#include <span>

namespace likenex {

// Bottom-up blue, green, red, alpha rows; false when the file could not be written whole.
[[nodiscard]] bool saveBmp32(const wchar_t* path, int width, int height, std::span<const std::uint8_t> bottomUpBgra);

}  // namespace likenex
