#pragma once
// The text engine used with Direct3D 8, standing in for a D3DX font: a GDI font measures the
// text and draws it into a DIB, which becomes a renderer texture drawn with the bottom of the
// text's extent 2 pixels below the given y. Textures of recent texts are kept, and dropped
// when the device is lost; they are made again at the next draw.

#include "platform/win/Handles.h"
#include "render/DeviceResources.h"
#include "render/RenderContext.h"
#include "render/text/TextEngine.h"

#include <windows.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>

namespace likenex {

class Painter;

class GdiTextEngine final : public TextEngine, public DeviceResource {
public:
    static constexpr std::size_t kMaxTextLength = 511;
    static constexpr std::size_t kKeptTextures = 64;

    // A GDI font of height size whose face is the file name without its extension; null when
    // the font or the measuring DC cannot be made. Textures are made and drawn through the
    // painter, whose context's device resources the engine joins while it lives.
    [[nodiscard]] static std::unique_ptr<GdiTextEngine> create(Painter& painter, std::wstring_view fontFile,
                                                                int size);
    ~GdiTextEngine() override;

    [[nodiscard]] TextEngineKind kind() const override { return TextEngineKind::Direct3DText; }
    void setText(std::wstring_view text) override;
    // Draws the text into (x, y - cy + 2, x + cx, y + 2), (cx, cy) being its extent.
    void draw(int x, int y, const Colour& colour) override;
    [[nodiscard]] int textWidth() override { return extentOf(text_.size()).cx; }
    [[nodiscard]] int textWidthOf(int n) override;

    void onDeviceLost() override;
    void onDeviceReset() override {}

    [[nodiscard]] SIZE extentOf(std::size_t characters) const;
    [[nodiscard]] const std::wstring& faceName() const { return faceName_; }
    [[nodiscard]] HFONT font() const { return font_.get(); }
    [[nodiscard]] const std::wstring& text() const { return text_; }
    [[nodiscard]] std::size_t keptTextures() const { return kept_.size(); }

private:
    struct KeptText {
        std::wstring text;
        TextureHandle texture = 0;
        int textureWidth = 0, textureHeight = 0;
        SIZE extent{};
    };

    explicit GdiTextEngine(Painter& painter) : painter_(painter) {}
    void releaseKept(TextureHandle& texture);
    // The kept texture of the current text, made when missing; null when it cannot be made.
    [[nodiscard]] const KeptText* textureOfText();
    [[nodiscard]] bool renderText(KeptText& kept) const;

    Painter& painter_;
    UniqueFont font_;
    UniqueMemoryDc dc_;
    std::wstring faceName_;
    std::wstring text_;
    std::list<KeptText> kept_;  // most recently drawn first
};

}  // namespace likenex
