#pragma once
// Writes lang.bin from string records, in the order given: the inverse of the table's reader.

#include "catalogue/StringTable.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace likenex {

// Nothing when a text is too long for its 16-bit length. Texts are written as given; the
// reader cuts one at a zero unit or past 2047 units.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> encodeStringTable(std::span<const StringRecord> records);

// Writes the file at path (for the program, <program directory>/data/lang.bin).
[[nodiscard]] bool writeStringTable(const std::string& path, std::span<const StringRecord> records);

}  // namespace likenex
