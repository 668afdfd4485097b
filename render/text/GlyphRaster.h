#pragma once
// Single characters rendered by FreeType as the glyph font renders them (monochrome, 16-row
// blocks, a fallback face for characters the first face lacks, the space as an empty glyph 5
// pixels wide), for programs without a window: the data tool and the server draw the speech
// bubble's text with it. Faces are opened by file name in the local file system.

#include "render/text/GlyphBlock.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace likenex {

class GlyphRaster {
public:
    GlyphRaster();
    ~GlyphRaster();
    GlyphRaster(const GlyphRaster&) = delete;
    GlyphRaster& operator=(const GlyphRaster&) = delete;

    // Opens both faces at pixelSize; false (and nothing open) when either cannot be opened.
    [[nodiscard]] bool open(const std::string& fontFile, const std::string& fallbackFile, int pixelSize);
    [[nodiscard]] bool isOpen() const;

    // The glyph's record (no texture) and its block as character pixels (four equal bytes, 0
    // or 255, bottom row first, blockWidth by 16); null when neither face has the character.
    struct Glyph {
        GlyphRecord record;
        int blockWidth = 0;
        std::vector<std::uint8_t> pixels;
    };
    [[nodiscard]] const Glyph* glyph(char16_t c);

    // The width of the text's first `count` rendered characters, as the glyph font lays
    // out a text (characters neither face has are left out).
    [[nodiscard]] int widthOf(const std::u16string& text, int count);

private:
    struct Faces;
    std::unique_ptr<Faces> faces_;
    std::map<char16_t, std::unique_ptr<Glyph>> glyphs_;  // null: cannot be rendered
};

}  // namespace likenex
