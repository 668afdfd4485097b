#pragma once
// The text engines behind TextRenderer and the process-wide registry that shares one engine
// per pixel size and font file. The file is part of the key so that a change of language
// takes effect at once: renderers made again with the new file get an engine of that file,
// while the old file's engine lives on only as long as someone still holds it.

#include "render/Colour.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

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

// {pixel size, font file} -> {engine, holders}. Font file names are compared without regard
// to case, as the Windows file system compares them.
class TextEngineRegistry {
public:
    using Factory = std::function<std::unique_ptr<TextEngine>()>;

    // The engine of size and font file, shared (one more holder) when it exists; otherwise
    // made by the factory and entered with one holder. Null when the factory fails: nothing
    // is entered.
    [[nodiscard]] TextEngine* acquire(std::int32_t size, std::wstring_view fontFile, const Factory& make);
    // One holder less; the last one destroys the engine. Unknown keys are ignored.
    void release(std::int32_t size, std::wstring_view fontFile);

    [[nodiscard]] TextEngine* find(std::int32_t size, std::wstring_view fontFile) const;
    [[nodiscard]] int holders(std::int32_t size, std::wstring_view fontFile) const;
    // Engines entered, of any size and file.
    [[nodiscard]] std::size_t size() const { return entries_.size(); }
    // Engines entered for this size, whatever their files.
    [[nodiscard]] std::size_t enginesOfSize(std::int32_t size) const;

private:
    using Key = std::pair<std::int32_t, std::wstring>;
    struct Entry {
        std::unique_ptr<TextEngine> engine;
        int holders = 0;
    };
    [[nodiscard]] static Key keyOf(std::int32_t size, std::wstring_view fontFile);
    std::map<Key, Entry> entries_;
};

// The face name a GDI font is asked for: the file name without its last four characters
// ("MSGOTHIC.TTC" gives "MSGOTHIC"); names of four characters or fewer give "".
[[nodiscard]] std::wstring faceNameFromFontFile(std::wstring_view fontFile);

}  // namespace likenex
