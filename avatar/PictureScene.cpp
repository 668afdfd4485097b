#include "avatar/PictureScene.h"

#include <algorithm>
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

const std::vector<int>& PictureScene::prefixWidths(const std::u16string& text) {
    if (prefixes_.empty() || text != measured_) {
        measured_ = text;
        prefixes_.assign(1, 0);
        for (const char16_t c : text)
            if (const GlyphRaster::Glyph* glyph = glyphs_.glyph(c))
                prefixes_.push_back(prefixes_.back() + glyph->record.width + glyph->record.left);
    }
    return prefixes_;
}

int PictureScene::textWidth(const std::u16string& text) { return prefixWidths(text).back(); }

int PictureScene::textWidthOf(const std::u16string& text, int count) {
    // As the glyph font counts: the first `count` laid-out characters, all of them past the end.
    const std::vector<int>& widths = prefixWidths(text);
    if (count <= 0) return 0;
    return widths[std::min(static_cast<std::size_t>(count), widths.size() - 1)];
}

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
