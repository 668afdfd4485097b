#include "render/RenderOps.h"

namespace likenex {

RenderOps& renderOps() {
    static RenderOps table;
    return table;
}

RenderContext*& currentRenderContext() {
    static RenderContext* context = nullptr;
    return context;
}

namespace render {

void resize(int width, int height) {
    if (renderOps().resize) renderOps().resize(width, height);
}

void drawImage(const TextureHandle* handle, int left, int top, int right, int bottom) {
    if (renderOps().drawTexture) renderOps().drawTexture(handle, 0.0f, 0.0f, 1.0f, 1.0f, left, top, right, bottom);
}

void restoreDevice() {
    RenderContext* context = currentRenderContext();
    if (context && context->kind == BackEndKind::Direct3D8 && renderOps().restoreDevice) renderOps().restoreDevice();
}

}  // namespace render
}  // namespace likenex
