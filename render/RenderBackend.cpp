#include "render/RenderBackend.h"

namespace likenex {
namespace {

RenderBackend* running() {
    const RenderContext* context = currentRenderContext();
    return context ? context->backEnd.get() : nullptr;
}

// A stopped back end's table still reports its own kind of error.
long stoppedTextureError() {
    const RenderContext* context = currentRenderContext();
    return context ? context->textureErrorWhenStopped : -1;
}

// The table's entries.
void opResize(int w, int h) {
    if (RenderBackend* backEnd = running()) backEnd->resize(w, h);
}
void opClear() {
    if (RenderBackend* backEnd = running()) backEnd->clear();
}
void opBeginScene() {
    if (RenderBackend* backEnd = running()) backEnd->beginScene();
}
int opEndFrame() {
    RenderBackend* backEnd = running();
    return backEnd ? backEnd->endFrame() : 0;
}
void opSetColour(Colour c) {
    if (RenderBackend* backEnd = running()) backEnd->setColour(c);
}
void opDrawLine(int x1, int y1, int x2, int y2) {
    if (RenderBackend* backEnd = running()) backEnd->drawLine(x1, y1, x2, y2);
}
void opFillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    if (RenderBackend* backEnd = running()) backEnd->fillTriangle(x1, y1, x2, y2, x3, y3);
}
void opFillRect(int l, int t, int r, int b) {
    if (RenderBackend* backEnd = running()) backEnd->fillRect(l, t, r, b);
}
long opCreateTexture(TextureHandle* handle, int w, int h, const void* pixels) {
    RenderBackend* backEnd = running();
    return backEnd ? backEnd->createTexture(handle, w, h, pixels) : stoppedTextureError();
}
void opReleaseTexture(TextureHandle* handle) {
    if (RenderBackend* backEnd = running()) backEnd->releaseTexture(handle);
    else if (handle) *handle = 0;  // stopping the back end released every texture with its device
}
bool opIsTexture(const TextureHandle* handle) {
    RenderBackend* backEnd = running();
    return backEnd && backEnd->isTexture(handle);
}
void opDrawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int l, int t, int r, int b) {
    if (RenderBackend* backEnd = running()) backEnd->drawTexture(handle, s0, t0, s1, t1, l, t, r, b);
}
void opSetClip(ClipRect clip) {
    if (RenderBackend* backEnd = running()) backEnd->setClip(clip);
}
void opResetClip() {
    if (RenderBackend* backEnd = running()) backEnd->resetClip();
}
void opRestoreDevice() {
    if (RenderBackend* backEnd = running()) backEnd->restoreDevice();
}
bool opSaveRegion(int x, int y, int w, int h, const wchar_t* path) {
    RenderBackend* backEnd = running();
    return backEnd && backEnd->saveRegion(x, y, w, h, path);
}

}  // namespace

RenderContext::RenderContext() = default;

RenderContext::~RenderContext() {
    backEnd.reset();
    if (currentRenderContext() == this) currentRenderContext() = nullptr;
}

RenderBackend::~RenderBackend() = default;

RenderBackend* RenderBackend::installed() { return running(); }

void RenderBackend::fillTable(RenderOps& ops) const {
    ops.resize = opResize;
    ops.clear = opClear;
    ops.beginScene = opBeginScene;
    ops.endFrame = opEndFrame;
    ops.setColour = opSetColour;
    ops.drawLine = opDrawLine;
    ops.fillTriangle = opFillTriangle;
    ops.fillRect = opFillRect;
    ops.createTexture = opCreateTexture;
    ops.releaseTexture = opReleaseTexture;
    ops.isTexture = opIsTexture;
    ops.drawTexture = opDrawTexture;
    ops.setClip = opSetClip;
    ops.resetClip = opResetClip;
    ops.restoreDevice = hasDeviceToRestore() ? opRestoreDevice : nullptr;
    ops.saveRegion = opSaveRegion;
}

}  // namespace likenex
