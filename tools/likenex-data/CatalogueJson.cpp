#include "tools/likenex-data/CatalogueJson.h"

#include "tools/likenex-data/ToolSupport.h"

namespace likenex {
namespace {

using Json = nlohmann::ordered_json;

template <std::size_t N>
Json bytesJson(const std::array<std::uint8_t, N>& bytes) {
    Json array = Json::array();
    for (std::uint8_t b : bytes) array.push_back(b);
    return array;
}

Json toJson(const LayerEntry& e) {
    return Json{{"word0", e.word0},
                {"imageNumber", e.imageNumber},
                {"directionOffset", e.directionOffset},
                {"x", e.x},
                {"y", e.y}};
}

Json toJson(const FrameImage& image) {
    return Json{{"imageNumber", image.imageNumber},
                {"word1", image.word1},
                {"x", image.x},
                {"y", image.y},
                {"directionMask", image.directionMask}};
}

Json toJson(const ActionFrame& frame) {
    Json layers = Json::array();
    for (const LayerEntry& e : frame.layers) layers.push_back(toJson(e));
    Json images = Json::array();
    for (const FrameImage& image : frame.images) images.push_back(toJson(image));
    return Json{{"duration", frame.duration},
                {"directionOffset", frame.directionOffset},
                {"thirdValue", frame.thirdValue},
                {"layers", std::move(layers)},
                {"images", std::move(images)}};
}

std::string at(const std::string& where, const char* name, std::size_t index) {
    return where + "." + name + "[" + std::to_string(index) + "]";
}

LayerEntry layerEntryFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    LayerEntry e;
    f.get("word0", e.word0);
    f.get("imageNumber", e.imageNumber);
    f.get("directionOffset", e.directionOffset);
    f.get("x", e.x);
    f.get("y", e.y);
    f.finish();
    return e;
}

FrameImage frameImageFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    FrameImage image;
    f.get("imageNumber", image.imageNumber);
    f.get("word1", image.word1);
    f.get("x", image.x);
    f.get("y", image.y);
    f.get("directionMask", image.directionMask);
    f.finish();
    return image;
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
            frame.layers[i] = layerEntryFromJson((*layers)[i], at(where, "layers", i));
    }
    if (const Json* images = f.array("images"))
        for (std::size_t i = 0; i < images->size(); ++i)
            frame.images.push_back(frameImageFromJson((*images)[i], at(where, "images", i)));
    f.finish();
    return frame;
}

LayerOption layerOptionFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    LayerOption o;
    f.get("faceLayer", o.faceLayer);
    f.get("optionNumber", o.optionNumber);
    f.get("availability", o.availability);
    f.getArray("storedBytes", o.storedBytes);
    f.get("screenValue", o.price);
    f.finish();
    return o;
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

BodyPart bodyPartFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    BodyPart p;
    f.get("bodyLayer", p.bodyLayer);
    f.get("word4", p.word4);
    f.get("byte8", p.byte8);
    f.getArray("gap9", p.gap9);
    f.get("style", p.style);
    f.get("listValue", p.price);
    f.get("byte20", p.byte20);
    f.get("byte21", p.byte21);
    f.get("identifier", p.identifier);
    f.finish();
    return p;
}

Item itemFromJson(const Json& json, const std::string& where) {
    JsonFields f(json, where);
    Item item;
    f.get("word0", item.word0);
    f.get("category", item.category);
    f.get("listValue", item.price);
    f.get("outfitKind", item.outfitKind);
    f.get("outfitSlot6", item.outfitSlot6);
    f.get("outfitSlot3or5", item.outfitSlot3or5);
    f.get("outfitSlot4", item.outfitSlot4);
    f.get("availability", item.availability);
    f.getArray("bytes29", item.bytes29);
    f.get("secondListValue", item.secondPrice);
    f.get("byte36", item.byte36);
    f.get("byte37", item.byte37);
    f.get("identifier", item.identifier);
    f.finish();
    return item;
}

template <typename Record, typename Convert>
void readList(JsonFields& f, const char* name, std::vector<Record>& out, Convert convert) {
    if (const Json* list = f.array(name))
        for (std::size_t i = 0; i < list->size(); ++i)
            out.push_back(convert((*list)[i], std::string(name) + "[" + std::to_string(i) + "]"));
}

}  // namespace

Json toJson(const LayerOption& o) {
    return Json{{"faceLayer", o.faceLayer},
                {"optionNumber", o.optionNumber},
                {"availability", o.availability},
                {"storedBytes", bytesJson(o.storedBytes)},
                {"screenValue", o.price}};
}

Json toJson(const Action& a) {
    Json frames = Json::array();
    for (const ActionFrame& frame : a.frames) frames.push_back(toJson(frame));
    return Json{{"firstValue", a.firstValue},   {"flagByte", a.flagByte},     {"displayValue", a.price},
                {"lowHalfWord", a.lowHalfWord}, {"identifier", a.identifier}, {"frames", std::move(frames)}};
}

Json toJson(const BodyPart& p) {
    return Json{{"bodyLayer", p.bodyLayer},  {"word4", p.word4},   {"byte8", p.byte8},
                {"gap9", bytesJson(p.gap9)}, {"style", p.style},   {"listValue", p.price},
                {"byte20", p.byte20},        {"byte21", p.byte21}, {"identifier", p.identifier}};
}

Json toJson(const Item& i) {
    return Json{{"word0", i.word0},
                {"category", i.category},
                {"listValue", i.price},
                {"outfitKind", i.outfitKind},
                {"outfitSlot6", i.outfitSlot6},
                {"outfitSlot3or5", i.outfitSlot3or5},
                {"outfitSlot4", i.outfitSlot4},
                {"availability", i.availability},
                {"bytes29", bytesJson(i.bytes29)},
                {"secondListValue", i.secondPrice},
                {"byte36", i.byte36},
                {"byte37", i.byte37},
                {"identifier", i.identifier}};
}

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
    readList(f, "layerOptions", tables.layerOptions, layerOptionFromJson);
    readList(f, "actions", tables.actions, actionFromJson);
    readList(f, "bodyParts", tables.bodyParts, bodyPartFromJson);
    readList(f, "items", tables.items, itemFromJson);
    f.finish();
    return tables;
}

}  // namespace likenex
