#pragma once
// The Direct3D 8 back end. d3d8.dll is loaded at run time (there is no import library), and
// the pieces of the vendor's utility library it needs (the orthographic matrix, the back
// buffer save) are our own.
//
// A TextureHandle is 32 bits, too small for a pointer, so the textures live in a table of
// this object and a handle is a slot number plus one.

#include "platform/win/Handles.h"
#include "render/RenderBackend.h"
#include "render/d3d8/OrthoMatrix.h"

#include <d3d8.h>

#include <vector>

namespace likenex {

class D3d8Backend final : public RenderBackend {
public:
    // The resources are told around the resets the back end makes itself (a resize).
    explicit D3d8Backend(DeviceResources& resources) : resources_(resources) {}

    [[nodiscard]] bool start(HWND window) override;

    // The device's presentation parameters as last set (the back-buffer size, say).
    [[nodiscard]] const D3DPRESENT_PARAMETERS& presentParameters() const { return params_; }
    [[nodiscard]] IDirect3DDevice8* device() const { return device_.get(); }
    [[nodiscard]] std::size_t liveTextureCount() const;

    void resize(int width, int height) override;
    void clear() override;
    void beginScene() override;
    [[nodiscard]] int endFrame() override;
    void setColour(const Colour& colour) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) override;
    void fillRect(int left, int top, int right, int bottom) override;
    [[nodiscard]] long createTexture(TextureHandle* handle, int width, int height, const void* pixels) override;
    void releaseTexture(TextureHandle* handle) override;
    [[nodiscard]] bool isTexture(const TextureHandle* handle) const override;
    void drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top, int right,
                     int bottom) override;
    // The same, tinted with `tint` instead of the current colour, which stays as it was: text
    // is drawn in its own colour without changing what the caller set.
    [[nodiscard]] bool drawsTintedTextures() const override { return true; }
    void drawTintedTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                           int right, int bottom, const Colour& tint) override;
    void setClip(const ClipRect& clip) override;
    void resetClip() override;
    [[nodiscard]] bool hasDeviceToRestore() const override { return true; }
    void restoreDevice() override;
    [[nodiscard]] bool saveRegion(int x, int y, int width, int height, const wchar_t* path) override;
    [[nodiscard]] long textureErrorWhenStopped() const override;

private:
    struct Vertex {
        float x, y, z;
        D3DCOLOR diffuse;
        float u, v;
    };
    static_assert(sizeof(Vertex) == 24);

    void setUpDevice();
    void setView(const RECT& area);
    // Binds the texture (none for plain colour) and draws, unless nothing may be drawn.
    void draw(D3DPRIMITIVETYPE type, UINT primitives, const Vertex* vertices, IDirect3DTexture8* texture);
    [[nodiscard]] IDirect3DTexture8* textureOf(const TextureHandle* handle) const;

    DeviceResources& resources_;
    // Released in reverse order: textures, device, Direct3D object, then the library.
    UniqueModule library_;
    ComPtr<IDirect3D8> d3d_;
    ComPtr<IDirect3DDevice8> device_;
    std::vector<ComPtr<IDirect3DTexture8>> textures_;

    HWND window_ = nullptr;
    D3DPRESENT_PARAMETERS params_{};  // kept for Reset
    Matrix4 projection_;
    Colour colour_;
    bool clippedAway_ = false;  // the clip rectangle lies outside the back buffer
    // Presenting or a Reset failed: nothing is drawn until restoreDevice resets the device.
    // (Wine's device crashes when drawn on after a refused Reset.)
    bool needsReset_ = false;
};

}  // namespace likenex
