#include "catalogue/ColourTable.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <algorithm>
#include <limits>

namespace likenex {

const ColourSet* ColourTable::find(std::int32_t recordNumber) const {
    auto it = sets_.find(recordNumber);
    return it == sets_.end() ? nullptr : &it->second;
}

void ColourTable::parse(std::span<const std::uint8_t> bytes) {
    sets_.clear();
    ByteReader reader(bytes);
    std::uint32_t count = reader.u32();
    if (!reader.ok()) return;
    // Record numbers are signed; a count beyond them could never be backed by a real file.
    std::uint64_t complete = std::min<std::uint64_t>(
        {count, reader.remaining() / kColourSetBytes, std::uint64_t{std::numeric_limits<std::int32_t>::max()}});
    for (std::uint64_t i = 0; i < complete; ++i) {
        ColourSet set;
        for (auto& colour : set.colours)
            for (auto& component : colour) component = reader.u32();
        sets_.emplace(static_cast<std::int32_t>(i), set);
    }
}

const ColourTable* ColourTables::forKind(int colourKind) const {
    switch (colourKind) {
    case 0: return &colour;
    case 1: return &skin;
    default: return nullptr;
    }
}

void loadColourTables(ColourTables& tables, const std::string& programDirectory) {
    const std::pair<const char*, ColourTable*> files[] = {
        {"color.dat", &tables.colour}, {"skin.dat", &tables.skin}, {"wall.dat", &tables.wall}};
    for (auto [name, table] : files) {
        std::string path = dataFilePath(programDirectory, name);
        if (path.empty()) continue;
        if (auto bytes = readWholeFile(path)) table->parse(*bytes);
    }
}

std::vector<std::uint8_t> encodeColourTable(std::span<const ColourSet> sets) {
    ByteWriter writer;
    writer.u32(static_cast<std::uint32_t>(sets.size()));
    for (const ColourSet& set : sets)
        for (const auto& colour : set.colours)
            for (std::uint32_t component : colour) writer.u32(component);
    return writer.take();
}

bool writeColourTable(const std::string& path, std::span<const ColourSet> sets) {
    return writeWholeFile(path, encodeColourTable(sets));
}

}  // namespace likenex
