#pragma once
// The process-wide table of drawing operations. One back end (OpenGL or Direct3D 8) fills
// it when it starts; callers draw through it and never know which back end runs. Tests fill
// it with a recording renderer of their own.
//
// Coordinates are window client pixels, origin top left, y growing downwards. Texture pixels
// are 32-bit blue, green, red, alpha in memory, bottom row first.

#include "render/Colour.h"

#include <cstdint>
#include <memory>

namespace likenex {

// Names one texture of the running back end; 0 means none. A back end maps it to its own
// object (an OpenGL texture name, or a slot of the Direct3D back end's texture table).
using TextureHandle = std::uint32_t;

// Right and bottom are exclusive.
struct ClipRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

enum class BackEndKind : std::int32_t { OpenGl = 0, Direct3D8 = 1 };

class RenderBackend;

// The back-end selection: which kind was asked for and the running back end itself. Owned by
// the main window from window creation until the frame loop ends (tests own theirs); used on
// the main thread only. startRenderer makes it the current context, the one the table's
// entries reach; destroying it stops its back end and leaves no current context behind.
struct RenderContext {
    RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;
    ~RenderContext();

    BackEndKind kind = BackEndKind::OpenGl;
    std::unique_ptr<RenderBackend> backEnd;
    // What the table's createTexture reports once the back end has stopped.
    long textureErrorWhenStopped = -1;
};

struct RenderOps {
    void (*resize)(int width, int height) = nullptr;
    void (*clear)() = nullptr;
    void (*beginScene)() = nullptr;
    int (*endFrame)() = nullptr;  // 1 when presenting failed (device lost), else 0
    void (*setColour)(Colour colour) = nullptr;
    void (*drawLine)(int x1, int y1, int x2, int y2) = nullptr;
    void (*fillTriangle)(int x1, int y1, int x2, int y2, int x3, int y3) = nullptr;
    void (*fillRect)(int left, int top, int right, int bottom) = nullptr;
    // Returns the back end's result code, 0 on success; on failure the handle stays 0.
    long (*createTexture)(TextureHandle* handle, int width, int height, const void* pixels) = nullptr;
    void (*releaseTexture)(TextureHandle* handle) = nullptr;  // sets the handle to 0
    bool (*isTexture)(const TextureHandle* handle) = nullptr;
    void (*drawTexture)(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                        int right, int bottom) = nullptr;
    void (*setClip)(ClipRect clip) = nullptr;
    void (*resetClip)() = nullptr;
    void (*restoreDevice)() = nullptr;  // Direct3D 8 only
    bool (*saveRegion)(int x, int y, int width, int height, const wchar_t* path) = nullptr;
};

// The table itself and the current context (null outside the frame loop's life). Both are
// process-wide, as every drawing call reaches them; main thread only.
RenderOps& renderOps();
RenderContext*& currentRenderContext();

namespace render {

// Does nothing while the table is still empty: WM_SIZE arrives during window creation,
// before a back end has started.
void resize(int width, int height);

// Draws the whole texture into the rectangle.
void drawImage(const TextureHandle* handle, int left, int top, int right, int bottom);

// Only the Direct3D 8 back end has a device to restore.
void restoreDevice();

}  // namespace render
}  // namespace likenex
