#include "avatar/AvatarWardrobe.h"

#include <utility>

#include "avatar/PaintingOrder.h"
#include "catalogue/Catalogue.h"

namespace likenex {

namespace {

constexpr std::int32_t kCostumeItem = 6050;
constexpr std::int32_t kCostumeColour = 31;

}  // namespace

AvatarWardrobe::AvatarWardrobe(const Catalogue* catalogue) : catalogue_(catalogue) { look_.skin = -1; }

const Item* AvatarWardrobe::findItem(std::int32_t identifier) const {
    return catalogue_ ? catalogue_->findItem(identifier) : nullptr;
}

int AvatarWardrobe::outfitKindIn(int slot) const {
    const ItemSlot& s = look_.items[static_cast<std::size_t>(slot)];
    if (!s.occupied) return 0;
    const Item* item = findItem(s.item);
    return item ? item->outfitKind : 0;
}

void AvatarWardrobe::wearItem(int slot, std::int32_t identifier, std::int32_t colourId) {
    if (slot < 0 || slot > 6) return;
    const Item* item = findItem(identifier);
    if (!item) return;
    // A single piece over an outfit takes the whole outfit off.
    if (slot >= 2 && slot <= 5 && outfitKindIn(6) != 0)
        for (int s : {6, 3, 4, 5}) freeSlot(s);
    if (look_.items[static_cast<std::size_t>(slot)].occupied) {
        switch (outfitKindIn(slot)) {
        case 1:
            for (int s : {6, 3, 4}) freeSlot(s);
            break;
        case 2:
            for (int s : {6, 5, 4}) freeSlot(s);
            break;
        default: freeSlot(slot); break;
        }
    }
    look_.items[static_cast<std::size_t>(slot)] = ItemSlot::wearing(*item, colourId);
    switch (slot) {
    case 0: freeSlot(1); break;
    case 1: freeSlot(0); break;
    case 3: freeSlot(5); break;
    case 5: freeSlot(3); break;
    default: break;
    }
    if (slot == 6 && item->outfitKind != 0) {
        // An outfit is worn as its three components.
        if (item->outfitKind == 1)
            for (int s : {2, 5}) freeSlot(s);
        else
            for (int s : {2, 3}) freeSlot(s);
        const int second = item->outfitKind == 1 ? 3 : 5;
        const std::pair<int, std::int32_t> parts[] = {
            {6, item->outfitSlot6}, {second, item->outfitSlot3or5}, {4, item->outfitSlot4}};
        for (auto [target, id] : parts)
            if (const Item* part = findItem(id))
                look_.items[static_cast<std::size_t>(target)] = ItemSlot::wearing(*part, colourId);
    }
}

void AvatarWardrobe::setFaceOption(int slot, std::int32_t optionNumber) {
    if (slot != kFaceOptionSlot1 && slot != kFaceOptionSlot2) return;
    look_.items[static_cast<std::size_t>(slot)] = ItemSlot::faceOption(optionNumber);
}

const BodyPart* AvatarWardrobe::chooseBodyPart(std::int32_t identifier) {
    const BodyPart* part = catalogue_ ? catalogue_->findBodyPart(identifier) : nullptr;
    if (part && part->bodyLayer >= 0 && part->bodyLayer < kBodyLayerCount)
        look_.bodyParts[static_cast<std::size_t>(part->bodyLayer)] = {*part, true};
    return part;
}

void AvatarWardrobe::clearItems() {
    for (int s = 0; s <= 6; ++s) freeSlot(s);
}

void AvatarWardrobe::clearBodyParts() {
    for (BodyPartSlot& s : look_.bodyParts) s.chosen = false;
}

void AvatarWardrobe::wearAgain(int slot, const AvatarRecord::ItemSlot& item, bool bySlotOfCategory) {
    if (!item.occupied) {
        freeSlot(slot);
        return;
    }
    int target = slot;
    if (bySlotOfCategory) {
        const Item* record = findItem(item.item);
        if (!record) return;
        target = record->category;
    }
    wearItem(target, item.item, item.colourId);
}

void AvatarWardrobe::wearCostumeOf(const AvatarRecord& record) {
    if (record.costume == costumeApplied_) return;
    if (record.costume) {
        wearItem(6, kCostumeItem, kCostumeColour);
    } else {
        const auto& items = record.items;
        wearAgain(0, items[0], false);
        wearAgain(1, items[1], false);
        wearAgain(2, items[2], false);
        wearAgain(3, items[3], true);
        wearAgain(5, items[5], true);
        wearAgain(4, items[4], false);
        wearAgain(6, items[6], false);
    }
    costumeApplied_ = record.costume;
}

void AvatarWardrobe::copyRecord(const AvatarRecord& record) {
    for (std::size_t s = 0; s < look_.items.size(); ++s) {
        const AvatarRecord::ItemSlot& from = record.items[s];
        ItemSlot& to = look_.items[s];
        to.occupied = from.occupied;
        to.item = from.item;
        to.colourId = from.colourId;
        to.category = 0;
        if (s <= 6)
            if (const Item* item = findItem(from.item)) to.category = item->category;
    }
    for (std::size_t v = 0; v < look_.bodyParts.size(); ++v) {
        const AvatarRecord::BodyPartSlot& from = record.bodyParts[v];
        const BodyPart* part = catalogue_ ? catalogue_->findBodyPart(from.part) : nullptr;
        look_.bodyParts[v] = {part ? *part : BodyPart{}, from.chosen && part != nullptr};
    }
    look_.skin = record.skin;
}

void AvatarWardrobe::formLayers(const ActionFrame& frame, int direction) {
    formFrameLayers(layers_, frame, direction, look_);
}

void AvatarWardrobe::paintLayers(const AvatarArchive& archive, ImageRecord& canvas, int direction, int variant) const {
    (void)composeLayers(archive, canvas, layers_, PaintConditions::of(look_), direction, variant);
}

}  // namespace likenex
