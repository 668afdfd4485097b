#pragma once
// The text tables under content/interface that describe the interface archive and where the
// program draws its texts. Both are UTF-8, tab-separated, one record a line; empty lines and
// lines starting with '#' are skipped.
//
// skins.tsv: ID, FAMILY, WIDTH, HEIGHT, LAYOUT_W, LAYOUT_H, WHAT: every skin identifier with
// its stored (texture) size, its nine-patch layout size, the family it is drawn and shown
// with, and a description.
// text-places.tsv: ID, WIDTH, SIZE, WHERE: a group-0 text of lang.bin, the room it has in
// pixels (0 when it may run freely), the pixel size it is drawn at, and where.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

struct SkinRow {
    std::uint32_t identifier = 0;
    std::string family;
    std::uint32_t width = 0, height = 0;
    std::uint32_t layoutWidth = 0, layoutHeight = 0;
    std::string what;
};

struct TextPlace {
    std::int32_t identifier = 0;
    std::int32_t width = 0;
    std::int32_t size = 0;
    std::string where;
};

// Both fail with a ToolError naming the source and line for a short line, a bad number or a
// repeated identifier (a skin repeated would be ambiguous; a text may be placed twice).
[[nodiscard]] std::vector<SkinRow> skinRowsFromTsv(std::string_view tsv, const std::string& source);
[[nodiscard]] std::vector<TextPlace> textPlacesFromTsv(std::string_view tsv, const std::string& source);

// The width a text is expected to take: per character 0.55 of the pixel size, or a whole
// pixel size for CJK ideographs, kana, hangul and full-width forms; a text of several lines
// takes the width of its widest line. A surrogate pair counts as one (wide) character.
[[nodiscard]] double estimatedTextWidth(std::u16string_view text, int pixelSize);

}  // namespace likenex
