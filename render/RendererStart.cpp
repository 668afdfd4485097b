#include "render/RendererStart.h"

#include "render/d3d8/D3d8Backend.h"
#include "render/gl/GlBackend.h"

#include <memory>

namespace likenex {

bool startRenderer(HWND window, BackEndKind kind, RenderContext& context) {
    context.kind = kind;
    // A second back end would take the table from the first while its owner still holds it.
    const RenderContext* current = currentRenderContext();
    if (context.backEnd || (current && current->backEnd)) return false;

    std::unique_ptr<RenderBackend> backend;
    if (kind == BackEndKind::Direct3D8) backend = std::make_unique<D3d8Backend>();
    else backend = std::make_unique<GlBackend>();
    if (!backend->start(window)) return false;

    context.textureErrorWhenStopped = backend->textureErrorWhenStopped();
    context.backEnd = std::move(backend);
    currentRenderContext() = &context;
    context.backEnd->fillTable(renderOps());
    return true;
}

void stopRenderer(RenderContext& context) { context.backEnd.reset(); }

int openGlMaxTextureSize() {
    const GlBackend* gl = GlBackend::installed();
    return gl ? gl->maxTextureSize() : 0;
}

}  // namespace likenex
