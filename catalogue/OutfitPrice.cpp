#include "catalogue/OutfitPrice.h"

namespace likenex {

long long outfitPrice(const PricedOutfit& outfit, const Catalogue& catalogue) {
    long long price = 0;
    if (const LayerOption* o = catalogue.findLayerOption(outfit.faceOption1, 1)) price += o->price;
    if (const LayerOption* o = catalogue.findLayerOption(outfit.faceOption2, 2)) price += o->price;
    const Item* slot6 = catalogue.findItem(outfit.worn[6]);
    const bool wearsOutfit = slot6 && (slot6->outfitKind == 1 || slot6->outfitKind == 2);
    for (std::size_t slot = 0; slot < outfit.worn.size(); ++slot) {
        if (wearsOutfit && slot >= 2 && slot <= 5) continue;
        if (const Item* item = catalogue.findItem(outfit.worn[slot])) price += item->price;
    }
    if (const BodyPart* part = catalogue.findBodyPart(outfit.bodyPart)) price += part->price;
    for (std::uint16_t action : outfit.actions)
        if (const Action* a = catalogue.findAction(action)) price += a->price;
    return price;
}

}  // namespace likenex
