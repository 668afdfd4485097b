#include "render/text/win/TextRenderer.h"

#include <cstdarg>
#include <cwchar>
#include <string>

namespace likenex {

bool TextRenderer::create(TextEngines& engines, std::wstring_view fontFile, std::int32_t size) {
    release();
    engine_ = engines.acquire(size, fontFile);
    if (!engine_) return false;
    engines_ = &engines;
    size_ = size;
    fontFile_ = std::wstring(fontFile);
    return true;
}

void TextRenderer::release() {
    if (!engine_) return;
    engine_ = nullptr;
    engines_->release(size_, fontFile_);
}

TextEngine* TextRenderer::activeEngine() const {
    return engine_ && engine_->kind() == engines_->kind() ? engine_ : nullptr;
}

void TextRenderer::setText(const wchar_t* format, ...) {
    if (!format) return;
    wchar_t buffer[kFormatCapacity] = {};
    va_list arguments;
    va_start(arguments, format);
    // Cut at 511 characters; the buffer's last character stays the terminator either way.
    _vsnwprintf(buffer, kFormatCapacity - 1, format, arguments);
    va_end(arguments);
    buffer[kFormatCapacity - 1] = L'\0';
    setPlainText(buffer);
}

void TextRenderer::setPlainText(std::wstring_view text) {
    if (TextEngine* engine = activeEngine()) engine->setText(text);
}

void TextRenderer::draw(int x, int y, const Colour& colour) {
    if (TextEngine* engine = activeEngine()) engine->draw(x, y, colour);
}

int TextRenderer::textWidth() {
    TextEngine* engine = activeEngine();
    return engine ? engine->textWidth() : 0;
}

int TextRenderer::textWidthOf(int n) {
    TextEngine* engine = activeEngine();
    return engine ? engine->textWidthOf(n) : 0;
}

}  // namespace likenex
