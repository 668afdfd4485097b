#pragma once
// The avatar description that `likenex-data render` reads, and the export crop.

#include <cstdint>
#include <string>

#include "avatar/AvatarRecord.h"
#include "avatar/ScriptAnimation.h"
#include "tools/likenex-data/Png.h"

namespace likenex {

// An avatar as `render` takes it: a record, and how its item slots are put on.
struct AvatarDescription {
    AvatarRecord record;
    // "items": worn one by one through wearItem in slot order, as a person dressing the
    // figure in the editor would (an outfit becomes its components, exclusions apply).
    // "slots": taken as a stored avatar record holds them, unchanged.
    bool storedSlots = false;
};

// {"items" or "slots": [null | {"item": ID, "colour": C}, ... up to nine slots, 7 and 8 the
// face options], "bodyParts": [null | ID, ... up to ten, by body layer], "skin": S,
// "mode": M, "number": N, "stateA": A, "stateB": B, "replaceStanding": 0|1, "costume": 0|1};
// anything left out keeps the new avatar's default (skin 4, nothing worn).
[[nodiscard]] AvatarDescription readAvatarDescription(const std::string& text, const std::string& source);

// An action script: [{"action": ID, "caption": "UTF-8 text"}, ...]; the caption may be left
// out (nothing said).
[[nodiscard]] std::vector<ScriptStep> readActionScript(const std::string& text, const std::string& source);

// The 96 by 96 picture the program exports: rows 121 down to 26 of the snapshot, columns 80 to 175.
[[nodiscard]] RgbaPicture exportFromSnapshot(const std::uint8_t* snapshot);

}  // namespace likenex
