#pragma once
// The avatar catalogue: what can be worn, chosen and played, read from data/avatar.dat.
// Whoever runs (the editor's application, a tool, the server, a test) owns one, loads it at
// start-up and only reads it afterwards.

#include "catalogue/CatalogueRecords.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

namespace likenex {

class Catalogue {
public:
    // Each opens <programDirectory>/data/avatar.dat itself and replaces one section's
    // tables. They fail when the directory is empty or 500 characters or longer, when the
    // file cannot be opened, or when its header or section offset lies past the end of the
    // file; a failed load leaves the tables as they were. A section cut short keeps only
    // its complete records.
    [[nodiscard]] bool loadCatalogueSection1(std::string_view programDirectory);
    [[nodiscard]] bool loadBodyParts(std::string_view programDirectory);
    [[nodiscard]] bool loadItems(std::string_view programDirectory);

    // The same from the bytes of a whole avatar.dat.
    [[nodiscard]] bool readCatalogueSection1(std::span<const std::uint8_t> file);
    [[nodiscard]] bool readBodyParts(std::span<const std::uint8_t> file);
    [[nodiscard]] bool readItems(std::span<const std::uint8_t> file);

    // Finds scan in file order; the first match wins. Null when nothing matches.
    // The face layer is compared as a signed 8-bit value; withdrawn options are never found.
    [[nodiscard]] const LayerOption* findLayerOption(std::int32_t optionNumber, std::int32_t faceLayer) const;
    [[nodiscard]] const Action* findAction(std::uint16_t identifier) const;
    // Identifiers below 1 find nothing, even when a record carries 0.
    [[nodiscard]] const BodyPart* findBodyPart(std::int32_t identifier) const;
    [[nodiscard]] const Item* findItem(std::int32_t identifier) const;

    [[nodiscard]] const CatalogueTables& tables() const { return tables_; }
    [[nodiscard]] const std::vector<LayerOption>& layerOptions() const { return tables_.layerOptions; }
    [[nodiscard]] const std::vector<Action>& actions() const { return tables_.actions; }
    [[nodiscard]] const std::vector<BodyPart>& bodyParts() const { return tables_.bodyParts; }
    [[nodiscard]] const std::vector<Item>& items() const { return tables_.items; }

    // For tests and tools that build a catalogue without a file.
    void replaceTables(CatalogueTables tables) { tables_ = std::move(tables); }

private:
    CatalogueTables tables_;
};

}  // namespace likenex
