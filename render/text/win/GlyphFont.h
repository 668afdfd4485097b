#pragma once
// Text from FreeType glyphs: each character is rendered once, monochrome, into a 16 x 16
// texture block and cached; a text is laid out from the cache and drawn block by block through
// the renderer's texture operations. A fallback face (the traditional Chinese font) serves
// characters the requested face lacks. The same glyphs give single characters as pixel blocks
// for the avatar snapshot.

#include "render/text/win/Fonts.h"
#include "render/text/GlyphBlock.h"
#include "render/text/TextEngine.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace likenex {

class Painter;

// Milliseconds of a wrapping 32-bit clock (timeGetTime unless a test sets its own).
using MillisecondClock = std::uint32_t (*)();

class GlyphFont final : public TextEngine {
public:
    // Glyph textures are made, drawn and released through the painter; font files are looked
    // up in the folders. Both outlive the font.
    GlyphFont(Painter& painter, const FontFolders& folders, MillisecondClock clock = nullptr);
    ~GlyphFont() override;

    // Opens fontFile (looked up in the folders) at pixelSize, and the fallback face.
    [[nodiscard]] bool open(std::wstring_view fontFile, int pixelSize);
    // Releases the cached textures and both faces.
    void close();
    [[nodiscard]] bool isOpen() const;

    void layOut(std::wstring_view text);
    void drawLaidOut(int x, int y, const Colour& colour) const;

    // c as blockWidth x 16 pixels of four equal bytes (0 or 255), bottom row first; false when
    // neither face can render it.
    [[nodiscard]] bool renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height,
                                       int& advance);

    // TextEngine: the glyph engine used with OpenGL.
    [[nodiscard]] TextEngineKind kind() const override { return TextEngineKind::GlyphTextures; }
    void setText(std::wstring_view text) override { layOut(text); }
    void draw(int x, int y, const Colour& colour) override { drawLaidOut(x, y, colour); }
    [[nodiscard]] int textWidth() override;
    [[nodiscard]] int textWidthOf(int n) override;

    [[nodiscard]] const std::vector<GlyphRecord>& laidOut() const { return laidOut_; }
    [[nodiscard]] const GlyphCache& cache() const { return cache_; }
    [[nodiscard]] const std::wstring& fontPath() const { return fontPath_; }
    [[nodiscard]] int pixelSize() const { return pixelSize_; }

private:
    struct LibraryDone {
        void operator()(FT_LibraryRec_* library) const;
    };
    struct FaceDone {
        void operator()(FT_FaceRec_* face) const;
    };
    using Library = std::unique_ptr<FT_LibraryRec_, LibraryDone>;
    using Face = std::unique_ptr<FT_FaceRec_, FaceDone>;
    struct OpenFace {
        Library library;
        Face face;
    };

    [[nodiscard]] static bool openFace(const std::wstring& path, int pixelSize, OpenFace& out);
    // Renders c into the scratch and fills the record (without texture); false when it cannot.
    [[nodiscard]] bool renderIntoScratch(char16_t c, GlyphRecord& record, int& blockWidth);

    void releaseTexture(GlyphRecord& record);

    Painter& painter_;
    const FontFolders& folders_;
    MillisecondClock clock_;
    OpenFace primary_;
    OpenFace fallback_;
    std::int32_t pixelSize_ = 0;
    std::int32_t spacing_ = 0;
    std::wstring fontPath_;
    GlyphScratch scratch_{};
    std::wstring text_;
    std::vector<GlyphRecord> laidOut_;
    GlyphCache cache_;
};

}  // namespace likenex
