#include "render/RenderBackend.h"

namespace likenex {
namespace {

RenderBackend* installedBackend = nullptr;
// Kept past uninstall: a stopped back end's table still reports its own kind of error.
long stoppedTextureError = 0;

// The table's entries.
void opResize(int w, int h) {
    if (installedBackend) installedBackend->resize(w, h);
}
void opClear() {
    if (installedBackend) installedBackend->clear();
}
void opBeginScene() {
    if (installedBackend) installedBackend->beginScene();
}
int opEndFrame() { return installedBackend ? installedBackend->endFrame() : 0; }
void opSetColour(Colour c) {
    if (installedBackend) installedBackend->setColour(c);
}
void opDrawLine(int x1, int y1, int x2, int y2) {
    if (installedBackend) installedBackend->drawLine(x1, y1, x2, y2);
}
void opFillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    if (installedBackend) installedBackend->fillTriangle(x1, y1, x2, y2, x3, y3);
}
void opFillRect(int l, int t, int r, int b) {
    if (installedBackend) installedBackend->fillRect(l, t, r, b);
}
long opCreateTexture(TextureHandle* handle, int w, int h, const void* pixels) {
    return installedBackend ? installedBackend->createTexture(handle, w, h, pixels) : stoppedTextureError;
}
void opReleaseTexture(TextureHandle* handle) {
    if (installedBackend) installedBackend->releaseTexture(handle);
    else if (handle) *handle = 0;  // stopping the back end released every texture with its device
}
bool opIsTexture(const TextureHandle* handle) { return installedBackend && installedBackend->isTexture(handle); }
void opDrawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int l, int t, int r, int b) {
    if (installedBackend) installedBackend->drawTexture(handle, s0, t0, s1, t1, l, t, r, b);
}
void opSetClip(ClipRect clip) {
    if (installedBackend) installedBackend->setClip(clip);
}
void opResetClip() {
    if (installedBackend) installedBackend->resetClip();
}
void opRestoreDevice() {
    if (installedBackend) installedBackend->restoreDevice();
}
bool opSaveRegion(int x, int y, int w, int h, const wchar_t* path) {
    return installedBackend && installedBackend->saveRegion(x, y, w, h, path);
}

}  // namespace

RenderBackend::~RenderBackend() { uninstall(); }

RenderBackend* RenderBackend::installed() { return installedBackend; }

void RenderBackend::install(RenderOps& ops) {
    installedBackend = this;
    stoppedTextureError = textureErrorWhenStopped();
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

void RenderBackend::uninstall() {
    if (installedBackend == this) installedBackend = nullptr;
}

}  // namespace likenex
