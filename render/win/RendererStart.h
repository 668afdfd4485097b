#pragma once
// Starting and stopping a back end. Win32 only: the back ends draw into a window.

#include "render/RenderContext.h"

#include <windows.h>

namespace likenex {

// Sets the context's kind, creates and starts the back end for the window, and on success
// stores it in the context. On failure the half-built back end is released, the context's
// startFailure says what the user should be told (or is empty) and false is returned. A
// context that already runs a back end is refused.
[[nodiscard]] bool startRenderer(HWND window, BackEndKind kind, RenderContext& context);

// Releases the back end the context names (OpenGL: rendering and device context; Direct3D 8:
// device, then the Direct3D object). A painter over the context then does nothing harmful.
void stopRenderer(RenderContext& context);

// GL_MAX_TEXTURE_SIZE of the context's OpenGL back end, 0 when OpenGL does not run in it.
[[nodiscard]] int openGlMaxTextureSize(const RenderContext& context);

}  // namespace likenex
