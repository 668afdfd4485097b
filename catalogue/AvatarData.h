#pragma once
// Everything the avatar needs from the data files, loaded once at start-up in a fixed
// order: catalogue section 1 (face options and actions), the body parts, the avatar
// picture archive, the colour tables, then the items.

#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"

#include <string>

namespace likenex {

// Stops at the first step that fails and returns false; an empty program directory, or one
// too long for the loaders, fails at once. The colour tables cannot fail.
[[nodiscard]] bool loadAvatarData(Catalogue& catalogue, AvatarArchive& archive, ColourTables& tables,
                                  const std::string& programDirectory);

}  // namespace likenex
