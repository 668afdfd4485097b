#include "avatar/AvatarModel.h"

#include "avatar/PaintingOrder.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ImageKey.h"
#include "render/Painter.h"

namespace likenex {

namespace {

constexpr int kDirections = 8;

}  // namespace

// --- Construction ---

AvatarModel::AvatarModel(AvatarModelParts parts)
    : parts_(parts), wardrobe_(parts.catalogue), playback_(parts.clock, parts.events) {
    if (!parts_.cache) ownCache_ = std::make_unique<SpriteCache>();
    cache_ = parts_.cache ? parts_.cache : ownCache_.get();
    record_ = std::make_shared<AvatarRecord>();
}

AvatarModel::~AvatarModel() { clearFrameStore(); }

ImageRecord AvatarModel::spriteImage(std::int64_t key) {
    if (!parts_.archive) return {};
    return parts_.painter ? cache_->image(*parts_.painter, *parts_.archive, key)
                          : parts_.archive->loadSpriteRecord(key, 0, -1);
}

// --- Loading ---

void AvatarModel::loadFromRecord(bool copy) {
    if (!record_) return;
    if (copy) wardrobe_.copyRecord(*record_);
    const int x = record_->x, y = record_->y;
    placement_ = {x - 168, y - 208, x - 19, y - 86, x + 16, y};
    wardrobe_.wearCostumeOf(*record_);
    caption_ = settings().nameChoice && record_->number < 0 ? record_->names[0] : record_->names[1];
    wardrobe_.setMode(record_->mode);
    (void)playAction(standingOrReplacement(record_->standingAction), record_->direction, true);
}

std::uint16_t AvatarModel::standingOrReplacement(std::uint16_t action) const {
    return record_ && record_->replaceStanding ? kReplacementStandingAction : action;
}

void AvatarModel::turn(int direction) {
    const int current = this->direction();
    const int next = direction == -1 ? (current + 1) % kDirections : direction;
    if (next == current) return;
    (void)playAction(playback_.actionId(), next, false);
}

void AvatarModel::replay(int direction) {
    (void)playAction(standingOrReplacement(playback_.actionId()), direction, true);
}

// --- Playing ---

bool AvatarModel::playAction(std::uint16_t actionId, int direction, bool force) {
    if (playback_.heldByFinal()) return false;
    playback_.halt();
    if (direction < 0 || direction >= kDirections) return false;
    const Tick now = playback_.now();
    if (playback_.action() && actionId == playback_.actionId() && !force && record_ &&
        direction == record_->direction) {
        playback_.rewind(now);
        return true;
    }
    const Action* action = parts_.catalogue ? parts_.catalogue->findAction(actionId) : nullptr;
    if (!action) return false;
    playback_.sendPendingNotice(notifyValue());

    std::lock_guard guard(modelLock_);
    clearFrameStore();
    if (record_) wardrobe_.setMode(record_->mode);
    for (const ActionFrame& frame : action->frames) {
        const int d = turnedDirection(direction, frame.directionOffset);
        store_.firstFramePicture.push_back(store_.framePictures.size());
        for (const FrameImage& image : frame.images) {
            const std::int64_t key = makeImageKey(image.imageNumber, 3, 0, d, 0, 0);
            store_.framePictures.push_back(spriteImage(key));
            store_.framePixels.push_back(parts_.archive ? &cache_->pixels(*parts_.archive, key) : nullptr);
        }
        wardrobe_.formLayers(frame, direction);
        store_.pictures[0].push_back(composeFrame(d, 0));
        store_.pictures[1].push_back(composeFrame(d, 1));
    }
    playback_.start(*action, actionId, now);
    if (record_) record_->direction = direction;
    return true;
}

// --- Composing ---

ImageRecord AvatarModel::composeFrame(int direction, int variant) {
    ImageRecord canvas = emptyFrameCanvas();
    if (parts_.archive && direction >= 0 && direction < kDirections)
        wardrobe_.paintLayers(*parts_.archive, canvas, direction, variant);
    canvas.texture = parts_.painter ? makeTexture(*parts_.painter, kFrameSize, kFrameSize, canvas.pixels.data()) : 0;
    if (variant == 0) {
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(kFrameSize) * kFrameSize);
        for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = canvas.pixels[i * 4 + 3] == 0 ? 1 : 0;
        std::lock_guard guard(modelLock_);
        store_.hitMasks.push_back(std::move(mask));
        store_.copies.push_back(canvas.pixels);
    }
    canvas.pixels.clear();
    canvas.pixels.shrink_to_fit();
    return canvas;
}

void AvatarModel::clearFrameStore() {
    std::lock_guard guard(modelLock_);
    // The composed pictures are this model's; the frame pictures belong to the shared cache.
    for (auto& list : store_.pictures) {
        for (ImageRecord& picture : list)
            if (parts_.painter) dropTexture(*parts_.painter, picture.texture);
        list.clear();
    }
    store_.framePictures.clear();
    store_.framePixels.clear();
    store_.firstFramePicture.clear();
    store_.hitMasks.clear();
    store_.copies.clear();
}

}  // namespace likenex
