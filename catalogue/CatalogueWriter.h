#pragma once
// Writes avatar.dat from catalogue tables: the inverse of the section loaders. The three
// sections follow the 12-byte header in order; frame and picture counts come from the lists.

#include "catalogue/CatalogueRecords.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace likenex {

// Nothing when a count or an offset would not fit its 32-bit field.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> encodeAvatarData(const CatalogueTables& tables);

// Writes <programDirectory>/data/avatar.dat (the data folder must exist); false on failure.
[[nodiscard]] bool writeAvatarData(std::string_view programDirectory, const CatalogueTables& tables);

}  // namespace likenex
