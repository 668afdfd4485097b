#pragma once
// Shared pieces of the text tests: fonts looked up in an empty Windows fonts folder and the
// build's program fonts folder, a clock the test sets, and the picture a laid-out text should
// give, built from the glyphs' own pixel blocks.

#include "render/text/win/Fonts.h"
#include "render/text/win/GlyphFont.h"
#include "test_support/WinTestSupport.h"

#include <set>
#include <utility>

namespace likenex::test {

// Font folders in which fonts resolve to the free stand-ins the build copied, whatever the
// Wine prefix holds in its own fonts folder: an empty Windows fonts folder, alive as long as
// this is, and the build's program fonts folder.
class ScopedProgramFonts {
public:
    ScopedProgramFonts() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        emptyWindowsFonts_ = std::wstring(temp) + L"likenex-no-fonts-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(emptyWindowsFonts_.c_str(), nullptr);
        folders_ = FontFolders{emptyWindowsFonts_, LIKENEX_TEST_PROGRAM_FONTS};
    }
    ~ScopedProgramFonts() { RemoveDirectoryW(emptyWindowsFonts_.c_str()); }
    ScopedProgramFonts(const ScopedProgramFonts&) = delete;
    ScopedProgramFonts& operator=(const ScopedProgramFonts&) = delete;

    [[nodiscard]] const std::wstring& windowsFonts() const { return emptyWindowsFonts_; }
    [[nodiscard]] const FontFolders& folders() const { return folders_; }

private:
    std::wstring emptyWindowsFonts_;
    FontFolders folders_;
};

inline std::uint32_t& testNow() {
    static std::uint32_t now = 0;
    return now;
}
inline std::uint32_t testClock() { return testNow(); }

// The pixels (client coordinates) a text laid out by font and drawn at (x, y) lights: each
// glyph's block put with its top-left at (x + pen, y - top bearing).
inline std::set<std::pair<int, int>> expectedLitPixels(GlyphFont& font, const std::wstring& text, int x, int y) {
    std::set<std::pair<int, int>> lit;
    int pen = 0;
    for (const wchar_t c : text) {
        std::vector<std::uint8_t> pixels;
        int width = 0, height = 0, advance = 0;
        if (!font.renderCharacter(static_cast<char16_t>(c), pixels, width, height, advance)) continue;
        font.layOut(std::wstring(1, c));
        const GlyphRecord record = font.laidOut().at(0);
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                if (pixels[(static_cast<std::size_t>(height - 1 - row) * width + column) * 4] == 255)
                    lit.emplace(x + pen + column, y - record.top + row);
        pen += advance;
    }
    return lit;
}

}  // namespace likenex::test
