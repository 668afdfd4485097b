#pragma once
// What the two back ends have in common: starting on a window and the operations of the
// table. The table's entries are plain functions, one set for both back ends, reaching the
// back end of the current context; while there is none they do nothing.
//
// Portable: the window is the system's opaque window type, declared here as <windows.h>
// declares it, so that the table's entries are built and tested natively.

#include "render/RenderOps.h"

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

    // Fills the table with the entries that reach the current context's back end.
    void fillTable(RenderOps& ops) const;

    // The back end of the current context, or null.
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

    // What the table's createTexture reports once this back end has stopped.
    [[nodiscard]] virtual long textureErrorWhenStopped() const = 0;
};

}  // namespace likenex
