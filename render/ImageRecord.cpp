#include "render/ImageRecord.h"

namespace likenex {

TextureHandle makeTexture(int width, int height, const void* pixels) {
    TextureHandle handle = 0;
    if (!renderOps().createTexture) return 0;
    if (renderOps().createTexture(&handle, width, height, pixels) != 0) return 0;
    return handle;
}

void dropTexture(TextureHandle& handle) {
    if (handle != 0 && renderOps().releaseTexture) renderOps().releaseTexture(&handle);
    handle = 0;
}

bool hasTexture(const TextureHandle& handle) {
    return handle != 0 && renderOps().isTexture && renderOps().isTexture(&handle);
}

void drawImageAt(const ImageRecord& image, int x, int y) {
    if (image.texture == 0) return;
    int left = x + image.xOffset;
    int top = y + image.yOffset;
    render::drawImage(&image.texture, left, top, left + image.width, top + image.height);
}

}  // namespace likenex
