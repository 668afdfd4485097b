#include "render/win/RendererStart.h"

#include "render/win/D3d8Backend.h"
#include "render/win/GlBackend.h"

#include <memory>

namespace likenex {

bool startRenderer(HWND window, BackEndKind kind, RenderContext& context) {
    context.kind = kind;
    context.startFailure.clear();
    if (context.backEnd) return false;

    std::unique_ptr<RenderBackend> backend;
    if (kind == BackEndKind::Direct3D8) backend = std::make_unique<D3d8Backend>(context.deviceResources);
    else backend = std::make_unique<GlBackend>();
    if (!backend->start(window)) {
        context.startFailure = backend->startFailure();
        return false;
    }

    context.textureErrorWhenStopped = backend->textureErrorWhenStopped();
    context.backEnd = std::move(backend);
    return true;
}

void stopRenderer(RenderContext& context) { context.backEnd.reset(); }

int openGlMaxTextureSize(const RenderContext& context) {
    const auto* gl = dynamic_cast<const GlBackend*>(context.backEnd.get());
    return gl ? gl->maxTextureSize() : 0;
}

}  // namespace likenex
