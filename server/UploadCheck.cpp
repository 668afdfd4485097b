#include "server/UploadCheck.h"

#include "catalogue/OutfitPrice.h"

#include <array>
#include <cctype>
#include <vector>

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
    if (avatar.bodyPart != 0 && !catalogue.findBodyPart(avatar.bodyPart))
        return "unknown body part " + std::to_string(avatar.bodyPart);
    for (const ScriptEntry& entry : avatar.script) {
        if (entry.action < 0 || entry.action > 0xFFFF ||
            !catalogue.findAction(static_cast<std::uint16_t>(entry.action)))
            return "unknown action " + std::to_string(entry.action);
    }
    if (scriptFrames(avatar, catalogue) > kMaxScriptFrames) return "script longer than 120 frames";
    return {};
}

}  // namespace

long long outfitPrice(const AvatarFields& avatar, const Catalogue& catalogue) {
    // The pairs carry slot 0 (or 1), slot 6, slot 2, slot 3 (or 5) and slot 4.
    PricedOutfit outfit;
    outfit.faceOption1 = avatar.faceOption1;
    outfit.faceOption2 = avatar.faceOption2;
    constexpr std::array<std::size_t, kAvatarItemPairs> slotOfPair = {0, 6, 2, 3, 4};
    for (std::size_t i = 0; i < avatar.items.size(); ++i) outfit.worn[slotOfPair[i]] = avatar.items[i].item;
    outfit.bodyPart = avatar.bodyPart;
    std::vector<std::uint16_t> actions;
    for (const ScriptEntry& entry : avatar.script)
        if (entry.action >= 0 && entry.action <= 0xFFFF) actions.push_back(static_cast<std::uint16_t>(entry.action));
    outfit.actions = actions;
    return outfitPrice(outfit, catalogue);
}

AvatarFields storedLook(AvatarFields avatar, const Catalogue& catalogue) {
    const Item* outfit = catalogue.findItem(avatar.items[1].item);
    if (outfit && (outfit->outfitKind == 1 || outfit->outfitKind == 2))
        for (std::size_t pair = 2; pair < avatar.items.size(); ++pair) avatar.items[pair] = ItemPair{0, 255};
    return avatar;
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
