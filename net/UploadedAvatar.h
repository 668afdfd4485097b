#pragma once
// An uploaded avatar's fields (what an upload, a stored avatar and an avatar code carry) as
// the avatar model takes them: the record whose slots it loads as stored, and the action
// script. The server's pictures, its code pictures and the data tool's render of a code all
// draw from these, so that one avatar looks the same wherever it is drawn.

#include "avatar/AvatarRecord.h"
#include "avatar/ScriptAnimation.h"
#include "avatar/UploadSlots.h"
#include "catalogue/Catalogue.h"
#include "net/Messages.h"

#include <vector>

namespace likenex {

// The item pairs go back into the model's item slots (an item's catalogue category picks the
// slot in the fields of two slots), the face options into slots 7 and 8, the body part onto
// its body layer; colour 255 means "as drawn". Meant for loadFromRecord(true).
[[nodiscard]] inline AvatarRecord recordOfUpload(const AvatarFields& avatar, const Catalogue& catalogue) {
    AvatarRecord record;
    for (int field = 0; field < kUploadItemFields; ++field) {
        const ItemPair& pair = avatar.items[static_cast<std::size_t>(field)];
        if (pair.item == 0) continue;
        const Item* item = catalogue.findItem(pair.item);
        const int slot = slotOfUploadField(field, item ? item->category : -1);
        record.items[static_cast<std::size_t>(slot)] = {pair.item, pair.colour == 255 ? -1 : pair.colour, true};
    }
    if (avatar.faceOption1 != 0) record.items[std::size_t{kFaceOptionSlot1}] = {avatar.faceOption1, -1, true};
    if (avatar.faceOption2 != 0) record.items[std::size_t{kFaceOptionSlot2}] = {avatar.faceOption2, -1, true};
    if (const BodyPart* part = catalogue.findBodyPart(avatar.bodyPart))
        if (part->bodyLayer >= 0 && part->bodyLayer < kBodyLayerCount)
            record.bodyParts[static_cast<std::size_t>(part->bodyLayer)] = {avatar.bodyPart, true};
    record.skin = avatar.skin;
    record.direction = avatar.direction % 8;
    return record;
}

// The script's steps; identifiers outside the action range name no action and are left out.
[[nodiscard]] inline std::vector<ScriptStep> scriptOfUpload(const AvatarFields& avatar) {
    std::vector<ScriptStep> steps;
    for (const ScriptEntry& entry : avatar.script)
        if (entry.action >= 0 && entry.action <= 0xFFFF)
            steps.push_back({static_cast<std::uint16_t>(entry.action), entry.caption});
    return steps;
}

}  // namespace likenex
