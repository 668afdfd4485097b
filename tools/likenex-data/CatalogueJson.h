#pragma once
// The catalogue as JSON: one object with the arrays layerOptions, actions (each with its
// frames, each frame with layers and images), bodyParts and items. Every field of a record
// appears under its record field's name, kept fields included, so that JSON made from a
// catalogue builds the same avatar.dat again.

#include "catalogue/CatalogueRecords.h"

#include <nlohmann/json.hpp>

namespace likenex {

[[nodiscard]] nlohmann::ordered_json toJson(const LayerOption& option);
[[nodiscard]] nlohmann::ordered_json toJson(const Action& action);
[[nodiscard]] nlohmann::ordered_json toJson(const BodyPart& part);
[[nodiscard]] nlohmann::ordered_json toJson(const Item& item);
[[nodiscard]] nlohmann::ordered_json toJson(const CatalogueTables& tables);

// Fails with a ToolError naming the record and field. Missing fields are 0; a frame may
// list fewer than ten layers (the rest are empty).
[[nodiscard]] CatalogueTables catalogueFromJson(const nlohmann::ordered_json& json);

}  // namespace likenex
