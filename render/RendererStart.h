#pragma once
// Starting and stopping a back end. Win32 only: the back ends draw into a window.

#include "render/RenderOps.h"

#include <windows.h>

namespace likenex {

// Sets the context's kind, creates and starts the back end for the window, and on success
// stores it in the context and fills the operation table. On failure the half-built back
// end is released, the table keeps its previous contents and false is returned.
[[nodiscard]] bool startRenderer(HWND window, BackEndKind kind, RenderContext& context);

// Releases the back end the context names (OpenGL: rendering and device context; Direct3D 8:
// device, then the Direct3D object). Operations called afterwards do nothing harmful.
void stopRenderer(RenderContext& context);

// GL_MAX_TEXTURE_SIZE of the running OpenGL back end, 0 when OpenGL is not running.
[[nodiscard]] int openGlMaxTextureSize();

}  // namespace likenex
