// render: one frame of an action on a described avatar, composed exactly as the editor's
// model composes it, as a frame, a sheet of all frames and directions, the 256 by 256
// snapshot or the 96 by 96 export.
#include "tools/likenex-data/RenderCommand.h"
#include "avatar/AvatarModel.h"
#include "avatar/ExportPictures.h"
#include "avatar/PaintingOrder.h"
#include "avatar/PictureScene.h"
#include "base/Text.h"
#include "net/AvatarCode.h"
#include "net/UploadedAvatar.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/AvatarData.h"
#include "catalogue/Catalogue.h"
#include "render/BmpFile.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/LoadedAvatarData.h"
#include "tools/likenex-data/Png.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>

namespace likenex {

namespace {

constexpr const char* kUsage =
    "render DIR --avatar AVATAR.json --action ID --direction D [--frame F] [--variant V] "
    "[--sheet | --snapshot | --export] -o OUT.png, or "
    "render DIR --avatar AVATAR.json --direction D --animate SCRIPT.json -o OUT.png, or either with "
    "--code CODE in place of --avatar (then --action and --direction are the code's unless given, and "
    "--animate takes no script: it plays the code's)";

// A clock that never moves: rendering never advances playback.
struct StillClock : AvatarClock {
    Tick now() const override { return 0; }
};

RgbaPicture frameFromCopy(const std::vector<std::uint8_t>& bgra) {
    return uprightFromTexture(kFrameSize, kFrameSize, bgra);
}

// A PNG, or a 32-bit BMP when the name ends in ".bmp" (what the program's tests read).
void writePicture(const std::string& path, const RgbaPicture& picture) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".bmp") != 0) {
        writePng(path, picture);
        return;
    }
    const std::vector<std::uint8_t> bmp = encodeBmp32(picture.width, picture.height, textureFromUpright(picture));
    if (bmp.empty()) throw ToolError("cannot encode " + path);
    writeFileOrFail(path, bmp);
}

}  // namespace

AvatarDescription readAvatarDescription(const std::string& text, const std::string& source) {
    const nlohmann::ordered_json json = parseJsonOrFail(text, source);
    if (!json.is_object()) throw ToolError(source + ": an avatar is a JSON object");
    AvatarDescription description;
    AvatarRecord& record = description.record;
    JsonFields fields(json, source);
    const auto* items = fields.array("items");
    const auto* slots = fields.array("slots");
    if (items && slots) throw ToolError(source + ": give \"items\" (worn) or \"slots\" (as stored), not both");
    description.storedSlots = slots != nullptr;
    const char* name = slots ? "slots" : "items";
    if (slots) items = slots;
    if (items) {
        if (items->size() > 9) throw ToolError(source + ": \"" + name + "\" has at most nine slots");
        for (std::size_t s = 0; s < items->size(); ++s) {
            const auto& slot = (*items)[s];
            if (slot.is_null()) continue;
            JsonFields f(slot, source + ": " + name + "[" + std::to_string(s) + "]");
            AvatarRecord::ItemSlot& to = record.items[s];
            f.get("item", to.item);
            f.get("colour", to.colourId);
            to.occupied = true;
            f.finish();
        }
    }
    if (const auto* parts = fields.array("bodyParts")) {
        if (parts->size() > 10) throw ToolError(source + ": \"bodyParts\" has at most ten slots");
        for (std::size_t v = 0; v < parts->size(); ++v) {
            if ((*parts)[v].is_null()) continue;
            if (!(*parts)[v].is_number_integer())
                throw ToolError(source + ": bodyParts[" + std::to_string(v) +
                                "] must be a body part identifier or null");
            record.bodyParts[v] = {(*parts)[v].get<std::int32_t>(), true};
        }
    }
    fields.get("skin", record.skin);
    fields.get("mode", record.mode);
    fields.get("number", record.number);
    fields.get("stateA", record.shadowState);
    fields.get("stateB", record.shadowLevel);
    int flag = 0;
    fields.get("replaceStanding", flag);
    record.replaceStanding = flag != 0;
    flag = 0;
    fields.get("costume", flag);
    record.costume = flag != 0;
    fields.finish();
    return description;
}

namespace {

// A model of the described avatar, dressed as the description says and loaded from its
// record as the editor loads one, then playing `action` in `direction` if it can.
std::unique_ptr<AvatarModel> dressedModel(const AvatarModelParts& parts, const AvatarDescription& description,
                                          std::uint16_t action, int direction) {
    auto model = std::make_unique<AvatarModel>(parts);
    auto record = std::make_shared<AvatarRecord>(description.record);
    record->standingAction = action;
    record->direction = direction;
    model->setRecord(record);
    if (description.storedSlots) {
        model->loadFromRecord(true);
    } else {
        model->setSkin(record->skin);
        for (const AvatarRecord::BodyPartSlot& part : record->bodyParts)
            if (part.chosen) (void)model->chooseBodyPart(part.part);
        for (int s = 0; s < kItemSlotCount; ++s) {
            const AvatarRecord::ItemSlot& slot = record->items[static_cast<std::size_t>(s)];
            if (!slot.occupied) continue;
            if (s < kFaceOptionSlot1) model->wearItem(s, slot.item, slot.colourId);
            else model->setFaceOption(s, slot.item);
        }
        model->loadFromRecord(false);
    }
    // A record whose standing action is replaced has played action 4020 instead.
    if (!model->action() || model->action()->identifier != action) (void)model->playAction(action, direction, true);
    return model;
}

// The same, failing unless it plays `action`. Each direction of a sheet gets a model of its
// own: once action 4046 is loaded, a model plays nothing else.
std::unique_ptr<AvatarModel> posedModel(const AvatarModelParts& parts, const AvatarDescription& description,
                                        std::uint16_t action, int direction) {
    std::unique_ptr<AvatarModel> model = dressedModel(parts, description, action, direction);
    if (!model->action() || model->action()->identifier != action)
        throw ToolError("the catalogue has no action " + std::to_string(action));
    return model;
}

// --animate: the script as an animated PNG, drawn as the editor's export draws it.
int animateCommand(const LoadedAvatarData& data, const std::string& directory, const AvatarDescription& description,
                   int direction, const std::vector<ScriptStep>& script, const std::string& scriptName,
                   const std::string& output, std::ostream& out) {
    SpriteCache cache;
    StillClock clock;
    PictureScene scene(data.archive, defaultPictureFonts(directory));
    if (!scene.hasFonts()) throw ToolError("cannot open the bubble fonts (DejaVuSans.ttf and uming.ttc)");
    const AvatarModelParts parts{&data.catalogue, &data.archive, &cache, &clock, nullptr, &scene};
    // The look the avatar has once dressed; what it plays meanwhile does not matter.
    const AvatarLook look = dressedModel(parts, description, description.record.standingAction, direction)->look();
    ScriptAnimation animation(parts, look, direction, script);
    if (animation.timeline().empty()) throw ToolError(scriptName + ": no step plays an action of the catalogue");
    const std::vector<std::uint8_t> file = scriptAnimationPng(animation);
    if (file.empty()) throw ToolError("cannot encode " + output);
    writeFileOrFail(output, file);
    std::uint64_t total = 0;
    for (const AnimationTiming& t : animation.timeline()) total += t.durationMs;
    out << "animation: " << animation.timeline().size() << " frames, " << total << " ms\n";
    return 0;
}

// The avatar a code holds, refused with the code's reason.
AvatarFields avatarOfCode(const std::string& code, const Catalogue& catalogue) {
    DecodedAvatarCode decoded = decodeAvatarCode(code, catalogue);
    if (decoded.refusal != CodeRefusal::none)
        throw ToolError(std::string("not an avatar code: ") + describeRefusal(decoded.refusal));
    return std::move(decoded.avatar);
}

}  // namespace

std::vector<ScriptStep> readActionScript(const std::string& text, const std::string& source) {
    const nlohmann::ordered_json json = parseJsonOrFail(text, source);
    if (!json.is_array()) throw ToolError(source + ": an action script is a JSON array of steps");
    std::vector<ScriptStep> steps;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const std::string where = source + ": step " + std::to_string(i);
        if (!json[i].is_object()) throw ToolError(where + " is not an object");
        JsonFields fields(json[i], where);
        if (!fields.find("action")) throw ToolError(where + " has no \"action\"");
        ScriptStep step;
        fields.get("action", step.action);
        if (const auto* caption = fields.find("caption")) {
            if (!caption->is_string()) throw ToolError(where + ": \"caption\" must be a string");
            const std::optional<std::u16string> utf16 = text::utf16FromUtf8(caption->get<std::string>());
            if (!utf16) throw ToolError(where + ": \"caption\" is not UTF-8");
            step.caption = *utf16;
        }
        fields.finish();
        steps.push_back(std::move(step));
    }
    return steps;
}

RgbaPicture exportFromSnapshot(const std::uint8_t* snapshot) {
    return cropSnapshot(std::vector<std::uint8_t>(snapshot, snapshot + std::size_t{kSnapshotSize} * kSnapshotSize * 4),
                        kExportCrop);
}

namespace {

// A still picture of `kind` (frame, sheet, snapshot or export) of the posed avatar.
int renderPicture(const LoadedAvatarData& data, const AvatarDescription& description, std::uint16_t action,
                  int direction, const std::string& kind, ParsedArguments& parsed, std::ostream& out) {
    const int frame = parsed.options.contains("--frame")
                          ? static_cast<int>(parseInteger(parsed.options["--frame"], "--frame", 0, 1 << 20))
                          : 0;
    const int variant = parsed.options.contains("--variant")
                            ? static_cast<int>(parseInteger(parsed.options["--variant"], "--variant", 0, 1))
                            : 0;

    const AvatarArchive& archive = data.archive;
    SpriteCache cache;
    StillClock clock;
    const AvatarModelParts parts{&data.catalogue, &archive, &cache, &clock, nullptr, nullptr};
    const std::unique_ptr<AvatarModel> posed = posedModel(parts, description, action, direction);
    AvatarModel& model = *posed;
    const int frames = static_cast<int>(model.action()->frames.size());
    if (frames == 0) throw ToolError("action " + std::to_string(action) + " has no frames");

    const std::string& output = parsed.options["-o"];
    if (kind == "sheet") {
        // Rows are directions 0..7, columns the frames.
        RgbaPicture sheet{
            kFrameSize * frames, kFrameSize * 8,
            std::vector<std::uint8_t>(static_cast<std::size_t>(kFrameSize) * frames * kFrameSize * 8 * 4)};
        for (int d = 0; d < 8; ++d) {
            const std::unique_ptr<AvatarModel> turned = posedModel(parts, description, action, d);
            for (int f = 0; f < frames; ++f) {
                const RgbaPicture cell = frameFromCopy(turned->frameStore().copies.at(static_cast<std::size_t>(f)));
                for (int row = 0; row < kFrameSize; ++row)
                    std::memcpy(
                        &sheet.rgba[((static_cast<std::size_t>(d) * kFrameSize + row) * sheet.width + f * kFrameSize) *
                                    4],
                        &cell.rgba[static_cast<std::size_t>(row) * kFrameSize * 4], kFrameSize * 4);
            }
        }
        writePicture(output, sheet);
        out << "sheet: " << frames << " frames in 8 directions\n";
        return 0;
    }
    if (frame >= frames)
        throw ToolError("action " + std::to_string(action) + " has " + std::to_string(frames) + " frames");
    if (kind == "frame") {
        if (variant == 0) {
            writePicture(output, frameFromCopy(model.frameStore().copies.at(static_cast<std::size_t>(frame))));
        } else {
            // The talking picture keeps no copy; compose it again from the frame's layers.
            (void)model.playSpan(frame, frame, false);
            const ActionFrame& f = model.action()->frames[static_cast<std::size_t>(frame)];
            FrameLayers layers;
            formFrameLayers(layers, f, direction, model.look());
            ImageRecord canvas = emptyFrameCanvas();
            (void)composeLayers(archive, canvas, layers, PaintConditions::of(model.look()),
                                turnedDirection(direction, f.directionOffset), 1);
            writePicture(output, frameFromCopy(canvas.pixels));
        }
        return 0;
    }
    // Snapshot and export: the shadow as the program loads it at start-up.
    std::vector<std::uint8_t> shadowPixels;
    ImageRecord shadow = archive.loadSpriteRecord(kShadowKey, 0, -1);
    if (!archive.loadSpritePixels(kShadowKey, 0, -1, shadowPixels)) shadowPixels.clear();
    cache.setShadowPicture(shadow, shadowPixels);
    (void)model.playSpan(frame, frame, false);
    const std::uint8_t* snapshot = model.takeSnapshot();
    if (kind == "snapshot") {
        // The snapshot's row 0 is its bottom row, as textures are stored.
        writePicture(output, uprightFromTexture(kSnapshotSize, kSnapshotSize,
                                                std::span<const std::uint8_t>(snapshot, model.snapshot().size())));
    } else {
        writePicture(output, exportFromSnapshot(snapshot));
    }
    return 0;
}

}  // namespace

int renderCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    // The three picture kinds are flags without a value; so is --animate after --code, which
    // plays the code's own script.
    const bool fromCode = std::find(arguments.begin(), arguments.end(), "--code") != arguments.end();
    Arguments rest;
    std::string kind = "frame";
    bool animateCode = false;
    for (const std::string& a : arguments) {
        if (a == "--sheet" || a == "--snapshot" || a == "--export") {
            if (kind != "frame") throw ToolError("give at most one of --sheet, --snapshot and --export");
            kind = a.substr(2);
        } else if (fromCode && a == "--animate") {
            animateCode = true;
        } else {
            rest.push_back(a);
        }
    }
    ParsedArguments parsed = parseArguments(
        rest, {"--avatar", "--code", "--action", "--direction", "--frame", "--variant", "--animate", "-o"});
    expectCount(parsed, 1, 1, kUsage);
    const bool animate = animateCode || parsed.options.contains("--animate");
    if (animate && (kind != "frame" || parsed.options.contains("--action") || parsed.options.contains("--frame") ||
                    parsed.options.contains("--variant")))
        throw ToolError("--animate takes no --action, --frame, --variant or picture kind; usage: likenex-data " +
                        std::string(kUsage));
    if (fromCode && parsed.options.contains("--avatar")) throw ToolError("give --avatar or --code, not both");
    for (const char* required : {"--avatar", "--action", "--direction", "-o"}) {
        const std::string name = required;
        const bool optional = (animate && name == "--action") || (fromCode && name != "-o");
        if (!parsed.options.contains(required) && !optional)
            throw ToolError(name + " is required; usage: likenex-data " + kUsage);
    }
    const std::string& directory = parsed.positional[0];
    auto directionOr = [&](int fallback) {
        return parsed.options.contains("--direction")
                   ? static_cast<int>(parseInteger(parsed.options["--direction"], "--direction", 0, 7))
                   : fallback;
    };
    if (fromCode) {
        const LoadedAvatarData data(directory);
        const AvatarFields avatar = avatarOfCode(parsed.options["--code"], data.catalogue);
        const AvatarDescription description{recordOfUpload(avatar, data.catalogue), true};
        const int direction = directionOr(description.record.direction);
        if (animate) {
            return animateCommand(data, directory, description, direction, scriptOfUpload(avatar), "the code's script",
                                  parsed.options["-o"], out);
        }
        const std::uint16_t action = parsed.options.contains("--action")
                                         ? parseArgument<std::uint16_t>(parsed.options["--action"], "--action")
                                         : description.record.standingAction;
        return renderPicture(data, description, action, direction, kind, parsed, out);
    }
    const int direction = directionOr(0);
    const AvatarDescription description =
        readAvatarDescription(readTextFileOrFail(parsed.options["--avatar"]), parsed.options["--avatar"]);
    if (animate) {
        const LoadedAvatarData data(directory);
        const std::string& scriptPath = parsed.options["--animate"];
        return animateCommand(data, directory, description, direction,
                              readActionScript(readTextFileOrFail(scriptPath), scriptPath), scriptPath,
                              parsed.options["-o"], out);
    }
    const auto action = parseArgument<std::uint16_t>(parsed.options["--action"], "--action");
    const LoadedAvatarData data(directory);
    return renderPicture(data, description, action, direction, kind, parsed, out);
}

}  // namespace likenex
