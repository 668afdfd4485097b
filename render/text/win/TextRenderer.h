#pragma once
// One text in one font and pixel size, measured and drawn at a point. Renderers of the same
// size and font file share one engine of the window's TextEngines, which decides the kind.

#include "render/Colour.h"
#include "render/text/win/TextEngines.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace likenex {

class TextRenderer {
public:
    static constexpr int kFormatCapacity = 512;  // characters, with the terminator

    TextRenderer() = default;
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;
    ~TextRenderer() { release(); }

    // Binds to the shared engine of size, making it when needed; false (and nothing bound)
    // when it cannot be made. A bound renderer releases its old engine first.
    [[nodiscard]] bool create(TextEngines& engines, std::wstring_view fontFile, std::int32_t size);
    void release();

    // printf-style, %s being a wide string; the result is cut to 511 characters.
    void setText(const wchar_t* format, ...);
    void setPlainText(std::wstring_view text);
    // y is the baseline (glyph textures) or the text's bottom less 2 (Direct3D text).
    void draw(int x, int y, const Colour& colour);
    [[nodiscard]] int textWidth();
    [[nodiscard]] int textWidthOf(int n);

    [[nodiscard]] TextEngine* engine() const { return engine_; }
    [[nodiscard]] std::int32_t size() const { return size_; }
    [[nodiscard]] const std::wstring& fontFile() const { return fontFile_; }

private:
    // The engine, when it is of the kind in force; operations do nothing otherwise.
    [[nodiscard]] TextEngine* activeEngine() const;

    TextEngines* engines_ = nullptr;
    TextEngine* engine_ = nullptr;
    std::int32_t size_ = 0;
    std::wstring fontFile_;
};

}  // namespace likenex
