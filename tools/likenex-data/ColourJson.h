#pragma once
// The colour, skin and wall tables as JSON: {"colour": [...], "skin": [...], "wall": [...]},
// each a list of sets numbered from 0, each set six colours [red, green, blue] in the order
// of the key greys 100, 180, 218, 238, 242, 255. Components are unsigned 32-bit numbers
// (only their low byte recolours). A table left out is a file not written.

#include "catalogue/ColourTable.h"

#include <nlohmann/json.hpp>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace likenex {

struct ColourTableFile {
    const char* jsonName;
    const char* fileName;  // in the program directory
};
inline constexpr std::array<ColourTableFile, 3> kColourTableFiles{
    {{"colour", "color.dat"}, {"skin", "skin.dat"}, {"wall", "wall.dat"}}};

using ColourTableSources = std::array<std::optional<std::vector<ColourSet>>, 3>;

[[nodiscard]] nlohmann::ordered_json colourTablesToJson(const ColourTableSources& tables);
[[nodiscard]] ColourTableSources colourTablesFromJson(const nlohmann::ordered_json& json);

// Every set of a table, in record order.
[[nodiscard]] std::vector<ColourSet> colourSets(const ColourTable& table);

}  // namespace likenex
