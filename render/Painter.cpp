#include "render/Painter.h"

#include "render/RenderBackend.h"

namespace likenex {

RenderBackend* Painter::backEnd() const { return context_.backEnd.get(); }

void Painter::resize(int width, int height) {
    if (RenderBackend* running = backEnd()) running->resize(width, height);
}

void Painter::clear() {
    if (RenderBackend* running = backEnd()) running->clear();
}

void Painter::beginScene() {
    if (RenderBackend* running = backEnd()) running->beginScene();
}

int Painter::endFrame() {
    RenderBackend* running = backEnd();
    return running ? running->endFrame() : 0;
}

void Painter::setColour(Colour colour) {
    if (RenderBackend* running = backEnd()) running->setColour(colour);
}

void Painter::drawLine(int x1, int y1, int x2, int y2) {
    if (RenderBackend* running = backEnd()) running->drawLine(x1, y1, x2, y2);
}

void Painter::fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    if (RenderBackend* running = backEnd()) running->fillTriangle(x1, y1, x2, y2, x3, y3);
}

void Painter::fillRect(int left, int top, int right, int bottom) {
    if (RenderBackend* running = backEnd()) running->fillRect(left, top, right, bottom);
}

long Painter::createTexture(TextureHandle* handle, int width, int height, const void* pixels) {
    RenderBackend* running = backEnd();
    return running ? running->createTexture(handle, width, height, pixels) : context_.textureErrorWhenStopped;
}

void Painter::releaseTexture(TextureHandle* handle) {
    if (RenderBackend* running = backEnd()) running->releaseTexture(handle);
    else if (handle) *handle = 0;
}

bool Painter::isTexture(const TextureHandle* handle) const {
    RenderBackend* running = backEnd();
    return running && running->isTexture(handle);
}

void Painter::drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                          int right, int bottom) {
    ++texturesDrawn_;
    if (RenderBackend* running = backEnd()) running->drawTexture(handle, s0, t0, s1, t1, left, top, right, bottom);
}

void Painter::drawImage(const TextureHandle* handle, int left, int top, int right, int bottom) {
    drawTexture(handle, 0.0f, 0.0f, 1.0f, 1.0f, left, top, right, bottom);
}

void Painter::setClip(ClipRect clip) {
    if (RenderBackend* running = backEnd()) running->setClip(clip);
}

void Painter::resetClip() {
    if (RenderBackend* running = backEnd()) running->resetClip();
}

bool Painter::drawTintedTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                                int right, int bottom, const Colour& tint) {
    RenderBackend* running = backEnd();
    if (!running || !running->drawsTintedTextures()) return false;
    ++texturesDrawn_;
    running->drawTintedTexture(handle, s0, t0, s1, t1, left, top, right, bottom, tint);
    return true;
}

void Painter::recoverLostDevice() {
    context_.deviceResources.recover([this] { restoreDevice(); });
}

void Painter::restoreDevice() {
    RenderBackend* running = backEnd();
    if (running && running->hasDeviceToRestore()) running->restoreDevice();
}

bool Painter::saveRegion(int x, int y, int width, int height, const wchar_t* path) {
    RenderBackend* running = backEnd();
    return running && running->saveRegion(x, y, width, height, path);
}

}  // namespace likenex
