#pragma once
// The folders fonts are looked up in, and the lookup the program uses for every font file it
// names (the text engines, the glyph font, the Application's font check). The stand-in rule
// itself is in FontFiles.h.

#include <string>
#include <string_view>

namespace likenex {

struct FontFolders {
    std::wstring windowsFonts;  // <Windows directory>\Fonts\ .
    std::wstring programFonts;  // <program directory>\fonts\ .
};

// The Windows fonts folder, and the fonts folder beside the running program.
[[nodiscard]] FontFolders defaultFontFolders();

// The full path of the named font file in the folders, or of its free stand-in; "" when
// neither exists.
[[nodiscard]] std::wstring resolveFontPath(std::wstring_view fontFile, const FontFolders& folders);

}  // namespace likenex
