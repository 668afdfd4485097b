#include "render/RendererStart.h"

#include "render/d3d8/D3d8Backend.h"
#include "render/gl/GlBackend.h"

#include <memory>

namespace likenex {
namespace {

// One back end at a time: the table's entries reach it through its class.
std::unique_ptr<RenderBackend>& runningBackend() {
    static std::unique_ptr<RenderBackend> backend;
    return backend;
}

}  // namespace

bool startRenderer(HWND window, BackEndKind kind, RenderContext& context) {
    context.kind = kind;
    // A second back end would take the table from the first while its owner still holds it.
    if (runningBackend()) return false;

    std::unique_ptr<RenderBackend> backend;
    if (kind == BackEndKind::Direct3D8) backend = std::make_unique<D3d8Backend>();
    else backend = std::make_unique<GlBackend>();
    if (!backend->start(window)) return false;

    backend->install(renderOps());
    context.backEnd = backend.get();
    runningBackend() = std::move(backend);
    return true;
}

void stopRenderer(RenderContext& context) {
    std::unique_ptr<RenderBackend>& running = runningBackend();
    if (running && context.backEnd == running.get()) {
        running->uninstall();
        running.reset();
    }
    context.backEnd = nullptr;
}

int openGlMaxTextureSize() {
    const GlBackend* gl = GlBackend::installed();
    return gl ? gl->maxTextureSize() : 0;
}

}  // namespace likenex
