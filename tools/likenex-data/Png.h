#pragma once
// PNG files, read through libpng and written by the program's own encoder, and the row
// order between them and the archives: a PNG holds RGBA rows top row first, an archive BGRA
// rows bottom row first (the texture order).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "render/RgbaPicture.h"

namespace likenex {

// Any PNG, converted to 8-bit RGBA. Fails with a ToolError naming the file.
[[nodiscard]] RgbaPicture readPng(const std::string& path);
void writePng(const std::string& path, const RgbaPicture& picture);

// Both fail when the byte count does not match the size.
[[nodiscard]] RgbaPicture uprightFromTexture(std::int32_t width, std::int32_t height,
                                             std::span<const std::uint8_t> bgraBottomFirst);
[[nodiscard]] std::vector<std::uint8_t> textureFromUpright(const RgbaPicture& picture);

}  // namespace likenex
