#pragma once
// The string table as UTF-8 TSV: one record a line, group, identifier and the five texts
// (languages 0..4) separated by tabs. In a text, \n, \t and \\ stand for a line break, a
// tab and a backslash; \uXXXX (four hex digits) for any other unit that plain UTF-8 cannot
// carry here (control characters, a zero unit, a lone surrogate), so every file round-trips.
// Lines that are empty or start with '#' are skipped.

#include "catalogue/StringTable.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

[[nodiscard]] std::string escapeTsvText(std::u16string_view text);
// Fails with a ToolError for invalid UTF-8 or an unknown escape.
[[nodiscard]] std::u16string unescapeTsvText(std::string_view field);

[[nodiscard]] std::string stringRecordsToTsv(std::span<const StringRecord> records);
[[nodiscard]] std::vector<StringRecord> stringRecordsFromTsv(std::string_view tsv, const std::string& source);

// The records of a lang.bin exactly as stored: in file order, repeated identifiers and
// groups outside 0..7 included, texts uncut. Fails when the file ends inside a record.
[[nodiscard]] std::vector<StringRecord> storedStringRecords(std::span<const std::uint8_t> file);

}  // namespace likenex
