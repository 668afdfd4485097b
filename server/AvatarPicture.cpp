#include "server/AvatarPicture.h"

#include "avatar/AvatarModel.h"
#include "avatar/ExportPictures.h"
#include "avatar/PictureScene.h"
#include "catalogue/AvatarData.h"
#include "render/BmpFile.h"

#include <algorithm>

namespace likenex {
namespace {

struct StillClock : AvatarClock {
    Tick now() const override { return 0; }
};

// The wire's five item pairs back into the model's item slots.
AvatarRecord recordOf(const AvatarFields& avatar, const Catalogue& catalogue) {
    AvatarRecord record;
    auto wear = [&](int slot, const ItemPair& pair) {
        if (pair.item == 0) return;
        record.items[static_cast<std::size_t>(slot)] = {pair.item, pair.colour == 255 ? -1 : pair.colour, true};
    };
    auto categoryOf = [&](const ItemPair& pair, int fallback) {
        const Item* item = catalogue.findItem(pair.item);
        return item && item->category >= 0 && item->category <= 6 ? item->category : fallback;
    };
    wear(categoryOf(avatar.items[0], 0), avatar.items[0]);
    wear(6, avatar.items[1]);
    wear(2, avatar.items[2]);
    wear(categoryOf(avatar.items[3], 3), avatar.items[3]);
    wear(4, avatar.items[4]);
    if (avatar.faceOption1 != 0) record.items[7] = {avatar.faceOption1, -1, true};
    if (avatar.faceOption2 != 0) record.items[8] = {avatar.faceOption2, -1, true};
    if (const BodyPart* part = catalogue.findBodyPart(avatar.bodyPart))
        if (part->bodyLayer >= 0 && part->bodyLayer < kBodyLayerCount)
            record.bodyParts[static_cast<std::size_t>(part->bodyLayer)] = {avatar.bodyPart, true};
    record.skin = avatar.skin;
    record.direction = avatar.direction % 8;
    return record;
}

// The stored script's steps; identifiers outside the action range name no action.
std::vector<ScriptStep> scriptOf(const AvatarFields& avatar) {
    std::vector<ScriptStep> steps;
    for (const ScriptEntry& entry : avatar.script)
        if (entry.action >= 0 && entry.action <= 0xFFFF)
            steps.push_back({static_cast<std::uint16_t>(entry.action), entry.caption});
    return steps;
}

}  // namespace

AvatarPictures::AvatarPictures(const std::string& programDirectory) : cache_(std::make_unique<SpriteCache>()) {
    available_ = loadAvatarData(catalogue_, archive_, tables_, programDirectory);
    if (available_) scene_ = std::make_unique<PictureScene>(archive_, defaultPictureFonts(programDirectory));
}

AvatarPictures::~AvatarPictures() = default;

std::vector<std::uint8_t> AvatarPictures::stillBmp(const AvatarFields& avatar) {
    if (!available_) return {};
    std::lock_guard lock(mutex_);
    StillClock clock;
    AvatarModel model(AvatarModelParts{&catalogue_, &archive_, cache_.get(), &clock, nullptr, nullptr});
    model.setRecord(std::make_shared<AvatarRecord>(recordOf(avatar, catalogue_)));
    model.loadFromRecord(true);
    const auto& copies = model.frameStore().copies;
    if (copies.empty() || copies[0].size() != kFrameBytes) return {};
    // Browsers ignore the alpha of a BMP: the frame is laid on white here.
    std::vector<std::uint8_t> pixels = copies[0];
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        unsigned alpha = pixels[i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * alpha + 255 * (255 - alpha)) / 255);
        pixels[i + 3] = 255;
    }
    return encodeBmp32(kFrameSize, kFrameSize, pixels);
}

bool AvatarPictures::animates(const AvatarFields& avatar) const {
    if (!available_) return false;
    // Only the timeline is planned here; nothing is drawn.
    const ScriptAnimation animation(AvatarModelParts{&catalogue_, nullptr, nullptr, nullptr, nullptr, nullptr},
                                    AvatarLook{}, 0, scriptOf(avatar));
    return !animation.timeline().empty();
}

std::vector<std::uint8_t> AvatarPictures::animatedPng(std::int64_t number, const AvatarFields& avatar) {
    if (!available_) return {};
    std::lock_guard lock(mutex_);
    if (const auto it = animations_.find(number); it != animations_.end() && it->second.avatar == avatar)
        return it->second.png;
    StillClock clock;
    const AvatarModelParts parts{&catalogue_, &archive_, cache_.get(), &clock, nullptr, scene_.get()};
    // What the stored avatar wears, as the editor's model has it once loaded.
    AvatarModel dressed(parts);
    dressed.setRecord(std::make_shared<AvatarRecord>(recordOf(avatar, catalogue_)));
    dressed.loadFromRecord(true);
    std::vector<std::uint8_t> png = scriptAnimationPng(parts, dressed.look(), avatar.direction % 8, scriptOf(avatar));
    if (png.empty()) return png;
    if (animations_.erase(number) != 0)
        animationOrder_.erase(std::find(animationOrder_.begin(), animationOrder_.end(), number));
    if (animationOrder_.size() == kKeptAnimations) {
        animations_.erase(animationOrder_.front());
        animationOrder_.pop_front();
    }
    animations_.emplace(number, Animation{avatar, png});
    animationOrder_.push_back(number);
    return png;
}

}  // namespace likenex
