#pragma once
// likenex-interface-art: draws every picture of the interface archive with cairo from the
// skin table (content/interface/skins.tsv) and the palette sets (content/avatar/colours.json).
//
// Pictures are drawn anti-aliased in full colour; the archive stores them as straight
// (not premultiplied) BGRA, bottom row first. Every picture takes its stored and layout size
// from the table; what it shows comes from the recipe this program keeps for its identifier,
// and a table row without a recipe (or a recipe without a row) is an error, so the table and
// the drawings cannot drift apart.

#include "tools/likenex-data/InterfaceTables.h"
#include "catalogue/InterfaceArchiveFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace likenex::iart {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The base colours (the ones replacing key grey 238) of the colour and skin sets, in order.
struct PaletteColours {
    std::vector<Rgb> skin;
    std::vector<Rgb> colour;
};

[[nodiscard]] PaletteColours loadPaletteColours(const std::string& coloursJsonPath);

// Where the editor puts the palette pictures and their cells, in main-window coordinates.
inline constexpr int kPaletteLeft = 372, kPaletteTop = 409;
inline constexpr int kCellLeft = 373, kCellTop = 410;
inline constexpr int kCellWidth = 22, kCellHeight = 17, kCellsPerRow = 9;

struct DrawnSkin {
    SkinRow row;
    SkinImageSource picture;
};

using NinePatchIds = std::array<std::uint32_t, 9>;

struct InterfaceArt {
    std::vector<DrawnSkin> skins;           // one per table row, in table order
    std::vector<NinePatchIds> ninePatches;  // the pieces 0..8 of every nine-patch drawn
};

// Fails with a ToolError for a row without a recipe, a recipe without a row, or nine-patch
// pieces whose sizes do not fit together.
[[nodiscard]] InterfaceArt drawInterface(const std::vector<SkinRow>& rows, const PaletteColours& palettes);

// The contact sheet: pictures grouped by family in table order, each over a checkerboard
// with its identifier under it (small pictures at twice their size), every nine-patch put
// together at a size the program uses, and a mock-up of the editor's main window with a
// message dialog, laid out as the widgets lay out their pictures.
void writeInterfaceSheet(const InterfaceArt& art, const std::string& pngPath);

// Lets cairo and fontconfig free their font caches (text on the logo and the sheet), so that
// the leak checker of the test builds sees a clean exit. Nothing may draw afterwards.
void releaseDrawingCaches();

}  // namespace likenex::iart
