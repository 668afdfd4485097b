#pragma once
// The editor's text: the three text renderers in the UI font, the glyph font the avatar's
// captions are drawn with, and the speech bubbles. It is the avatar's scene: a model measures
// and draws its bubble and its words through it.

#include "avatar/AvatarServices.h"
#include "avatar/SpeechBubbles.h"
#include "render/text/win/GlyphFont.h"
#include "render/text/win/TextRenderer.h"

#include <string>
#include <string_view>

namespace likenex {

// The pixel sizes of the three text renderers: the small one of notes, the medium one of most
// texts and of the speech bubbles, and the large one of titles.
enum class TextSize { small = 11, medium = 12, large = 13 };

class TextServices final : public AvatarScene {
public:
    // The renderers bind to the engines, and the glyph font draws through their painter.
    explicit TextServices(TextEngines& engines)
        : engines_(engines), glyphFont_(engines.painter(), engines.folders()) {}

    // Makes the three renderers and opens the glyph font, all in the font file; release lets
    // them go (a change of language makes them again in another font).
    void create(const std::wstring& fontFile);
    void release();

    // Text by size; a value outside the three does nothing and measures 0.
    void setPlainText(TextSize size, std::wstring_view text);
    void drawText(TextSize size, int x, int y, const Colour& colour);
    [[nodiscard]] int textWidth(TextSize size);
    [[nodiscard]] int textWidthOf(TextSize size, int n);

    [[nodiscard]] SpeechBubbles& speechBubbles() { return bubbles_; }
    [[nodiscard]] const SpeechBubbles& speechBubbles() const { return bubbles_; }
    [[nodiscard]] GlyphFont& glyphFont() { return glyphFont_; }

    // AvatarScene: the speech bubble's text in the medium renderer, glyphs from the glyph font.
    int textWidth(const std::u16string& text) override;
    int textWidthOf(const std::u16string& text, int count) override;
    void drawText(Painter& painter, const std::u16string& text, int x, int y, Colour colour) override;
    void drawBubble(Painter& painter, int x, int y, int width, bool twoLines, int variant) override;
    void composeBubble(AvatarModel& model, int x, int y, int width, bool twoLines) override;
    bool renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height, int& advance) override;

private:
    [[nodiscard]] TextRenderer* renderer(TextSize size);

    TextEngines& engines_;
    TextRenderer small_, medium_, large_;
    GlyphFont glyphFont_;
    SpeechBubbles bubbles_;
};

}  // namespace likenex
