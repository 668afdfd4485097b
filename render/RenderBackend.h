#pragma once
// What the two back ends have in common: starting on a window and the drawing operations a
// Painter forwards to whichever runs.
//
// Portable: the window is the system's opaque window type, declared here as <windows.h>
// declares it, so that painters and recording back ends are built and tested natively.

#include "render/RenderContext.h"

#include <string>

struct HWND__;

namespace likenex {

class RenderBackend {
public:
    RenderBackend() = default;
    RenderBackend(const RenderBackend&) = delete;
    RenderBackend& operator=(const RenderBackend&) = delete;
    virtual ~RenderBackend();

    // False when the device could not be set up; the destructor releases what was made.
    [[nodiscard]] virtual bool start(HWND__* window) = 0;
    // What a failed start has to tell the user, in the system's own words; empty when the
    // failure needs no words of its own.
    [[nodiscard]] const std::wstring& startFailure() const { return startFailure_; }

    virtual void resize(int width, int height) = 0;
    virtual void clear() = 0;
    virtual void beginScene() = 0;
    [[nodiscard]] virtual int endFrame() = 0;
    virtual void setColour(const Colour& colour) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    virtual void fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) = 0;
    virtual void fillRect(int left, int top, int right, int bottom) = 0;
    [[nodiscard]] virtual long createTexture(TextureHandle* handle, int width, int height, const void* pixels) = 0;
    virtual void releaseTexture(TextureHandle* handle) = 0;
    [[nodiscard]] virtual bool isTexture(const TextureHandle* handle) const = 0;
    virtual void drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                             int right, int bottom) = 0;
    virtual void setClip(const ClipRect& clip) = 0;
    virtual void resetClip() = 0;
    [[nodiscard]] virtual bool saveRegion(int x, int y, int width, int height, const wchar_t* path) = 0;

    // Only a back end whose device can be lost restores it.
    [[nodiscard]] virtual bool hasDeviceToRestore() const { return false; }
    virtual void restoreDevice() {}

    // Drawing in a colour of its own, leaving the current one as it was (Direct3D 8 only).
    [[nodiscard]] virtual bool drawsTintedTextures() const { return false; }
    virtual void drawTintedTexture(const TextureHandle*, float, float, float, float, int, int, int, int,
                                   const Colour&) {}

    // What creating a texture reports once this back end has stopped.
    [[nodiscard]] virtual long textureErrorWhenStopped() const = 0;

protected:
    void reportStartFailure(std::wstring text) { startFailure_ = std::move(text); }

private:
    std::wstring startFailure_;
};

}  // namespace likenex
