#pragma once
// The contact sheet behind `likenex-data sheet`: avatar frames of a data set laid out in rows
// of 128 by 128 cells, composed exactly as the editor composes them, for a look over a whole
// data set at once.
//
// Rows, top to bottom: one per action (frame 0 in directions 0..7, then up to 32 frames in
// direction 7); one per dressing picked from the catalogue (each offered outfit expanded into
// its components, then a few combinations of the first offered single items), each the
// standing action's frame 0 in directions 0..7 with face options and colours varying by row;
// then the body parts, each alone in directions 7 and 0. The wardrobe sheet instead shows
// every item record worn alone on the figure, for judging a whole catalogue's clothes.

#include "avatar/LayerRefs.h"
#include "tools/likenex-data/Png.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace likenex {

class AvatarArchive;
class Catalogue;

inline constexpr std::uint16_t kStandingActionId = 1353;
inline constexpr std::size_t kSheetFramesPerAction = 32;
inline constexpr std::size_t kSheetBodyPartsPerRow = 12;
inline constexpr std::size_t kSheetOutfitRows = 8;  // at most this many outfits get a row

// One cell: frame `frame` of `action` for an avatar facing `direction` and wearing `look`.
struct SheetCell {
    const Action* action = nullptr;
    std::size_t frame = 0;
    int direction = 0;
    AvatarLook look;
};

struct SheetRow {
    std::string legend;
    std::vector<SheetCell> cells;
    std::vector<std::size_t> splits;  // a wider gap before each of these cells
};

// `actions` lists the action identifiers to show, in that order; none means all, in
// catalogue order. Fails with a ToolError for an identifier the catalogue lacks. Colour and
// skin ids cycle through the given table sizes (-1 when a table is empty).
[[nodiscard]] std::vector<SheetRow> planContactSheet(const Catalogue& catalogue, std::size_t colourSets,
                                                     std::size_t skinSets,
                                                     const std::optional<std::vector<std::uint16_t>>& actions);

[[nodiscard]] inline std::vector<int> allDirections() { return {0, 1, 2, 3, 4, 5, 6, 7}; }

// The action rows alone, as planContactSheet starts them, with frame 0 in `directions`.
[[nodiscard]] std::vector<SheetRow> planActionRows(const Catalogue& catalogue, std::size_t skinSets,
                                                   const std::optional<std::vector<std::uint16_t>>& actions,
                                                   const std::vector<int>& directions);

// Every item record worn alone (an outfit as its components, in the outfit's colour) in its
// starting colour, standing, with the first free face options, in each of `directions`;
// `itemsPerRow` items side by side, a wider gap between them.
[[nodiscard]] std::vector<SheetRow> planWardrobeSheet(const Catalogue& catalogue, std::size_t skinSets,
                                                      const std::vector<int>& directions, std::size_t itemsPerRow);

// Draws the rows on a light grey ground, each cell on a lighter square so that white and
// transparent parts both show; `scale` (1 to 4) enlarges every frame by whole pixels.
[[nodiscard]] RgbaPicture drawContactSheet(const std::vector<SheetRow>& rows, const AvatarArchive& archive,
                                           int scale = 1);

}  // namespace likenex
