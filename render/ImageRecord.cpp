#include "render/ImageRecord.h"

#include "base/Position.h"
#include "render/Painter.h"

namespace likenex {

TextureHandle makeTexture(Painter& painter, int width, int height, const void* pixels) {
    TextureHandle handle = 0;
    if (painter.createTexture(&handle, width, height, pixels) != 0) return 0;
    return handle;
}

void dropTexture(Painter& painter, TextureHandle& handle) {
    if (handle != 0) painter.releaseTexture(&handle);
    handle = 0;
}

bool hasTexture(const Painter& painter, const TextureHandle& handle) {
    return handle != 0 && painter.isTexture(&handle);
}

void drawImageAt(Painter& painter, const ImageRecord& image, int x, int y) {
    if (image.texture == 0) return;
    // Offsets and sizes come from data files, which nothing bounds.
    const int left = clampPosition(std::int64_t{x} + image.xOffset);
    const int top = clampPosition(std::int64_t{y} + image.yOffset);
    painter.drawImage(&image.texture, left, top, clampPosition(std::int64_t{left} + image.width),
                      clampPosition(std::int64_t{top} + image.height));
}

}  // namespace likenex
