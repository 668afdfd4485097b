#pragma once
// The text engines behind TextRenderer and the process-wide registry that shares one engine
// per pixel size. Engines of one size are shared whatever font file they were asked for: the
// file of the first creation stays in force until the last holder releases it.

#include "render/Colour.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace likenex {

// Which engine the last TextRenderer::create chose: Direct3D text (0) or glyph textures (1).
enum class TextEngineKind : std::int32_t { None = -1, Direct3DText = 0, GlyphTextures = 1 };

class TextEngine {
public:
    TextEngine() = default;
    TextEngine(const TextEngine&) = delete;
    TextEngine& operator=(const TextEngine&) = delete;
    virtual ~TextEngine() = default;

    [[nodiscard]] virtual TextEngineKind kind() const = 0;
    // The text becomes the current one, unchanged.
    virtual void setText(std::wstring_view text) = 0;
    virtual void draw(int x, int y, const Colour& colour) = 0;
    [[nodiscard]] virtual int textWidth() = 0;
    [[nodiscard]] virtual int textWidthOf(int n) = 0;
};

// Pixel size -> {engine, holders}.
class TextEngineRegistry {
public:
    using Factory = std::function<std::unique_ptr<TextEngine>()>;

    // The engine of size, shared (one more holder) when it exists; otherwise made by the
    // factory and entered with one holder. Null when the factory fails: nothing is entered.
    [[nodiscard]] TextEngine* acquire(std::int32_t size, const Factory& make);
    // One holder less; the last one destroys the engine. Unknown sizes are ignored.
    void release(std::int32_t size);

    [[nodiscard]] TextEngine* find(std::int32_t size) const;
    [[nodiscard]] int holders(std::int32_t size) const;
    [[nodiscard]] std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::unique_ptr<TextEngine> engine;
        int holders = 0;
    };
    std::map<std::int32_t, Entry> entries_;
};

// The face name a GDI font is asked for: the file name without its last four characters
// ("MSGOTHIC.TTC" gives "MSGOTHIC"); names of four characters or fewer give "".
[[nodiscard]] std::wstring faceNameFromFontFile(std::wstring_view fontFile);

}  // namespace likenex
