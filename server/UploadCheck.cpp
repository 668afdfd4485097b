#include "server/UploadCheck.h"

#include <cctype>

namespace likenex {
namespace {

bool isHexDigest(const std::string& digest) {
    if (digest.size() != kDigestLength) return false;
    for (char c : digest)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string avatarRefusal(const AvatarFields& avatar, const Catalogue& catalogue) {
    if (avatar.direction > 7) return "direction out of range";
    if (avatar.skin >= kSkinColours) return "skin colour out of range";
    if (avatar.faceOption1 != 0 && !catalogue.findLayerOption(avatar.faceOption1, 1)) return "unknown face option 1";
    if (avatar.faceOption2 != 0 && !catalogue.findLayerOption(avatar.faceOption2, 2)) return "unknown face option 2";
    for (const ItemPair& pair : avatar.items) {
        if (pair.item == 0 && pair.colour == 255) continue;
        if (pair.item == 0) return "colour without an item";
        const Item* item = catalogue.findItem(pair.item);
        if (!item || item->availability == 0) return "unknown item " + std::to_string(pair.item);
    }
    if (avatar.bodyPart != 0 && !catalogue.findBodyPart(avatar.bodyPart)) return "unknown body part " + std::to_string(avatar.bodyPart);
    for (const ScriptEntry& entry : avatar.script) {
        if (entry.action < 0 || entry.action > 0xFFFF || !catalogue.findAction(static_cast<std::uint16_t>(entry.action)))
            return "unknown action " + std::to_string(entry.action);
    }
    if (scriptFrames(avatar, catalogue) > kMaxScriptFrames) return "script longer than 120 frames";
    return {};
}

}  // namespace

long long outfitPrice(const AvatarFields& avatar, const Catalogue& catalogue) {
    long long price = 0;
    if (const LayerOption* o = catalogue.findLayerOption(avatar.faceOption1, 1)) price += o->screenValue;
    if (const LayerOption* o = catalogue.findLayerOption(avatar.faceOption2, 2)) price += o->screenValue;
    bool outfit = false;
    if (const Item* slot6 = catalogue.findItem(avatar.items[1].item)) outfit = slot6->outfitKind == 1 || slot6->outfitKind == 2;
    for (std::size_t i = 0; i < avatar.items.size(); ++i) {
        if (outfit && i >= 2) break;
        if (const Item* item = catalogue.findItem(avatar.items[i].item)) price += item->listValue;
    }
    if (const BodyPart* part = catalogue.findBodyPart(avatar.bodyPart)) price += part->listValue;
    for (const ScriptEntry& entry : avatar.script)
        if (entry.action >= 0 && entry.action <= 0xFFFF)
            if (const Action* action = catalogue.findAction(static_cast<std::uint16_t>(entry.action))) price += action->displayValue;
    return price;
}

long long scriptFrames(const AvatarFields& avatar, const Catalogue& catalogue) {
    long long frames = 0;
    for (const ScriptEntry& entry : avatar.script)
        if (entry.action >= 0 && entry.action <= 0xFFFF)
            if (const Action* action = catalogue.findAction(static_cast<std::uint16_t>(entry.action)))
                frames += static_cast<long long>(action->frames.size());
    return frames;
}

std::string uploadRefusal(const SaveAvatarRequest& upload, const Catalogue& catalogue, bool guest) {
    std::string refusal = avatarRefusal(upload.avatar, catalogue);
    if (!refusal.empty()) return refusal;
    if (upload.accessMode > 3) return "access mode out of range";
    if (upload.accessMode == 2 && !isHexDigest(upload.accessDigest)) return "access password missing";
    if (upload.firstOption > 10 || upload.secondOption > 6 || upload.language > 4) return "option out of range";
    if (guest && outfitPrice(upload.avatar, catalogue) > 0) return "guest outfit has a price";
    return {};
}

}  // namespace likenex
