#include "avatar/AvatarModel.h"

#include <algorithm>

#include "avatar/PaintingOrder.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ImageKey.h"

namespace likenex {

namespace {

constexpr int kDirections = 8;
constexpr std::int32_t kCostumeItem = 6050;
constexpr std::int32_t kCostumeColour = 31;

}  // namespace

AvatarSettings& avatarSettings() {
    static AvatarSettings settings;
    return settings;
}

std::shared_ptr<AvatarModel>& currentAvatarModel() {
    static std::shared_ptr<AvatarModel> model;
    return model;
}

// --- Sprite cache ---

ImageRecord SpriteCache::image(const AvatarArchive& archive, std::int64_t key) {
    std::lock_guard guard(lock_);
    if (const auto it = images_.find(key); it != images_.end()) return it->second;
    ImageRecord picture = archive.loadSpriteImage(key, 0, -1);
    if (hasTexture(picture.texture)) images_.emplace(key, picture);
    return picture;
}

const std::vector<std::uint8_t>& SpriteCache::pixels(const AvatarArchive& archive, std::int64_t key) {
    std::lock_guard guard(lock_);
    if (const auto it = pixels_.find(key); it != pixels_.end()) return it->second;
    std::vector<std::uint8_t> bytes;
    if (!archive.loadSpritePixels(key, 0, -1, bytes)) bytes.clear();
    return pixels_.emplace(key, std::move(bytes)).first->second;
}

SpriteCache& spriteCache() {
    static SpriteCache cache;
    return cache;
}

// --- Construction ---

AvatarModel::AvatarModel(AvatarModelParts parts) : parts_(parts) {
    if (!parts_.cache) parts_.cache = &spriteCache();
    record_ = std::make_shared<AvatarRecord>();
    look_.skin = -1;
}

AvatarModel::~AvatarModel() { clearFrameStore(); }

const Catalogue& AvatarModel::catalogue() const { return parts_.catalogue ? *parts_.catalogue : Catalogue::instance(); }
const AvatarArchive& AvatarModel::archive() const { return parts_.archive ? *parts_.archive : avatarArchive(); }

// --- Wearing ---

int AvatarModel::outfitKindIn(int slot) const {
    const ItemSlot& s = look_.items[static_cast<std::size_t>(slot)];
    if (!s.occupied) return 0;
    const Item* item = catalogue().findItem(s.item);
    return item ? item->outfitKind : 0;
}

void AvatarModel::wearItem(int slot, std::int32_t identifier, std::int32_t colourId) {
    if (slot < 0 || slot > 6) return;
    const Item* item = catalogue().findItem(identifier);
    if (!item) return;
    // A single piece over an outfit takes the whole outfit off.
    if (slot >= 2 && slot <= 5 && outfitKindIn(6) != 0)
        for (int s : {6, 3, 4, 5}) freeSlot(s);
    if (look_.items[static_cast<std::size_t>(slot)].occupied) {
        switch (outfitKindIn(slot)) {
        case 1:
            for (int s : {6, 3, 4}) freeSlot(s);
            break;
        case 2:
            for (int s : {6, 5, 4}) freeSlot(s);
            break;
        default: freeSlot(slot); break;
        }
    }
    look_.items[static_cast<std::size_t>(slot)] = ItemSlot::wearing(*item, colourId);
    switch (slot) {
    case 0: freeSlot(1); break;
    case 1: freeSlot(0); break;
    case 3: freeSlot(5); break;
    case 5: freeSlot(3); break;
    default: break;
    }
    if (slot == 6 && item->outfitKind != 0) {
        // An outfit is worn as its three components.
        if (item->outfitKind == 1)
            for (int s : {2, 5}) freeSlot(s);
        else
            for (int s : {2, 3}) freeSlot(s);
        const int second = item->outfitKind == 1 ? 3 : 5;
        const std::pair<int, std::int32_t> parts[] = {
            {6, item->outfitSlot6}, {second, item->outfitSlot3or5}, {4, item->outfitSlot4}};
        for (auto [target, id] : parts)
            if (const Item* part = catalogue().findItem(id))
                look_.items[static_cast<std::size_t>(target)] = ItemSlot::wearing(*part, colourId);
    }
}

void AvatarModel::setFaceOption(int slot, std::int32_t optionNumber) {
    if (slot != kFaceOptionSlot1 && slot != kFaceOptionSlot2) return;
    look_.items[static_cast<std::size_t>(slot)] = ItemSlot::faceOption(optionNumber);
}

const BodyPart* AvatarModel::chooseBodyPart(std::int32_t identifier) {
    const BodyPart* part = catalogue().findBodyPart(identifier);
    if (part && part->bodyLayer >= 0 && part->bodyLayer < kBodyLayerCount)
        look_.bodyParts[static_cast<std::size_t>(part->bodyLayer)] = {*part, true};
    return part;
}

void AvatarModel::clearItems() {
    for (int s = 0; s <= 6; ++s) freeSlot(s);
}

void AvatarModel::clearBodyParts() {
    for (BodyPartSlot& s : look_.bodyParts) s.chosen = false;
}

// --- Loading ---

void AvatarModel::wearAgain(int slot, const AvatarRecord::ItemSlot& item, bool bySlotOfCategory) {
    if (!item.occupied) {
        freeSlot(slot);
        return;
    }
    int target = slot;
    if (bySlotOfCategory) {
        const Item* record = catalogue().findItem(item.item);
        if (!record) return;
        target = record->category;
    }
    wearItem(target, item.item, item.colourId);
}

void AvatarModel::applyCostume() {
    if (record_->costume == costumeApplied_) return;
    if (record_->costume) {
        wearItem(6, kCostumeItem, kCostumeColour);
    } else {
        const auto& items = record_->items;
        wearAgain(0, items[0], false);
        wearAgain(1, items[1], false);
        wearAgain(2, items[2], false);
        wearAgain(3, items[3], true);
        wearAgain(5, items[5], true);
        wearAgain(4, items[4], false);
        wearAgain(6, items[6], false);
    }
    costumeApplied_ = record_->costume;
}

void AvatarModel::loadFromRecord(bool copy) {
    if (!record_) return;
    if (copy) {
        for (std::size_t s = 0; s < look_.items.size(); ++s) {
            const AvatarRecord::ItemSlot& from = record_->items[s];
            ItemSlot& to = look_.items[s];
            to.occupied = from.occupied;
            to.item = from.item;
            to.colourId = from.colourId;
            to.category = 0;
            if (s <= 6)
                if (const Item* item = catalogue().findItem(from.item)) to.category = item->category;
        }
        for (std::size_t v = 0; v < look_.bodyParts.size(); ++v) {
            const AvatarRecord::BodyPartSlot& from = record_->bodyParts[v];
            const BodyPart* part = catalogue().findBodyPart(from.part);
            look_.bodyParts[v] = {part ? *part : BodyPart{}, from.chosen && part != nullptr};
        }
        look_.skin = record_->skin;
    }
    const int x = record_->x, y = record_->y;
    placement_ = {x - 168, y - 208, x - 19, y - 86, x + 16, y};
    applyCostume();
    caption_ = avatarSettings().nameChoice && record_->number < 0 ? record_->names[0] : record_->names[1];
    look_.mode = record_->mode;
    (void)playAction(standingOrReplacement(record_->standingAction), record_->direction, true);
}

std::uint16_t AvatarModel::standingOrReplacement(std::uint16_t action) const {
    return record_ && record_->replaceStanding ? kReplacementStandingAction : action;
}

void AvatarModel::turn(int direction) {
    const int current = this->direction();
    const int next = direction == -1 ? (current + 1) % kDirections : direction;
    if (next == current) return;
    (void)playAction(actionId_, next, false);
}

void AvatarModel::replay(int direction) { (void)playAction(standingOrReplacement(actionId_), direction, true); }

// --- Playing ---

void AvatarModel::sendPendingNotice() {
    if (pendingNotice_ == 0) return;
    const std::uint16_t ended = pendingNotice_;
    pendingNotice_ = 0;
    if (parts_.events) parts_.events->actionEnded(ended, record_ ? record_->notifyValue() : 0);
}

bool AvatarModel::playAction(std::uint16_t actionId, int direction, bool force) {
    if (action_ && actionId_ == kFinalAction) {
        pendingFinal_ = true;
        return false;
    }
    running_ = false;
    if (direction < 0 || direction >= kDirections) return false;
    const Tick now = tickNow();
    if (action_ && actionId == actionId_ && !force && record_ && direction == record_->direction) {
        frameIndex_ = 0;
        frameStart_ = now;
        return true;
    }
    const Action* action = catalogue().findAction(actionId);
    if (!action) return false;
    sendPendingNotice();

    std::lock_guard guard(modelLock_);
    clearFrameStore();
    look_.mode = record_ ? record_->mode : look_.mode;
    for (const ActionFrame& frame : action->frames) {
        const int d = turnedDirection(direction, frame.directionOffset);
        store_.firstFramePicture.push_back(store_.framePictures.size());
        for (const FrameImage& image : frame.images) {
            const std::int64_t key = makeImageKey(image.imageNumber, 3, 0, d, 0, 0);
            store_.framePictures.push_back(parts_.cache->image(archive(), key));
            store_.framePixels.push_back(&parts_.cache->pixels(archive(), key));
        }
        formFrameLayers(layers_, frame, direction, look_);
        store_.pictures[0].push_back(composeFrame(d, 0));
        store_.pictures[1].push_back(composeFrame(d, 1));
    }
    frameStart_ = now;
    action_ = action;
    actionId_ = actionId;
    if (record_) record_->direction = direction;
    frameIndex_ = 0;
    return true;
}

void AvatarModel::stopPlayback(bool rewind) {
    sendPendingNotice();
    if (actionId_ == kFinalAction && action_) pendingFinal_ = true;
    if (rewind && action_) frameIndex_ = 0;
    running_ = false;
}

int AvatarModel::playSpan(int firstFrame, int lastFrame, bool repeat) {
    const int count = action_ ? static_cast<int>(action_->frames.size()) : 0;
    if (!action_ || count < firstFrame || count < lastFrame) return count;
    if (firstFrame < 0) {
        running_ = true;
        return count;
    }
    repeat_ = repeat;
    if (!repeat) pendingNotice_ = actionId_;
    running_ = true;
    frameStart_ = tickNow();
    frameIndex_ = std::min(firstFrame, std::max(0, count - 1));
    return count;
}

// --- Composing ---

ImageRecord AvatarModel::composeFrame(int direction, int variant) {
    ImageRecord canvas = emptyFrameCanvas();
    if (direction >= 0 && direction < kDirections)
        (void)composeLayers(archive(), canvas, layers_, PaintConditions::of(look_), direction, variant);
    canvas.texture = makeTexture(kFrameSize, kFrameSize, canvas.pixels.data());
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
        for (ImageRecord& picture : list) dropTexture(picture.texture);
        list.clear();
    }
    store_.framePictures.clear();
    store_.framePixels.clear();
    store_.firstFramePicture.clear();
    store_.hitMasks.clear();
    store_.copies.clear();
}

const ActionFrame* AvatarModel::currentFrame() const {
    if (!action_ || frameIndex_ < 0 || frameIndex_ >= static_cast<int>(action_->frames.size())) return nullptr;
    return &action_->frames[static_cast<std::size_t>(frameIndex_)];
}

bool AvatarModel::frameShowsBody() const {
    const ActionFrame* frame = currentFrame();
    return frame && frame->layers[0].imageNumber > 0;
}

bool AvatarModel::bubbleShowing(Tick now) const {
    // A negative duration shows nothing.
    const std::int32_t duration = avatarSettings().bubbleDuration;
    return said_ && duration > 0 && !ticksElapsed(saidAt_, now, static_cast<std::uint32_t>(duration)) &&
           bubbleLineCount_ > 0 && !bubbleLines_[0].empty();
}

}  // namespace likenex
