#include "render/win/D3d8Backend.h"

#include "render/win/BmpSave.h"
#include "render/DeviceResources.h"
#include "render/PixelRows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace likenex {
namespace {

constexpr UINT kSdkVersion = 220;
constexpr DWORD kVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x142
static_assert(kVertexFormat == 0x142);

using Direct3DCreate8Function = IDirect3D8*(WINAPI*)(UINT);

D3DMATRIX toD3d(const Matrix4& m) {
    static_assert(sizeof(D3DMATRIX) == sizeof(m.m));
    D3DMATRIX d;
    std::memcpy(&d, m.m.data(), sizeof d);
    return d;
}

std::optional<SurfaceFormat> surfaceFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_X8R8G8B8: return SurfaceFormat::X8R8G8B8;
    case D3DFMT_A8R8G8B8: return SurfaceFormat::A8R8G8B8;
    case D3DFMT_R5G6B5: return SurfaceFormat::R5G6B5;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return SurfaceFormat::X1R5G5B5;
    default: return std::nullopt;
    }
}

}  // namespace

bool D3d8Backend::start(HWND window) {
    window_ = window;
    library_.reset(LoadLibraryW(L"d3d8.dll"));
    if (!library_) return false;
    // Through void(*)() so that the compiler accepts the change of function type.
    const auto create = reinterpret_cast<Direct3DCreate8Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(library_.get(), "Direct3DCreate8")));
    if (!create) return false;
    d3d_.reset(create(kSdkVersion));
    if (!d3d_) return false;

    D3DDISPLAYMODE mode{};
    if (FAILED(d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return false;

    RECT client{};
    GetClientRect(window, &client);
    params_ = D3DPRESENT_PARAMETERS{};
    params_.BackBufferWidth = static_cast<UINT>(client.right - client.left);
    params_.BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
    params_.BackBufferFormat = mode.Format;
    params_.BackBufferCount = 1;
    params_.MultiSampleType = D3DMULTISAMPLE_NONE;
    params_.SwapEffect = D3DSWAPEFFECT_FLIP;
    params_.hDeviceWindow = window;
    params_.Windowed = TRUE;
    params_.EnableAutoDepthStencil = FALSE;

    if (FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                  &params_, device_.put())))
        return false;
    setUpDevice();
    return true;
}

std::size_t D3d8Backend::liveTextureCount() const {
    return static_cast<std::size_t>(
        std::count_if(textures_.begin(), textures_.end(), [](const auto& t) { return bool(t); }));
}

// Also after every Reset, which forgets the device's state.
void D3d8Backend::setUpDevice() {
    clippedAway_ = false;
    setView(RECT{0, 0, static_cast<LONG>(params_.BackBufferWidth), static_cast<LONG>(params_.BackBufferHeight)});
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_->SetVertexShader(kVertexFormat);
}

// The viewport and a projection of the same rectangle, so client pixels keep their place.
void D3d8Backend::setView(const RECT& area) {
    D3DVIEWPORT8 viewport{};
    viewport.X = static_cast<DWORD>(area.left);
    viewport.Y = static_cast<DWORD>(area.top);
    viewport.Width = static_cast<DWORD>(area.right - area.left);
    viewport.Height = static_cast<DWORD>(area.bottom - area.top);
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 0.0f;
    device_->SetViewport(&viewport);

    projection_ = orthoOffCenterLh(static_cast<float>(area.left), static_cast<float>(area.right),
                                   static_cast<float>(area.bottom), static_cast<float>(area.top), 0.0f, 1.0f);
    const D3DMATRIX projection = toD3d(projection_);
    const D3DMATRIX identity = toD3d(Matrix4::identity());
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetTransform(D3DTS_WORLD, &identity);
    device_->SetTransform(D3DTS_VIEW, &identity);
}

void D3d8Backend::draw(D3DPRIMITIVETYPE type, UINT primitives, const Vertex* vertices, IDirect3DTexture8* texture) {
    if (clippedAway_ || needsReset_) return;
    device_->SetTexture(0, texture);
    device_->SetVertexShader(kVertexFormat);
    device_->DrawPrimitiveUP(type, primitives, vertices, sizeof(Vertex));
}

void D3d8Backend::resize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (static_cast<UINT>(width) == params_.BackBufferWidth && static_cast<UINT>(height) == params_.BackBufferHeight)
        return;
    params_.BackBufferWidth = static_cast<UINT>(width);
    params_.BackBufferHeight = static_cast<UINT>(height);
    // Reset refuses to run while objects of the default pool exist: the registered resources
    // let theirs go first.
    resources_.releaseAll();
    // A refused Reset (a back buffer still referenced, say) leaves the device lost; the frame
    // loop's recovery resets it with the new size later.
    needsReset_ = FAILED(device_->Reset(&params_));
    if (!needsReset_) setUpDevice();
    resources_.recreateAll();
}

void D3d8Backend::clear() {
    // Clear covers the viewport, and no viewport is visible when clipped away.
    if (clippedAway_ || needsReset_) return;
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
}

void D3d8Backend::beginScene() {
    if (!needsReset_) device_->BeginScene();
}

int D3d8Backend::endFrame() {
    if (needsReset_) return 1;
    device_->EndScene();
    needsReset_ = FAILED(device_->Present(nullptr, nullptr, nullptr, nullptr));
    return needsReset_ ? 1 : 0;
}

void D3d8Backend::setColour(const Colour& colour) { colour_ = colour; }

void D3d8Backend::drawLine(int x1, int y1, int x2, int y2) {
    const D3DCOLOR c = colour_.packed;
    const Vertex v[2] = {{static_cast<float>(x1), static_cast<float>(y1) - 0.5f, 0.0f, c, 0.0f, 0.0f},
                         {static_cast<float>(x2), static_cast<float>(y2) - 0.5f, 0.0f, c, 0.0f, 0.0f}};
    draw(D3DPT_LINELIST, 1, v, nullptr);
}

void D3d8Backend::fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    const D3DCOLOR c = colour_.packed;
    const Vertex v[3] = {{static_cast<float>(x1), static_cast<float>(y1), 0.0f, c, 0.0f, 0.0f},
                         {static_cast<float>(x2), static_cast<float>(y2), 0.0f, c, 0.0f, 0.0f},
                         {static_cast<float>(x3), static_cast<float>(y3), 0.0f, c, 0.0f, 0.0f}};
    draw(D3DPT_TRIANGLESTRIP, 1, v, nullptr);
}

void D3d8Backend::fillRect(int left, int top, int right, int bottom) {
    const D3DCOLOR c = colour_.packed;
    const auto l = static_cast<float>(left), t = static_cast<float>(top);
    const auto r = static_cast<float>(right), b = static_cast<float>(bottom);
    const Vertex v[4] = {{l, t, 0.0f, c, 0.0f, 0.0f},
                         {r, t, 0.0f, c, 0.0f, 0.0f},
                         {l, b, 0.0f, c, 0.0f, 0.0f},
                         {r, b, 0.0f, c, 0.0f, 0.0f}};
    draw(D3DPT_TRIANGLESTRIP, 2, v, nullptr);
}

long D3d8Backend::createTexture(TextureHandle* handle, int width, int height, const void* pixels) {
    if (!handle || width <= 0 || height <= 0 || !pixels) return D3DERR_INVALIDCALL;
    ComPtr<IDirect3DTexture8> texture;
    HRESULT hr = device_->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, 0, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, texture.put());
    if (FAILED(hr)) return hr;

    D3DLOCKED_RECT locked{};
    hr = texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    // The caller's rows are bottom row first; the texture's top row first.
    copyRowsReversed(static_cast<const std::uint8_t*>(pixels), static_cast<std::size_t>(width) * 4, height,
                     static_cast<std::uint8_t*>(locked.pBits), static_cast<std::size_t>(locked.Pitch));
    texture->UnlockRect(0);

    auto slot = std::find_if(textures_.begin(), textures_.end(), [](const auto& t) { return !t; });
    if (slot == textures_.end()) {
        if (textures_.size() >= 0xFFFFFFFEu) return D3DERR_OUTOFVIDEOMEMORY;
        slot = textures_.emplace(textures_.end());
    }
    *slot = std::move(texture);
    *handle = static_cast<TextureHandle>(slot - textures_.begin()) + 1;
    return D3D_OK;
}

void D3d8Backend::releaseTexture(TextureHandle* handle) {
    if (!handle) return;
    if (*handle != 0 && *handle <= textures_.size()) textures_[*handle - 1].reset();
    *handle = 0;
}

bool D3d8Backend::isTexture(const TextureHandle* handle) const { return handle && *handle != 0; }

IDirect3DTexture8* D3d8Backend::textureOf(const TextureHandle* handle) const {
    if (!handle || *handle == 0 || *handle > textures_.size()) return nullptr;
    return textures_[*handle - 1].get();
}

void D3d8Backend::drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                              int right, int bottom) {
    drawTintedTexture(handle, s0, t0, s1, t1, left, top, right, bottom, colour_);
}

void D3d8Backend::drawTintedTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left,
                                    int top, int right, int bottom, const Colour& tint) {
    IDirect3DTexture8* texture = textureOf(handle);
    if (!texture) return;
    // Pixel centres lie on whole coordinates in Direct3D 8: the half-pixel shift makes texels
    // land on pixels. Rows were turned over on upload, so t counts from the bottom here too.
    const D3DCOLOR c = tint.packed;
    const float l = static_cast<float>(left) - 0.5f, t = static_cast<float>(top) - 0.5f;
    const float r = static_cast<float>(right) - 0.5f, b = static_cast<float>(bottom) - 0.5f;
    const Vertex v[4] = {{l, b, 1.0f, c, s0, 1.0f - t0},
                         {l, t, 1.0f, c, s0, 1.0f - t1},
                         {r, b, 1.0f, c, s1, 1.0f - t0},
                         {r, t, 1.0f, c, s1, 1.0f - t1}};
    draw(D3DPT_TRIANGLESTRIP, 2, v, texture);
}

void D3d8Backend::setClip(const ClipRect& clip) {
    // The viewport must lie inside the back buffer; a clip reaching outside it is cut to it.
    const RECT area{std::max<LONG>(clip.left, 0), std::max<LONG>(clip.top, 0),
                    std::min<LONG>(clip.right, static_cast<LONG>(params_.BackBufferWidth)),
                    std::min<LONG>(clip.bottom, static_cast<LONG>(params_.BackBufferHeight))};
    clippedAway_ = area.right <= area.left || area.bottom <= area.top;
    if (!clippedAway_) setView(area);
}

void D3d8Backend::resetClip() {
    clippedAway_ = false;
    RECT client{};
    GetClientRect(window_, &client);
    setView(RECT{client.left, client.top, client.left + static_cast<LONG>(params_.BackBufferWidth),
                 client.top + static_cast<LONG>(params_.BackBufferHeight)});
}

void D3d8Backend::restoreDevice() {
    // A device that is still lost is tried again after the next failed frame. One that
    // reports no loss but failed its last Present or Reset is reset all the same.
    const HRESULT state = device_->TestCooperativeLevel();
    if (state != D3DERR_DEVICENOTRESET && !(state == D3D_OK && needsReset_)) return;
    if (FAILED(device_->Reset(&params_))) return;
    needsReset_ = false;
    setUpDevice();
}

long D3d8Backend::textureErrorWhenStopped() const { return D3DERR_INVALIDCALL; }

bool D3d8Backend::saveRegion(int x, int y, int width, int height, const wchar_t* path) {
    if (!path || needsReset_ || x < 0 || y < 0 || width <= 0 || height <= 0) return false;
    ComPtr<IDirect3DSurface8> backBuffer;
    if (FAILED(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put()))) return false;
    D3DSURFACE_DESC desc{};
    if (FAILED(backBuffer->GetDesc(&desc))) return false;
    const std::optional<SurfaceFormat> format = surfaceFormat(desc.Format);
    if (!format) return false;
    if (std::int64_t{x} + width > desc.Width || std::int64_t{y} + height > desc.Height) return false;

    // The back buffer cannot be locked; copy the region into a surface that can.
    ComPtr<IDirect3DSurface8> copy;
    if (FAILED(
            device_->CreateImageSurface(static_cast<UINT>(width), static_cast<UINT>(height), desc.Format, copy.put())))
        return false;
    const RECT source{x, y, x + width, y + height};
    const POINT origin{0, 0};
    if (FAILED(device_->CopyRects(backBuffer.get(), &source, 1, copy.get(), &origin))) return false;

    D3DLOCKED_RECT locked{};
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
    const std::vector<std::uint8_t> rows = surfaceToBottomUpBgra(
        *format, static_cast<const std::uint8_t*>(locked.pBits), static_cast<std::size_t>(locked.Pitch), width, height);
    copy->UnlockRect();
    return saveBmp32(path, width, height, rows);
}

}  // namespace likenex
