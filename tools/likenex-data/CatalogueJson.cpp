#include "tools/likenex-data/CatalogueJson.h"

#include "catalogue/RecordFields.h"
#include "tools/likenex-data/ToolSupport.h"

namespace likenex {
namespace {

using Json = nlohmann::ordered_json;

template <typename Member>
Json memberJson(const Member& member) {
    return Json(member);
}

template <std::size_t N>
Json memberJson(const std::array<std::uint8_t, N>& bytes) {
    Json array = Json::array();
    for (std::uint8_t b : bytes) array.push_back(b);
    return array;
}

template <typename Member>
void getMember(JsonFields& f, const char* key, Member& member) {
    f.get(key, member);
}

template <std::size_t N>
void getMember(JsonFields& f, const char* key, std::array<std::uint8_t, N>& bytes) {
    f.getArray(key, bytes);
}

// A fixed-size record as an object of its members, in file order.
template <typename Record>
Json fieldsJson(const Record& record) {
    Json json = Json::object();
    forEachField(record, [&json](const char* key, const auto& member) { json[key] = memberJson(member); });
    return json;
}

// Members missing from the object keep their defaults; members it does not know are refused.
template <typename Record>
Record fieldsFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    Record record;
    forEachField(record, [&f](const char* key, auto& member) { getMember(f, key, member); });
    f.finish();
    return record;
}

Json toJson(const ActionFrame& frame) {
    Json layers = Json::array();
    for (const LayerEntry& e : frame.layers) layers.push_back(fieldsJson(e));
    Json images = Json::array();
    for (const FrameImage& image : frame.images) images.push_back(fieldsJson(image));
    return Json{{"duration", frame.duration},
                {"directionOffset", frame.directionOffset},
                {"thirdValue", frame.thirdValue},
                {"layers", std::move(layers)},
                {"images", std::move(images)}};
}

std::string at(const std::string& where, const char* name, std::size_t index) {
    return where + "." + name + "[" + std::to_string(index) + "]";
}

ActionFrame frameFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    ActionFrame frame;
    f.get("duration", frame.duration);
    f.get("directionOffset", frame.directionOffset);
    f.get("thirdValue", frame.thirdValue);
    if (const Json* layers = f.array("layers")) {
        if (layers->size() > frame.layers.size())
            throw ToolError(where + ": \"layers\" holds " + std::to_string(layers->size()) + " entries, at most " +
                            std::to_string(frame.layers.size()) + " are allowed");
        for (std::size_t i = 0; i < layers->size(); ++i)
            frame.layers[i] = fieldsFromJson<LayerEntry>((*layers)[i], at(where, "layers", i));
    }
    if (const Json* images = f.array("images"))
        for (std::size_t i = 0; i < images->size(); ++i)
            frame.images.push_back(fieldsFromJson<FrameImage>((*images)[i], at(where, "images", i)));
    f.finish();
    return frame;
}

Action actionFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    Action a;
    f.get("firstValue", a.firstValue);
    f.get("flagByte", a.flagByte);
    f.get("displayValue", a.price);
    f.get("lowHalfWord", a.lowHalfWord);
    f.get("identifier", a.identifier);
    if (const Json* frames = f.array("frames"))
        for (std::size_t i = 0; i < frames->size(); ++i)
            a.frames.push_back(frameFromJson((*frames)[i], at(where, "frames", i)));
    f.finish();
    return a;
}

template <typename Record, typename Convert>
void readList(JsonFields& f, const char* name, std::vector<Record>& out, Convert convert) {
    if (const Json* list = f.array(name))
        for (std::size_t i = 0; i < list->size(); ++i)
            out.push_back(convert((*list)[i], std::string(name) + "[" + std::to_string(i) + "]"));
}

}  // namespace

Json toJson(const LayerOption& o) { return fieldsJson(o); }

Json toJson(const Action& a) {
    Json frames = Json::array();
    for (const ActionFrame& frame : a.frames) frames.push_back(toJson(frame));
    return Json{{"firstValue", a.firstValue},   {"flagByte", a.flagByte},     {"displayValue", a.price},
                {"lowHalfWord", a.lowHalfWord}, {"identifier", a.identifier}, {"frames", std::move(frames)}};
}

Json toJson(const BodyPart& p) { return fieldsJson(p); }

Json toJson(const Item& i) { return fieldsJson(i); }

Json toJson(const CatalogueTables& tables) {
    Json json = Json::object();
    auto list = [](const auto& records) {
        Json array = Json::array();
        for (const auto& record : records) array.push_back(toJson(record));
        return array;
    };
    json["layerOptions"] = list(tables.layerOptions);
    json["actions"] = list(tables.actions);
    json["bodyParts"] = list(tables.bodyParts);
    json["items"] = list(tables.items);
    return json;
}

CatalogueTables catalogueFromJson(const Json& json) {
    JsonFields f(json, "catalogue");
    CatalogueTables tables;
    readList(f, "layerOptions", tables.layerOptions, fieldsFromJson<LayerOption>);
    readList(f, "actions", tables.actions, actionFromJson);
    readList(f, "bodyParts", tables.bodyParts, fieldsFromJson<BodyPart>);
    readList(f, "items", tables.items, fieldsFromJson<Item>);
    f.finish();
    return tables;
}

}  // namespace likenex
