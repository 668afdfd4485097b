#pragma once
// The render context of one window: which back end was asked for, the running back end, and
// the objects that hold device objects of it. Drawing goes through a Painter over the context.
//
// Coordinates are window client pixels, origin top left, y growing downwards. Texture pixels
// are 32-bit blue, green, red, alpha in memory, bottom row first.

#include "render/Colour.h"
#include "render/DeviceResources.h"

#include <cstdint>
#include <memory>
#include <string>

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

// Owned by the main window from window creation until the frame loop ends (tests own
// theirs); used on the main thread only. Destroying it stops its back end.
struct RenderContext {
    RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;
    ~RenderContext();

    BackEndKind kind = BackEndKind::OpenGl;
    // Declared before the back end, which tells them of its own device resets while it runs.
    DeviceResources deviceResources;
    std::unique_ptr<RenderBackend> backEnd;
    // What creating a texture reports once the back end has stopped.
    long textureErrorWhenStopped = -1;
    // What the last failed start has to tell the user; empty when it has nothing to say. The
    // renderer shows nothing itself: the application decides how to show it.
    std::wstring startFailure;
};

}  // namespace likenex
