#include "render/text/win/GdiTextEngine.h"

#include "render/Painter.h"
#include "render/RenderBackend.h"

#include <algorithm>

namespace likenex {
namespace {

// Textures are made in power-of-two sizes, which every Direct3D 8 device accepts; longer
// texts than the widest texture are cut at its edge.
constexpr int kMaxTextureSide = 4096;

int powerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < kMaxTextureSide) p *= 2;
    return p;
}

}  // namespace

void GdiTextEngine::releaseKept(TextureHandle& texture) {
    if (texture != 0) painter_.releaseTexture(&texture);
    texture = 0;
}

std::unique_ptr<GdiTextEngine> GdiTextEngine::create(Painter& painter, std::wstring_view fontFile, int size) {
    std::unique_ptr<GdiTextEngine> engine(new GdiTextEngine(painter));
    engine->faceName_ = faceNameFromFontFile(fontFile);
    // A GDI face name holds at most 31 characters.
    const std::wstring face = engine->faceName_.substr(0, LF_FACESIZE - 1);
    engine->font_.reset(CreateFontW(size, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, face.c_str()));
    engine->dc_.reset(CreateCompatibleDC(nullptr));
    if (!engine->font_ || !engine->dc_) return nullptr;
    painter.deviceResources().add(engine.get());
    return engine;
}

GdiTextEngine::~GdiTextEngine() {
    painter_.deviceResources().remove(this);
    onDeviceLost();
}

void GdiTextEngine::setText(std::wstring_view text) { text_.assign(text.substr(0, kMaxTextLength)); }

SIZE GdiTextEngine::extentOf(std::size_t characters) const {
    SIZE extent{};
    const HGDIOBJ previous = SelectObject(dc_.get(), font_.get());
    const int count = static_cast<int>(std::min(characters, text_.size()));
    if (!GetTextExtentPoint32W(dc_.get(), text_.c_str(), count, &extent)) extent = SIZE{};
    SelectObject(dc_.get(), previous);
    return extent;
}

int GdiTextEngine::textWidthOf(int n) { return n <= 0 ? 0 : extentOf(static_cast<std::size_t>(n)).cx; }

bool GdiTextEngine::renderText(KeptText& kept) const {
    const int width = kept.textureWidth, height = kept.textureHeight;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom row first, as textures are handed over
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return false;
    const HGDIOBJ previousBitmap = SelectObject(dc_.get(), dib.get());
    const HGDIOBJ previousFont = SelectObject(dc_.get(), font_.get());
    SetBkMode(dc_.get(), TRANSPARENT);
    SetTextColor(dc_.get(), RGB(255, 255, 255));
    TextOutW(dc_.get(), 0, 0, kept.text.c_str(), static_cast<int>(kept.text.size()));
    GdiFlush();
    SelectObject(dc_.get(), previousFont);
    SelectObject(dc_.get(), previousBitmap);

    // White text on black: the coverage becomes the alpha of white pixels, so the renderer's
    // colour tints the text as it tints any texture.
    auto* pixel = static_cast<std::uint8_t*>(bits);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i, pixel += 4) {
        pixel[3] = std::max({pixel[0], pixel[1], pixel[2]});
        pixel[0] = pixel[1] = pixel[2] = 255;
    }
    return painter_.createTexture(&kept.texture, width, height, bits) == 0 && kept.texture != 0;
}

const GdiTextEngine::KeptText* GdiTextEngine::textureOfText() {
    auto found = std::find_if(kept_.begin(), kept_.end(), [&](const KeptText& k) { return k.text == text_; });
    if (found != kept_.end()) {
        kept_.splice(kept_.begin(), kept_, found);
        return &kept_.front();
    }
    KeptText kept;
    kept.text = text_;
    kept.extent = extentOf(text_.size());
    if (kept.extent.cx <= 0 || kept.extent.cy <= 0) return nullptr;
    kept.textureWidth = powerOfTwoAtLeast(kept.extent.cx);
    kept.textureHeight = powerOfTwoAtLeast(kept.extent.cy);
    if (!renderText(kept)) {
        releaseKept(kept.texture);
        return nullptr;
    }
    kept_.push_front(std::move(kept));
    while (kept_.size() > kKeptTextures) {
        releaseKept(kept_.back().texture);
        kept_.pop_back();
    }
    return &kept_.front();
}

void GdiTextEngine::draw(int x, int y, const Colour& colour) {
    // The colour goes to this draw only; the renderer's current colour stays as it was. Only
    // a back end that can keep its colour aside draws such text.
    if (!painter_.backEnd() || !painter_.backEnd()->drawsTintedTextures()) return;
    const KeptText* kept = textureOfText();
    if (!kept) return;
    const SIZE extent = kept->extent;
    const int shownWidth = std::min<int>(extent.cx, kept->textureWidth);
    const int shownHeight = std::min<int>(extent.cy, kept->textureHeight);
    // The text sits in the texture's top rows, which are the last rows handed over: t runs
    // from 1 - cy / height (its bottom) to 1 (its top).
    (void)painter_.drawTintedTexture(&kept->texture, 0.0f,
                                     1.0f - static_cast<float>(shownHeight) / kept->textureHeight,
                                     static_cast<float>(shownWidth) / kept->textureWidth, 1.0f, x, y - extent.cy + 2,
                                     x + shownWidth, y - extent.cy + 2 + shownHeight, colour);
}

void GdiTextEngine::onDeviceLost() {
    for (KeptText& kept : kept_) releaseKept(kept.texture);
    kept_.clear();
}

}  // namespace likenex
