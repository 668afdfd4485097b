#include "app/TextServices.h"

#include "base/Text.h"

namespace likenex {

void TextServices::create(const std::wstring& fontFile) {
    (void)small_.create(engines_, fontFile, static_cast<int>(TextSize::small));
    (void)medium_.create(engines_, fontFile, static_cast<int>(TextSize::medium));
    (void)large_.create(engines_, fontFile, static_cast<int>(TextSize::large));
    (void)glyphFont_.open(fontFile, static_cast<int>(TextSize::medium));
}

void TextServices::release() {
    small_.release();
    medium_.release();
    large_.release();
    glyphFont_.close();
}

TextRenderer* TextServices::renderer(TextSize size) {
    switch (size) {
    case TextSize::small: return &small_;
    case TextSize::medium: return &medium_;
    case TextSize::large: return &large_;
    default: return nullptr;
    }
}

void TextServices::setPlainText(TextSize size, std::wstring_view text) {
    if (TextRenderer* r = renderer(size)) r->setPlainText(text);
}

void TextServices::drawText(TextSize size, int x, int y, const Colour& colour) {
    if (TextRenderer* r = renderer(size)) r->draw(x, y, colour);
}

int TextServices::textWidth(TextSize size) {
    TextRenderer* r = renderer(size);
    return r ? r->textWidth() : 0;
}

int TextServices::textWidthOf(TextSize size, int n) {
    TextRenderer* r = renderer(size);
    return r ? r->textWidthOf(n) : 0;
}

void TextServices::drawBubble(Painter& painter, int x, int y, int width, bool twoLines, int variant) {
    bubbles_.draw(painter, x, y, width, twoLines, variant);
}

void TextServices::composeBubble(AvatarModel& model, int x, int y, int width, bool twoLines) {
    bubbles_.compose(model, x, y, width, twoLines);
}

int TextServices::textWidth(const std::u16string& text) {
    setPlainText(TextSize::medium, text::wideFromUtf16(text));
    return textWidth(TextSize::medium);
}

int TextServices::textWidthOf(const std::u16string& text, int count) {
    setPlainText(TextSize::medium, text::wideFromUtf16(text));
    return textWidthOf(TextSize::medium, count);
}

void TextServices::drawText(Painter&, const std::u16string& text, int x, int y, Colour colour) {
    setPlainText(TextSize::medium, text::wideFromUtf16(text));
    drawText(TextSize::medium, x, y, colour);
}

bool TextServices::renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height,
                                   int& advance) {
    return glyphFont_.isOpen() && glyphFont_.renderCharacter(c, pixels, width, height, advance);
}

}  // namespace likenex
