#pragma once
// A back end that draws nothing, makes no texture and reports no failure: the base of the
// tests' own back ends, which override only what they look at.

#include "render/RenderBackend.h"

namespace likenex::testing {

class NullBackend : public RenderBackend {
public:
    bool start(HWND__*) override { return true; }
    void resize(int, int) override {}
    void clear() override {}
    void beginScene() override {}
    int endFrame() override { return 0; }
    void setColour(const Colour&) override {}
    void drawLine(int, int, int, int) override {}
    void fillTriangle(int, int, int, int, int, int) override {}
    void fillRect(int, int, int, int) override {}
    long createTexture(TextureHandle*, int, int, const void*) override { return -1; }
    void releaseTexture(TextureHandle* handle) override {
        if (handle) *handle = 0;
    }
    bool isTexture(const TextureHandle*) const override { return false; }
    void drawTexture(const TextureHandle*, float, float, float, float, int, int, int, int) override {}
    void setClip(const ClipRect&) override {}
    void resetClip() override {}
    bool saveRegion(int, int, int, int, const wchar_t*) override { return false; }
    long textureErrorWhenStopped() const override { return -1; }
};

}  // namespace likenex::testing
