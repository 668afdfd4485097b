#pragma once
// What the two back ends have in common: starting on a window and the operations of the
// table. The table's entries are plain functions, one set for both back ends, reaching the one
// back end that is installed; while none is installed they do nothing.

#include "render/RenderOps.h"

#include <windows.h>

namespace likenex {

class RenderBackend {
public:
    RenderBackend() = default;
    RenderBackend(const RenderBackend&) = delete;
    RenderBackend& operator=(const RenderBackend&) = delete;
    virtual ~RenderBackend();  // uninstalls: the table must not reach a destroyed back end

    // False when the device could not be set up; the destructor releases what was made.
    [[nodiscard]] virtual bool start(HWND window) = 0;

    // Makes this object the one the table's entries reach, and fills the table.
    void install(RenderOps& ops);

    // The table's entries reach nothing any more (a late releaseTexture only clears the handle).
    void uninstall();

    // The back end the table's entries reach, or null.
    [[nodiscard]] static RenderBackend* installed();

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

    // A back end without a device that can be lost leaves the table's restoreDevice null.
    [[nodiscard]] virtual bool hasDeviceToRestore() const { return false; }
    virtual void restoreDevice() {}

    // What the table's createTexture reports once this back end is uninstalled.
    [[nodiscard]] virtual long textureErrorWhenStopped() const = 0;
};

}  // namespace likenex
