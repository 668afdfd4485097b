#pragma once
// Owner of an OpenGL rendering context (wglCreateContext).

#include "platform/win/Handles.h"

#include <GL/gl.h>

namespace likenex {

struct GlContextTraits {
    using Type = HGLRC;
    static Type invalid() { return nullptr; }
    // A context still current on this thread is released from it first.
    static void close(Type h) {
        if (wglGetCurrentContext() == h) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(h);
    }
};

using UniqueGlContext = UniqueResource<GlContextTraits>;

}  // namespace likenex
