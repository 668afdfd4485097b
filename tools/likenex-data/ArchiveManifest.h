#pragma once
// The archive manifest: {"sprites": [entry, ...], "skins": [entry, ...]}, the avatar archive
// and the interface archive, each in index order, each entry a picture's key, PNG file
// (relative to the manifest) and header values. Reading it loads the PNGs.

#include "catalogue/AvatarArchive.h"
#include "catalogue/InterfaceArchiveFile.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace likenex {

// The "sprites" list, ready for the writer; fails with a ToolError naming the entry. Each
// picture must fit the reader's 512 KiB scratch buffer.
[[nodiscard]] std::vector<SpriteSource> spritesFromManifest(const nlohmann::ordered_json& list,
                                                            const std::string& baseFolder);

// One entry; `png` is empty for an empty picture.
[[nodiscard]] nlohmann::ordered_json spriteManifestEntry(const SpriteSource& sprite, const std::string& png);

// The "skins" list: each entry's "id" is its skin identifier.
[[nodiscard]] std::vector<SkinImageSource> skinsFromManifest(const nlohmann::ordered_json& list,
                                                             const std::string& baseFolder);
[[nodiscard]] nlohmann::ordered_json skinManifestEntry(const SkinImageSource& skin, const std::string& png);

}  // namespace likenex
