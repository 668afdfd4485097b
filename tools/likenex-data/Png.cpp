#include "tools/likenex-data/Png.h"

#include "render/PngFile.h"
#include "tools/likenex-data/ToolSupport.h"

#include <png.h>

#include <cstring>

namespace likenex {
namespace {

// Large enough for any sprite or skin picture, small enough that a hostile header cannot
// make the tool allocate without bound.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{256} << 20;

std::uint64_t pictureBytes(std::int64_t width, std::int64_t height) {
    return 4 * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

void checkSize(std::int64_t width, std::int64_t height, std::size_t bytes) {
    if (width < 0 || height < 0 || pictureBytes(width, height) != bytes)
        throw ToolError("picture of " + std::to_string(width) + " by " + std::to_string(height) + " pixels holds " +
                        std::to_string(bytes) + " bytes");
}

}  // namespace

RgbaPicture readPng(const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        throw ToolError("cannot read the PNG " + path + ": " + image.message);
    image.format = PNG_FORMAT_RGBA;
    if (image.width == 0 || image.height == 0 || image.width > 0x7fffffff || image.height > 0x7fffffff ||
        pictureBytes(image.width, image.height) > kMaxPictureBytes) {
        png_image_free(&image);
        throw ToolError("the PNG " + path + " is too large");
    }
    RgbaPicture picture;
    picture.width = static_cast<std::int32_t>(image.width);
    picture.height = static_cast<std::int32_t>(image.height);
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr))
        throw ToolError("cannot read the PNG " + path + ": " + image.message);
    return picture;
}

void writePng(const std::string& path, const RgbaPicture& picture) {
    checkSize(picture.width, picture.height, picture.rgba.size());
    if (picture.width == 0 || picture.height == 0)
        throw ToolError("cannot write " + path + ": a PNG cannot hold an empty picture");
    // The same encoder as the program's own PNG pictures.
    const std::vector<std::uint8_t> file = encodePng(picture);
    if (file.empty()) throw ToolError("cannot encode the PNG " + path);
    writeFileOrFail(path, file);
}

RgbaPicture uprightFromTexture(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> bgraBottomFirst) {
    checkSize(width, height, bgraBottomFirst.size());
    RgbaPicture picture{width, height, std::vector<std::uint8_t>(bgraBottomFirst.size())};
    const std::size_t rowBytes = 4 * static_cast<std::size_t>(width);
    for (std::int32_t row = 0; row < height; ++row) {
        const std::uint8_t* source = bgraBottomFirst.data() + static_cast<std::size_t>(height - 1 - row) * rowBytes;
        std::uint8_t* target = picture.rgba.data() + static_cast<std::size_t>(row) * rowBytes;
        for (std::size_t i = 0; i < rowBytes; i += 4) {
            target[i] = source[i + 2];
            target[i + 1] = source[i + 1];
            target[i + 2] = source[i];
            target[i + 3] = source[i + 3];
        }
    }
    return picture;
}

std::vector<std::uint8_t> textureFromUpright(const RgbaPicture& picture) {
    checkSize(picture.width, picture.height, picture.rgba.size());
    // The same swap both ways: red and blue trade places, rows reverse.
    RgbaPicture swapped = uprightFromTexture(picture.width, picture.height, picture.rgba);
    return std::move(swapped.rgba);
}

}  // namespace likenex
