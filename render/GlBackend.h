#pragma once
// The OpenGL 1.1 back end, drawing through WGL into the window's device context.

#include "app/win/Handles.h"
#include "render/RenderBackend.h"

namespace likenex {

class GlBackend final : public RenderBackend {
public:
    GlBackend() = default;
    ~GlBackend() override;

    [[nodiscard]] bool start(HWND window) override;
    void install(RenderOps& ops) override;
    void uninstall() override;

    // The object the table reaches, or null.
    [[nodiscard]] static GlBackend* installed();

    [[nodiscard]] int maxTextureSize() const;

    void resize(int width, int height);
    void clear();
    void beginScene();
    [[nodiscard]] int endFrame();
    void setColour(const Colour& colour);
    void drawLine(int x1, int y1, int x2, int y2);
    void fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3);
    void fillRect(int left, int top, int right, int bottom);
    [[nodiscard]] long createTexture(TextureHandle* handle, int width, int height, const void* pixels);
    void releaseTexture(TextureHandle* handle);
    [[nodiscard]] bool isTexture(const TextureHandle* handle) const;
    void drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                     int right, int bottom);
    void setClip(const ClipRect& clip);
    void resetClip();
    [[nodiscard]] bool saveRegion(int x, int y, int width, int height, const wchar_t* path);

private:
    HWND window_ = nullptr;
    WindowDc dc_;
    UniqueGlContext context_;  // declared after the DC: released before it
};

}  // namespace likenex
