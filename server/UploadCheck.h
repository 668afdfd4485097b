#pragma once
// What an upload must satisfy before anything is stored: every item, face option, body part
// and action it names exists in the catalogue (the "none" values aside), the script plays at
// most 120 frames, the small fields lie in their ranges, and a guest's outfit costs nothing (a price below 1, as the
// editor decides).

#include "catalogue/Catalogue.h"
#include "net/Messages.h"

#include <string>

namespace likenex {

inline constexpr int kSkinColours = 44;

// The outfit's price as the editor shows it: the two face options, the worn items (an outfit
// in the slot-6 pair counts alone; the client sends pairs 3-5 empty then), the body part and
// every action of the script. Unknown identifiers count nothing.
[[nodiscard]] long long outfitPrice(const AvatarFields& avatar, const Catalogue& catalogue);

// The number of frames the script plays; unknown actions count nothing.
[[nodiscard]] long long scriptFrames(const AvatarFields& avatar, const Catalogue& catalogue);

// The look as it is stored: an outfit in the slot-6 pair fills slots 2 to 5 itself, so the
// pairs of those slots are emptied, whatever the client sent in them. They were not priced,
// and an editor that opens the avatar would otherwise dress the figure in them as well.
[[nodiscard]] AvatarFields storedLook(AvatarFields avatar, const Catalogue& catalogue);

// Empty when the upload may be stored, else why not (for the log).
[[nodiscard]] std::string uploadRefusal(const SaveAvatarRequest& upload, const Catalogue& catalogue, bool guest);

}  // namespace likenex
