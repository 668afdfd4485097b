#pragma once
// What the two back ends have in common: starting on a window and taking over the operation
// table. The table's entries are plain functions, so each back end keeps a pointer to the one
// object it installed; while none is installed its entries do nothing.

#include "render/RenderOps.h"

#include <windows.h>

namespace likenex {

class RenderBackend {
public:
    RenderBackend() = default;
    RenderBackend(const RenderBackend&) = delete;
    RenderBackend& operator=(const RenderBackend&) = delete;
    virtual ~RenderBackend() = default;

    // False when the device could not be set up; the destructor releases what was made.
    [[nodiscard]] virtual bool start(HWND window) = 0;

    // Makes this object the one the table's entries reach, and fills the table.
    virtual void install(RenderOps& ops) = 0;

    // The table's entries reach nothing any more (a late releaseTexture only clears the handle).
    virtual void uninstall() = 0;
};

}  // namespace likenex
