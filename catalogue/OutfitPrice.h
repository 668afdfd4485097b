#pragma once
// The price of an outfit as the editor shows it and the server checks it: the two face
// options, the worn items, the body part and every action of the script, each with the value
// the catalogue keeps for display. One rule for both sides, so that what the user was shown
// is what the server holds them to.

#include "catalogue/Catalogue.h"

#include <array>
#include <cstdint>
#include <span>

namespace likenex {

struct PricedOutfit {
    std::int32_t faceOption1 = 0;  // option numbers; 0 for none
    std::int32_t faceOption2 = 0;
    // Item identifiers by item slot, 0 for a free slot. An outfit is named in slot 6.
    std::array<std::int32_t, 7> worn{};
    std::int32_t bodyPart = 0;
    std::span<const std::uint16_t> actions;
};

// Unknown identifiers count nothing. An outfit in slot 6 counts with its own value and
// slots 2 to 5, which it fills with its components, are then not counted.
[[nodiscard]] long long outfitPrice(const PricedOutfit& outfit, const Catalogue& catalogue);

}  // namespace likenex
