#include "render/text/win/TextEngines.h"

#include "render/Painter.h"
#include "render/text/win/GdiTextEngine.h"
#include "render/text/win/GlyphFont.h"

#include <memory>

namespace likenex {

TextEngine* TextEngines::acquire(std::int32_t size, std::wstring_view fontFile) {
    const std::wstring file(fontFile);
    TextEngineRegistry::Factory make;
    if (painter_.context().kind == BackEndKind::Direct3D8) {
        kind_ = TextEngineKind::Direct3DText;
        make = [&]() -> std::unique_ptr<TextEngine> { return GdiTextEngine::create(painter_, file, size); };
    } else {
        kind_ = TextEngineKind::GlyphTextures;
        make = [&]() -> std::unique_ptr<TextEngine> {
            auto font = std::make_unique<GlyphFont>(painter_, folders_);
            if (!font->open(file, size)) return nullptr;
            return font;
        };
    }
    return registry_.acquire(size, file, make);
}

void TextEngines::release(std::int32_t size, std::wstring_view fontFile) { registry_.release(size, fontFile); }

}  // namespace likenex
