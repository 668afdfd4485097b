#include "avatar/PictureScene.h"

#include <filesystem>

namespace likenex {

PictureFonts defaultPictureFonts(const std::string& programDirectory) {
    namespace fs = std::filesystem;
    auto pick = [&](const char* name, const char* system) {
        std::error_code error;
        const fs::path own = fs::path(programDirectory) / "fonts" / name;
        return fs::is_regular_file(own, error) ? own.string() : std::string(system);
    };
    return {pick("DejaVuSans.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
            pick("uming.ttc", "/usr/share/fonts/truetype/arphic/uming.ttc")};
}

PictureScene::PictureScene(const AvatarArchive& archive, const PictureFonts& fonts) {
    bubbles_.load(archive);
    (void)glyphs_.open(fonts.font, fonts.fallback, kBubbleTextPixels);
}

int PictureScene::textWidth(const std::u16string& text) { return glyphs_.widthOf(text, static_cast<int>(text.size())); }

int PictureScene::textWidthOf(const std::u16string& text, int count) { return glyphs_.widthOf(text, count); }

void PictureScene::composeBubble(AvatarModel& model, int x, int y, int width, bool twoLines) {
    bubbles_.compose(model, x, y, width, twoLines);
}

bool PictureScene::renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height,
                                   int& advance) {
    const GlyphRaster::Glyph* glyph = glyphs_.glyph(c);
    if (!glyph) return false;
    pixels = glyph->pixels;
    width = glyph->blockWidth;
    height = kGlyphBlock;
    advance = glyph->record.left + glyph->record.width;
    return true;
}

}  // namespace likenex
