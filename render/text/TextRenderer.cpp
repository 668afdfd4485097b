#include "render/text/TextRenderer.h"

#include "render/text/GdiTextEngine.h"
#include "render/text/GlyphFont.h"

#include <cstdarg>
#include <cwchar>
#include <string>

namespace likenex {
namespace {

TextEngineKind& currentEngineKind() {
    static TextEngineKind kind = TextEngineKind::None;
    return kind;
}

}  // namespace

TextEngineRegistry& TextRenderer::registry() {
    static TextEngineRegistry engines;
    return engines;
}

TextEngineKind TextRenderer::engineKind() { return currentEngineKind(); }

bool TextRenderer::create(const RenderContext* context, std::wstring_view fontFile, std::int32_t size) {
    release();
    if (!context) return false;
    const std::wstring file(fontFile);
    TextEngineRegistry::Factory make;
    if (context->kind == BackEndKind::Direct3D8) {
        currentEngineKind() = TextEngineKind::Direct3DText;
        make = [&]() -> std::unique_ptr<TextEngine> { return GdiTextEngine::create(file, size); };
    } else {
        currentEngineKind() = TextEngineKind::GlyphTextures;
        make = [&]() -> std::unique_ptr<TextEngine> {
            auto font = std::make_unique<GlyphFont>();
            if (!font->open(file, size)) return nullptr;
            return font;
        };
    }
    engine_ = registry().acquire(size, file, make);
    if (engine_) {
        size_ = size;
        fontFile_ = file;
    }
    return engine_ != nullptr;
}

void TextRenderer::release() {
    if (!engine_) return;
    engine_ = nullptr;
    registry().release(size_, fontFile_);
}

TextEngine* TextRenderer::activeEngine() const {
    return engine_ && engine_->kind() == currentEngineKind() ? engine_ : nullptr;
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
