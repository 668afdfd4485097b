#pragma once
// What the avatar wears: the look (items with their colours, face options, body parts, skin,
// mode) under the outfit rules of the catalogue, and the layers of a frame formed from it.

#include <cstdint>

#include "avatar/AvatarRecord.h"
#include "avatar/LayerRefs.h"
#include "catalogue/CatalogueRecords.h"
#include "render/ImageRecord.h"

namespace likenex {

class AvatarArchive;
class Catalogue;

class AvatarWardrobe {
public:
    // Without a catalogue nothing can be worn or chosen.
    explicit AvatarWardrobe(const Catalogue* catalogue);

    void wearItem(int slot, std::int32_t identifier, std::int32_t colourId);
    void setFaceOption(int slot, std::int32_t optionNumber);
    const BodyPart* chooseBodyPart(std::int32_t identifier);
    void setSkin(std::int32_t colourId) { look_.skin = colourId; }
    void setMode(std::int32_t mode) { look_.mode = mode; }
    void clearItems();
    void clearBodyParts();
    [[nodiscard]] const AvatarLook& look() const { return look_; }
    void setLook(const AvatarLook& look) { look_ = look; }

    // Takes the record's items, body parts and skin as they are.
    void copyRecord(const AvatarRecord& record);
    // Puts the costume on or takes it off (wearing the record's items again) when the record
    // asks for other than what is worn.
    void wearCostumeOf(const AvatarRecord& record);

    // The layers of one action frame for the look, facing `direction`.
    void formLayers(const ActionFrame& frame, int direction);
    // Paints the formed layers onto the canvas; the direction must lie in 0..7.
    void paintLayers(const AvatarArchive& archive, ImageRecord& canvas, int direction, int variant) const;

private:
    [[nodiscard]] const Item* findItem(std::int32_t identifier) const;
    void freeSlot(int slot) { look_.items[static_cast<std::size_t>(slot)].occupied = false; }
    [[nodiscard]] int outfitKindIn(int slot) const;
    void wearAgain(int slot, const AvatarRecord::ItemSlot& item, bool bySlotOfCategory);

    const Catalogue* catalogue_;
    AvatarLook look_;
    FrameLayers layers_;
    bool costumeApplied_ = false;
};

}  // namespace likenex
