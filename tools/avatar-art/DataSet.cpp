#include "tools/avatar-art/DataSet.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace likenex::art {

namespace {

using Json = nlohmann::json;

Json readJson(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    try {
        return Json::parse(text.str(), nullptr, true, true);
    } catch (const Json::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

Vec3 vec(const Json& j, const std::string& where) {
    if (!j.is_array() || j.size() != 3) throw std::runtime_error(where + " must be [out, up, forward]");
    return {j[0].get<double>(), j[1].get<double>(), j[2].get<double>()};
}

HeadFace faceNamed(const std::string& name, const std::string& where) {
    static const std::map<std::string, HeadFace> names{
        {"options", HeadFace::options},     {"blink", HeadFace::blink}, {"none", HeadFace::none},
        {"laugh", HeadFace::laugh},         {"cry", HeadFace::cry},     {"angry", HeadFace::angry},
        {"surprised", HeadFace::surprised}, {"sleep", HeadFace::sleep}, {"smile", HeadFace::smile},
        {"scared", HeadFace::scared},       {"shy", HeadFace::shy},     {"yawn", HeadFace::yawn}};
    const auto it = names.find(name);
    if (it == names.end()) throw std::runtime_error(where + ": unknown face \"" + name + "\"");
    return it->second;
}

template <typename Map>
const typename Map::mapped_type& named(const Map& map, const std::string& name, const std::string& where) {
    const auto it = map.find(name);
    if (it == map.end()) throw std::runtime_error(where + ": unknown pose \"" + name + "\"");
    return it->second;
}

std::pair<std::string, std::string> pairOf(const Json& frame, const char* field, const char* fallback) {
    if (!frame.contains(field)) return {fallback, fallback};
    const Json& p = frame[field];
    if (!p.is_array() || p.size() != 2) throw std::runtime_error(std::string("\"") + field + "\" must name two poses");
    return {p[0].get<std::string>(), p[1].get<std::string>()};
}

void loadPoses(DataSet& data, const Json& poses) {
    std::map<std::string, Posture> postures{{"upright", Posture{}}};
    const Json postureList = poses.value("posture", Json::object());
    for (auto& [name, p] : postureList.items()) {
        if (name.starts_with('_')) continue;
        Posture posture;
        posture.roll = p.at("roll").get<double>();
        const Json& pivot = p.at("pivot");
        if (!pivot.is_array() || pivot.size() != 2)
            throw std::runtime_error("posture " + name + ": pivot must be [x, y]");
        posture.pivot = {pivot[0].get<double>(), pivot[1].get<double>()};
        posture.scale = p.value("scale", 1.0);
        posture.upperBody = p.value("upperBody", false);
        if (std::abs(posture.roll) > 180 || posture.scale < 0.5 || posture.scale > 1 || posture.pivot.x < 0 ||
            posture.pivot.x > LabelCanvas::kFrame || posture.pivot.y < 0 || posture.pivot.y > LabelCanvas::kFrame)
            throw std::runtime_error("posture " + name + " turns the figure out of the frame");
        postures[name] = posture;
    }
    auto postureOf = [&](const Json& p, const std::string& where) {
        return named(postures, p.value("posture", std::string("upright")), where);
    };
    for (auto& [name, p] : poses.at("head").items()) {
        if (name.starts_with('_')) continue;
        data.heads[name] = {p.at("n").get<int>(), faceNamed(p.at("face").get<std::string>(), "head " + name),
                            postureOf(p, "head " + name)};
        // Face options are drawn upright at the standing head's place.
        const HeadFace face = data.heads[name].face;
        if ((face == HeadFace::options || face == HeadFace::blink) && !data.heads[name].posture.upright())
            throw std::runtime_error("head " + name + ": a turned head draws its own face");
    }
    for (auto& [name, p] : poses.at("torso").items())
        if (!name.starts_with('_')) data.torsos[name] = {p.at("n").get<int>(), postureOf(p, "torso " + name)};
    for (auto& [name, p] : poses.at("arm").items())
        if (!name.starts_with('_'))
            data.arms[name] = {p.at("n").get<int>(), vec(p.at("upper"), "arm " + name),
                               vec(p.at("fore"), "arm " + name), postureOf(p, "arm " + name)};
    for (auto& [name, p] : poses.at("leg").items())
        if (!name.starts_with('_'))
            data.legs[name] = {p.at("n").get<int>(), vec(p.at("thigh"), "leg " + name),
                               vec(p.at("shin"), "leg " + name), postureOf(p, "leg " + name)};
    for (auto& [name, p] : poses.at("side").items())
        if (!name.starts_with('_'))
            data.sides[name] = {p.at("n").get<int>(), p.at("prop").get<std::string>(), p.at("phase").get<int>()};
}

ActionFrame frameOf(const DataSet& data, const Json& f, const std::string& where) {
    ActionFrame frame;
    frame.duration = f.at("ms").get<int>();
    frame.directionOffset = f.value("turn", 0);
    const bool hidden = f.value("hidden", false);
    const HeadPose& head = named(data.heads, hidden ? "hidden" : f.value("head", std::string("normal")), where);
    const auto [armL, armR] = pairOf(f, "arms", "down");
    const auto [legL, legR] = pairOf(f, "legs", "stand");
    const auto [sideL, sideR] = pairOf(f, "side", "phase1");
    auto& layers = frame.layers;
    layers[0].imageNumber = head.n;
    layers[0].x = kFrameX + f.value("dx", 0);
    layers[0].y = kFrameY + f.value("dy", 0);
    layers[1].imageNumber = head.face == HeadFace::options ? 1 : 0;
    layers[2].imageNumber = head.face == HeadFace::options || head.face == HeadFace::blink ? 1 : 0;
    // A turned frame turns every layer's picture as well as the painting order.
    for (LayerEntry& layer : layers) layer.directionOffset = frame.directionOffset;
    if (!hidden) {
        // Every picture of the figure lies in the torso's posture, or the body falls apart.
        const TorsoPose& torso = named(data.torsos, f.value("torso", std::string("normal")), where);
        const ArmPose &left = named(data.arms, armL, where), &right = named(data.arms, armR, where);
        const LegPose &leftLeg = named(data.legs, legL, where), &rightLeg = named(data.legs, legR, where);
        const Posture legs = torso.posture.upperBody ? Posture{} : torso.posture;
        if (!(head.posture == torso.posture && left.posture == torso.posture && right.posture == torso.posture &&
              leftLeg.posture == legs && rightLeg.posture == legs))
            throw std::runtime_error(where + ": a frame mixes poses of different postures");
        layers[3].imageNumber = torso.n;
        layers[4].imageNumber = left.n;
        layers[5].imageNumber = right.n;
        layers[6].imageNumber = leftLeg.n;
        layers[7].imageNumber = rightLeg.n;
        layers[8].imageNumber = named(data.sides, sideL, where).n;
        layers[9].imageNumber = named(data.sides, sideR, where).n;
    }
    for (const Json& fx : f.value("fx", Json::array())) {
        const FramePictureSource& pic = named(data.framePictures, fx.at("pic").get<std::string>(), where);
        FrameImage image;
        image.imageNumber = pic.number;
        image.x = layers[0].x + fx.value("dx", 0);
        image.y = layers[0].y + fx.value("dy", 0);
        // "behind" is "all" or the list of directions in which the picture lies behind the figure.
        const Json behind = fx.value("behind", Json());
        if (behind.is_string() && behind.get<std::string>() == "all") image.directionMask = 0xFFu;
        else if (behind.is_array())
            for (const Json& d : behind) {
                const int direction = d.get<int>();
                if (direction < 0 || direction > 7) throw std::runtime_error(where + ": no direction " + d.dump());
                image.directionMask |= 1u << direction;
            }
        else if (!behind.is_null()) throw std::runtime_error(where + ": \"behind\" must be \"all\" or directions");
        frame.images.push_back(image);
    }
    return frame;
}

}  // namespace

DataSet loadDataSet(const std::string& dir) {
    DataSet data;
    const Json poses = readJson(dir + "/poses.json");
    const Json cat = readJson(dir + "/catalogue.json");
    try {
        loadPoses(data, poses);
        for (const Json& o : cat.at("faceOptions"))
            data.faces.push_back({o.at("layer").get<int>(), o.at("number").get<int>(), o.at("price").get<int>(),
                                  o.value("availability", 1), o.at("style").get<std::string>()});
        for (const Json& i : cat.at("items")) {
            ItemSource item;
            item.record.identifier = i.at("id").get<std::uint16_t>();
            item.record.category = i.at("category").get<int>();
            item.record.price = item.record.secondPrice = i.at("price").get<int>();
            item.record.word0 = i.at("colour").get<int>();
            item.record.availability = static_cast<std::uint8_t>(i.value("availability", 1));
            if (i.contains("outfit")) {
                const Json& o = i.at("outfit");
                item.record.outfitKind = o.at("kind").get<int>();
                const Json& parts = o.at("components");
                item.record.outfitSlot6 = parts.at(0).get<int>();
                item.record.outfitSlot3or5 = parts.at(1).get<int>();
                item.record.outfitSlot4 = parts.at(2).get<int>();
            } else {
                const Json& s = i.at("style");
                item.shape = s.at("shape").get<std::string>();
                item.kind = s.value("kind", std::string());
                if (item.shape == "top")
                    item.top = {s.at("sleeves").get<std::string>(), s.at("neck").get<std::string>(),
                                s.at("pattern").get<std::string>()};
                if (item.shape == "trousers")
                    item.trousers = {s.at("length").get<std::string>(), s.at("pattern").get<std::string>()};
                if (item.shape == "skirt")
                    item.skirt = {s.at("length").get<std::string>(), s.at("pattern").get<std::string>()};
            }
            data.items.push_back(item);
        }
        for (const Json& b : cat.at("bodyParts")) {
            BodyPartSource part;
            part.record.identifier = b.at("id").get<std::uint16_t>();
            part.record.bodyLayer = b.at("layer").get<int>();
            part.record.style = b.at("style").get<int>();
            part.record.price = b.at("price").get<int>();
            part.kind = b.at("kind").get<std::string>();
            data.bodyParts.push_back(part);
        }
        data.modePart.record.identifier = cat.at("modePart").at("id").get<std::uint16_t>();
        data.modePart.record.bodyLayer = 8;
        data.modePart.kind = cat.at("modePart").at("kind").get<std::string>();
        for (auto& [name, p] : cat.at("framePictures").items())
            data.framePictures[name] = {p.at("number").get<int>(), p.at("kind").get<std::string>(),
                                        p.at("x").get<int>(), p.at("y").get<int>()};
        for (const Json& a : cat.at("actions")) {
            Action action;
            action.identifier = a.at("id").get<std::uint16_t>();
            action.price = a.at("price").get<int>();
            const std::string where = "action " + std::to_string(action.identifier);
            for (const Json& f : a.at("frames")) action.frames.push_back(frameOf(data, f, where));
            data.actions.push_back(std::move(action));
        }
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(dir + "/catalogue.json or poses.json: " + e.what());
    }
    return data;
}

CatalogueTables DataSet::catalogue() const {
    CatalogueTables t;
    for (const FacePicture& f : faces) {
        LayerOption o;
        o.faceLayer = f.layer;
        o.optionNumber = f.number;
        o.availability = static_cast<std::uint8_t>(f.availability);
        o.price = f.price;
        t.layerOptions.push_back(o);
    }
    t.actions = actions;
    for (const BodyPartSource& b : bodyParts) t.bodyParts.push_back(b.record);
    for (const ItemSource& i : items) t.items.push_back(i.record);
    return t;
}

std::array<std::set<int>, kBodyLayerCount> usedImageNumbers(const DataSet& data) {
    std::array<std::set<int>, kBodyLayerCount> used;
    for (const Action& a : data.actions)
        for (const ActionFrame& f : a.frames)
            for (int v = 0; v < kBodyLayerCount; ++v)
                used[static_cast<std::size_t>(v)].insert(f.layers[static_cast<std::size_t>(v)].imageNumber);
    // The editor draws head picture 1 in direction 0 as the skin sample.
    used[0].insert(1);
    return used;
}

}  // namespace likenex::art
