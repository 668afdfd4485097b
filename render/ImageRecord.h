#pragma once
// One picture as the program passes it around: a renderer texture with the picture's size
// and drawing offset, and optionally a copy of its pixels. Sprites, skin pictures and
// composed avatar frames all travel in this form.

#include "render/RenderContext.h"

#include <cstdint>
#include <vector>

namespace likenex {

class Painter;

struct ImageRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    // Right and bottom edges are outside.
    [[nodiscard]] constexpr bool contains(int x, int y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }

    friend bool operator==(const ImageRect&, const ImageRect&) = default;
};

// A record does not own its texture: whoever created the texture releases it. Copying or
// assigning a record copies every field except the pixel array (a new record starts without
// one; an assigned-to record keeps its own), so copies name the same texture.
class ImageRecord {
public:
    // A skin picture's size for layout. A sprite carries its two unread header words here
    // instead; neither is drawn.
    std::uint32_t layoutWidth = 0;
    std::uint32_t layoutHeight = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    TextureHandle texture = 0;
    std::int32_t xOffset = 0;  // of the top-left corner from the drawing point, y downwards
    std::int32_t yOffset = 0;
    ImageRect rect;                    // skin pictures use it as their destination rectangle
    std::vector<std::uint8_t> pixels;  // 32-bit BGRA, bottom row first; usually empty

    ImageRecord() = default;
    ImageRecord(const ImageRecord& other) { copyFields(other); }
    // A move hands the pixels over too: only a fresh record can take them without losing its own.
    ImageRecord(ImageRecord&& other) noexcept : pixels(std::move(other.pixels)) { copyFields(other); }
    ImageRecord& operator=(const ImageRecord& other) {
        copyFields(other);
        return *this;
    }
    ImageRecord& operator=(ImageRecord&& other) noexcept {
        copyFields(other);
        return *this;
    }
    ~ImageRecord() = default;

    // No picture: every number 0, no texture, no pixels.
    [[nodiscard]] bool empty() const {
        return layoutWidth == 0 && layoutHeight == 0 && width == 0 && height == 0 && texture == 0 && xOffset == 0 &&
               yOffset == 0 && rect == ImageRect{} && pixels.empty();
    }

private:
    void copyFields(const ImageRecord& other) {
        layoutWidth = other.layoutWidth;
        layoutHeight = other.layoutHeight;
        width = other.width;
        height = other.height;
        texture = other.texture;
        xOffset = other.xOffset;
        yOffset = other.yOffset;
        rect = other.rect;
    }
};

// A new texture from bottom-row-first BGRA pixels; 0 when the renderer could not make it.
[[nodiscard]] TextureHandle makeTexture(Painter& painter, int width, int height, const void* pixels);
// Releases the texture and sets the handle to 0.
void dropTexture(Painter& painter, TextureHandle& handle);
[[nodiscard]] bool hasTexture(const Painter& painter, const TextureHandle& handle);

// Draws the whole texture with its top-left corner at (x + xOffset, y + yOffset) and the
// record's size, in the current renderer colour. A record without a texture draws nothing.
void drawImageAt(Painter& painter, const ImageRecord& image, int x, int y);

}  // namespace likenex
