#pragma once
// The OpenGL 1.1 back end, drawing through WGL into the window's device context.

#include "platform/win/GlContext.h"
#include "render/RenderBackend.h"

namespace likenex {

class GlBackend final : public RenderBackend {
public:
    GlBackend() = default;

    [[nodiscard]] bool start(HWND window) override;

    [[nodiscard]] int maxTextureSize() const;

    void resize(int width, int height) override;
    void clear() override;
    void beginScene() override;
    [[nodiscard]] int endFrame() override;
    void setColour(const Colour& colour) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) override;
    void fillRect(int left, int top, int right, int bottom) override;
    [[nodiscard]] long createTexture(TextureHandle* handle, int width, int height, const void* pixels) override;
    void releaseTexture(TextureHandle* handle) override;
    [[nodiscard]] bool isTexture(const TextureHandle* handle) const override;
    void drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top, int right,
                     int bottom) override;
    void setClip(const ClipRect& clip) override;
    void resetClip() override;
    [[nodiscard]] bool saveRegion(int x, int y, int width, int height, const wchar_t* path) override;
    [[nodiscard]] long textureErrorWhenStopped() const override;

private:
    HWND window_ = nullptr;
    WindowDc dc_;
    UniqueGlContext context_;  // declared after the DC: released before it
};

}  // namespace likenex
