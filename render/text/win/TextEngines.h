#pragma once
// The text engines of one window: the registry that shares an engine per pixel size and font
// file, the kind of engine the window's back end takes (a GDI-made texture engine with
// Direct3D 8, FreeType glyph textures with OpenGL), the painter they draw through and the
// folders font files are looked up in. The application owns one for its main window; text
// renderers bind to it. Main thread only.

#include "render/text/win/Fonts.h"
#include "render/text/TextEngine.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace likenex {

class Painter;

class TextEngines {
public:
    TextEngines(Painter& painter, FontFolders folders) : painter_(painter), folders_(std::move(folders)) {}
    TextEngines(const TextEngines&) = delete;
    TextEngines& operator=(const TextEngines&) = delete;

    // The engine of size and font file for the back end that runs now, shared with every
    // renderer that asked for the same; null when it cannot be made. It becomes the kind in
    // force: engines of the other kind then do nothing (a renderer made before a change of
    // back end stays quiet until it is made again).
    [[nodiscard]] TextEngine* acquire(std::int32_t size, std::wstring_view fontFile);
    void release(std::int32_t size, std::wstring_view fontFile);

    // The kind the last acquire chose.
    [[nodiscard]] TextEngineKind kind() const { return kind_; }
    [[nodiscard]] const TextEngineRegistry& registry() const { return registry_; }

    // Tests, and a program run from elsewhere than its program directory, set the folders.
    [[nodiscard]] const FontFolders& folders() const { return folders_; }
    void setFolders(FontFolders folders) { folders_ = std::move(folders); }
    // The full path of the named font file or its free stand-in in the folders; "" for none.
    [[nodiscard]] std::wstring resolve(std::wstring_view fontFile) const { return resolveFontPath(fontFile, folders_); }

    [[nodiscard]] Painter& painter() const { return painter_; }

private:
    Painter& painter_;
    FontFolders folders_;
    TextEngineKind kind_ = TextEngineKind::None;
    // Declared last: its engines hold the painter and folders above to the end of their lives.
    TextEngineRegistry registry_;
};

}  // namespace likenex
