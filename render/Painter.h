#pragma once
// The one way code draws: a painter wraps the render context of a window and reaches its
// running back end, whichever it is. While no back end runs (before the renderer starts,
// after it stopped) drawing does nothing, texture creation reports the stopped back end's
// error and a released handle is cleared all the same, as stopping released every texture
// with its device. Main thread only, like the context it wraps.
//
// Coordinates are window client pixels, origin top left, y growing downwards. Texture pixels
// are 32-bit blue, green, red, alpha in memory, bottom row first.

#include "render/Colour.h"
#include "render/RenderContext.h"

#include <cstdint>

namespace likenex {

class RenderBackend;

class Painter {
public:
    explicit Painter(RenderContext& context) : context_(context) {}
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    [[nodiscard]] RenderContext& context() const { return context_; }
    // The back end that runs now, or null.
    [[nodiscard]] RenderBackend* backEnd() const;

    void resize(int width, int height);
    void clear();
    void beginScene();
    // 1 when presenting failed (the device was lost), else 0.
    [[nodiscard]] int endFrame();
    void setColour(Colour colour);
    void drawLine(int x1, int y1, int x2, int y2);
    void fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3);
    void fillRect(int left, int top, int right, int bottom);
    // The back end's result code, 0 on success; on failure the handle stays 0.
    [[nodiscard]] long createTexture(TextureHandle* handle, int width, int height, const void* pixels);
    // Sets the handle to 0.
    void releaseTexture(TextureHandle* handle);
    [[nodiscard]] bool isTexture(const TextureHandle* handle) const;
    void drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top, int right,
                     int bottom);
    // The whole texture into the rectangle.
    void drawImage(const TextureHandle* handle, int left, int top, int right, int bottom);
    void setClip(ClipRect clip);
    void resetClip();
    // Tinted with `tint` instead of the current colour, which stays as it was. Only a back end
    // that can keep its colour aside does it (Direct3D 8); false, with nothing drawn, otherwise.
    bool drawTintedTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                           int right, int bottom, const Colour& tint);
    // Only a Direct3D 8 back end has a device to restore; any other does nothing.
    void restoreDevice();
    // After presenting failed: the context's device resources release their device objects,
    // the device is restored, and they re-create them.
    void recoverLostDevice();
    [[nodiscard]] DeviceResources& deviceResources() const { return context_.deviceResources; }
    [[nodiscard]] bool saveRegion(int x, int y, int width, int height, const wchar_t* path);

    // Textures drawn through this painter so far, for the frame log of a test build.
    [[nodiscard]] std::uint64_t texturesDrawn() const { return texturesDrawn_; }

private:
    RenderContext& context_;
    std::uint64_t texturesDrawn_ = 0;
};

}  // namespace likenex
