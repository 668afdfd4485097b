#pragma once
// The avatar scene of programs that draw avatars without a window (the data tool, the
// server): the speech bubble is composed from the archive's bubble pieces, exactly as the
// editor composes it into a snapshot, and its text from FreeType glyphs; nothing is drawn on
// a screen. Without fonts the bubble is composed for an empty text.

#include "avatar/AvatarServices.h"
#include "avatar/SpeechBubbles.h"
#include "render/text/GlyphRaster.h"

#include <string>
#include <vector>

namespace likenex {

class AvatarArchive;

// The font files the bubble text is drawn with, at the editor's bubble size.
struct PictureFonts {
    std::string font;
    std::string fallback;
};
// The program directory's own free fonts when it holds them, else the system's copies of the
// same Debian fonts.
[[nodiscard]] PictureFonts defaultPictureFonts(const std::string& programDirectory);

inline constexpr int kBubbleTextPixels = 12;

class PictureScene final : public AvatarScene {
public:
    PictureScene(const AvatarArchive& archive, const PictureFonts& fonts);
    [[nodiscard]] bool hasFonts() const { return glyphs_.isOpen(); }

    int textWidth(const std::u16string& text) override;
    int textWidthOf(const std::u16string& text, int count) override;
    void drawText(Painter&, const std::u16string&, int, int, Colour) override {}
    void drawBubble(Painter&, int, int, int, bool, int) override {}
    void composeBubble(AvatarModel& model, int x, int y, int width, bool twoLines) override;
    bool renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height, int& advance) override;

private:
    // The widths of the last measured text's prefixes: `say` measures one text prefix after
    // prefix while it looks for the break.
    [[nodiscard]] const std::vector<int>& prefixWidths(const std::u16string& text);

    SpeechBubbles bubbles_;
    GlyphRaster glyphs_;
    std::u16string measured_;
    std::vector<int> prefixes_;  // prefixes_[n]: the width of the first n laid-out characters
};

}  // namespace likenex
