#pragma once
// libpng's reading of a whole PNG file held in memory, as 8-bit RGBA: the file's ordinary
// image (libpng knows nothing of the animation chunks, so of an animated PNG the first frame).
// Test programs that include this link libpng.

#include "render/RgbaPicture.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace likenex::test {

// An empty picture when libpng refuses the file.
inline RgbaPicture decodePng(const std::vector<std::uint8_t>& file) {
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

}  // namespace likenex::test
