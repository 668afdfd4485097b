#pragma once
// What the catalogue offers the person dressing an avatar, page by page: the rules the editor's
// pages, the random dresser and the avatar codes' loading share. Pages 1 to 5 offer worn items
// by category (page 2 the outfits and single pieces of slot 6), page 6 the body parts; the face
// options sit in two lists, eyes (face layer 1) and mouths (face layer 2).

#include <cstdint>
#include <span>

#include "catalogue/CatalogueRecords.h"

namespace likenex {

inline constexpr int kFirstItemPage = 1, kLastItemPage = 5;
inline constexpr int kOutfitItemPage = 2;
inline constexpr std::int32_t kHairCategory = 1;
inline constexpr int kSkinChoices = 44;    // cells of the skin palette
inline constexpr int kColourChoices = 46;  // cells of the colour palette

// Whether page `page` (1 to 5) offers items of `category`.
[[nodiscard]] constexpr bool pageOffers(int page, std::int32_t category) {
    switch (page) {
    case 1: return category == 0 || category == 1;
    case 2: return category == 6;
    case 3: return category == 2;
    case 4: return category == 3 || category == 5;
    case 5: return category == 4;
    default: return false;
    }
}

// Availability 1 to 3 is offered; 0 (withdrawn) and anything else is not.
[[nodiscard]] constexpr bool isOffered(std::uint8_t availability) { return availability >= 1 && availability <= 3; }

[[nodiscard]] constexpr bool isOutfit(const Item* item) {
    return item && (item->outfitKind == 1 || item->outfitKind == 2);
}

// The face a new avatar wears from face layer `faceLayer` (1 eyes, 2 mouths): the first option
// of that list, in catalogue order as the editor shows it, that is offered and costs nothing;
// null when there is none. Only a new avatar wears it: a stored avatar or a code keeps the face
// it was given, even none.
[[nodiscard]] constexpr const LayerOption* defaultFaceOption(std::span<const LayerOption> options,
                                                             std::int32_t faceLayer) {
    for (const LayerOption& option : options)
        if (option.faceLayer == faceLayer && isOffered(option.availability) && option.price == 0) return &option;
    return nullptr;
}

// An item's own colour: the one it is worn in until the person picks another; -1 when it
// cannot be recoloured.
[[nodiscard]] constexpr std::int32_t defaultColour(const Item& item) { return item.word0; }

}  // namespace likenex
