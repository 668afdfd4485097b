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

// The folders in force: the defaults unless set. Tests, and a program run from elsewhere than
// its program directory, set them.
[[nodiscard]] const FontFolders& fontFolders();
void setFontFolders(FontFolders folders);

// The full path of the named font file, or of its free stand-in; "" when neither exists.
[[nodiscard]] std::wstring resolveFontPath(std::wstring_view fontFile);

}  // namespace likenex
