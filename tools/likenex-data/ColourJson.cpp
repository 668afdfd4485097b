#include "tools/likenex-data/ColourJson.h"

#include "tools/likenex-data/ToolSupport.h"

namespace likenex {

using Json = nlohmann::ordered_json;

Json colourTablesToJson(const ColourTableSources& tables) {
    Json json = Json::object();
    for (std::size_t t = 0; t < tables.size(); ++t) {
        if (!tables[t]) continue;
        Json sets = Json::array();
        for (const ColourSet& set : *tables[t]) {
            Json colours = Json::array();
            for (const auto& colour : set.colours) colours.push_back(Json{colour[0], colour[1], colour[2]});
            sets.push_back(std::move(colours));
        }
        json[kColourTableFiles[t].jsonName] = std::move(sets);
    }
    return json;
}

ColourTableSources colourTablesFromJson(const Json& json) {
    JsonFields f(json, "colour tables");
    ColourTableSources tables;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const Json* sets = f.array(kColourTableFiles[t].jsonName);
        if (!sets) continue;
        tables[t].emplace();
        for (std::size_t s = 0; s < sets->size(); ++s) {
            const std::string where = std::string(kColourTableFiles[t].jsonName) + "[" + std::to_string(s) + "]";
            const Json& colours = (*sets)[s];
            if (!colours.is_array() || colours.size() != 6)
                throw ToolError(where + ": a set must be an array of six colours");
            ColourSet set;
            for (std::size_t c = 0; c < 6; ++c) {
                const Json& colour = colours[c];
                if (!colour.is_array() || colour.size() != 3)
                    throw ToolError(where + "[" + std::to_string(c) + "]: a colour must be [red, green, blue]");
                for (std::size_t k = 0; k < 3; ++k) {
                    if (!colour[k].is_number_unsigned() || colour[k].get<std::uint64_t>() > 0xffffffffu)
                        throw ToolError(where + "[" + std::to_string(c) + "]: components must lie in 0..4294967295");
                    set.colours[c][k] = colour[k].get<std::uint32_t>();
                }
            }
            tables[t]->push_back(set);
        }
    }
    f.finish();
    return tables;
}

std::vector<ColourSet> colourSets(const ColourTable& table) {
    std::vector<ColourSet> sets;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (const ColourSet* set = table.find(static_cast<std::int32_t>(i))) sets.push_back(*set);
    return sets;
}

}  // namespace likenex
