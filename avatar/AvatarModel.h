#pragma once
// The avatar being shown and edited: what it wears, its action and direction, the frames of
// that action composed ahead of time (the frame store), their playback, its speech bubble,
// its name label and its 256 by 256 snapshot.
//
// Sections of the implementation: AvatarModel.cpp (wearing, loading, playing, composing),
// AvatarView.cpp (drawing, the playback clock, `say`), AvatarSnapshot.cpp (`takeSnapshot`,
// `blendInto`).

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "avatar/AvatarRecord.h"
#include "avatar/AvatarServices.h"
#include "avatar/LayerRefs.h"
#include "catalogue/CatalogueRecords.h"
#include "render/ImageRecord.h"

namespace likenex {

class AvatarArchive;
class Catalogue;

inline constexpr int kSnapshotSize = 256;
inline constexpr std::int64_t kShadowKey = 1050000000;
inline constexpr std::int64_t kSmallShadowKey = 2050000000;

// Pictures and pixels of archive sprites shared by every model; entries stay for the life
// of the process.
class SpriteCache {
public:
    // The picture with its texture, loaded on first use; a picture without a texture is
    // handed out but not kept.
    [[nodiscard]] ImageRecord image(const AvatarArchive& archive, std::int64_t key);
    // The pixels, loaded on first use; empty when the key is missing.
    [[nodiscard]] const std::vector<std::uint8_t>& pixels(const AvatarArchive& archive, std::int64_t key);
    [[nodiscard]] std::size_t size() const { return images_.size() + pixels_.size(); }

private:
    std::mutex lock_;
    std::map<std::int64_t, ImageRecord> images_;
    std::map<std::int64_t, std::vector<std::uint8_t>> pixels_;
};
SpriteCache& spriteCache();

// Everything the model takes from outside; the catalogue and archive default to the
// program's own.
struct AvatarModelParts {
    const Catalogue* catalogue = nullptr;
    const AvatarArchive* archive = nullptr;
    SpriteCache* cache = nullptr;
    AvatarClock* clock = nullptr;
    AvatarEvents* events = nullptr;
    AvatarScene* scene = nullptr;
};

class AvatarModel {
public:
    // The frames of the current action, composed once per playAction.
    struct FrameStore {
        std::vector<ImageRecord> pictures[2];                       // variant 0 and 1, one per frame
        std::vector<ImageRecord> framePictures;                     // every frame's extra pictures, frame after frame
        std::vector<const std::vector<std::uint8_t>*> framePixels;  // their pixels, same order
        std::vector<std::size_t> firstFramePicture;                 // index of each frame's first extra picture
        std::vector<std::vector<std::uint8_t>> hitMasks;            // 128 * 128, 1 where variant 0 is transparent
        std::vector<std::vector<std::uint8_t>> copies;              // 128 * 128 * 4 bytes of variant 0
    };

    explicit AvatarModel(AvatarModelParts parts);
    ~AvatarModel();
    AvatarModel(const AvatarModel&) = delete;
    AvatarModel& operator=(const AvatarModel&) = delete;

    // --- What it wears ---
    void wearItem(int slot, std::int32_t identifier, std::int32_t colourId);
    void setFaceOption(int slot, std::int32_t optionNumber);
    const BodyPart* chooseBodyPart(std::int32_t identifier);
    void setSkin(std::int32_t colourId) { look_.skin = colourId; }
    void clearItems();
    void clearBodyParts();
    [[nodiscard]] const AvatarLook& look() const { return look_; }
    // Takes over a look, as it is (no outfit rules run again): what another model wears, or
    // one taken from look() earlier (the editor's undo). The next playAction composes with it.
    void setLook(const AvatarLook& look) { look_ = look; }

    // --- Loading and playing ---
    void setRecord(std::shared_ptr<AvatarRecord> record) { record_ = std::move(record); }
    [[nodiscard]] const std::shared_ptr<AvatarRecord>& record() const { return record_; }
    // What the model was made with, so that another model can be made alike.
    [[nodiscard]] const AvatarModelParts& parts() const { return parts_; }
    void loadFromRecord(bool copy);
    void turn(int direction);  // -1: the next direction
    void replay(int direction);
    [[nodiscard]] bool playAction(std::uint16_t actionId, int direction, bool force);
    void stopPlayback(bool rewind);
    int playSpan(int firstFrame, int lastFrame, bool repeat);

    [[nodiscard]] const Action* action() const { return action_; }
    [[nodiscard]] int frameIndex() const { return frameIndex_; }
    [[nodiscard]] bool running() const { return running_; }
    [[nodiscard]] bool pendingFinal() const { return pendingFinal_; }
    [[nodiscard]] int direction() const { return record_ ? record_->direction : 0; }
    [[nodiscard]] const FrameStore& frameStore() const { return store_; }
    [[nodiscard]] const std::u16string& caption() const { return caption_; }
    [[nodiscard]] std::array<int, 6> placement() const { return placement_; }

    // Composes the current layers; a direction above 7 gives an empty canvas.
    [[nodiscard]] ImageRecord composeFrame(int direction, int variant);
    void clearFrameStore();

    // --- View (AvatarView.cpp) ---
    void drawAvatar(int x, int y);
    [[nodiscard]] bool say(const std::u16string* text, int style, int durationMs);
    void setTalking(bool talking) { talking_ = talking; }
    // A picture drawn beside the avatar once 3000 ms have passed since it was set.
    void setExtraPicture(const ImageRecord& picture);
    [[nodiscard]] const std::u16string& bubbleLine(int line) const { return bubbleLines_[line]; }
    [[nodiscard]] int bubbleLineCount() const { return bubbleLineCount_; }
    [[nodiscard]] int bubbleWidth() const { return bubbleWidth_; }

    // --- Snapshot (AvatarSnapshot.cpp) ---
    // The 256 by 256 picture of the current frame, BGRA, row 0 the bottom row.
    const std::uint8_t* takeSnapshot();
    // The current frame drawn as takeSnapshot draws it, onto a background of the given byte
    // (255 white, 0 transparent), without moving the clock or the talking toggle: no
    // end-of-action is reported and takeSnapshot's own buffer is left as it was.
    [[nodiscard]] std::vector<std::uint8_t> composeSnapshot(std::uint8_t background);
    // Blends a source picture (first row placed at `row`) into the snapshot, clipped.
    void blendInto(const std::uint8_t* source, int column, int row, int width, int height);
    [[nodiscard]] const std::vector<std::uint8_t>& snapshot() const { return snapshot_; }

    // The shadow's pixels, loaded once by the program at start-up for every snapshot.
    static void setShadowPicture(const ImageRecord& picture, std::vector<std::uint8_t> pixels);

private:
    struct Shadow {
        ImageRecord picture;
        std::vector<std::uint8_t> pixels;
    };
    static Shadow& shadow();
    [[nodiscard]] const Catalogue& catalogue() const;
    [[nodiscard]] const AvatarArchive& archive() const;
    void freeSlot(int slot) { look_.items[static_cast<std::size_t>(slot)].occupied = false; }
    [[nodiscard]] int outfitKindIn(int slot) const;
    void applyCostume();
    void wearAgain(int slot, const AvatarRecord::ItemSlot& item, bool bySlotOfCategory);
    [[nodiscard]] std::uint16_t standingOrReplacement(std::uint16_t action) const;
    void sendPendingNotice();
    void endOfPass();
    [[nodiscard]] Tick tickNow() const { return parts_.clock ? parts_.clock->now() : 0; }
    void toggleStep(Tick now);
    void clockStep(Tick now);
    [[nodiscard]] bool frameShowsBody() const;
    // Whether the said text still shows at `now`.
    [[nodiscard]] bool bubbleShowing(Tick now) const;
    // Calls `use`(picture, its pixels, its frame image) for the current frame's extra pictures
    // that lie behind the avatar in its direction, or for those in front.
    template <typename Use>
    void forEachFramePicture(const ActionFrame& frame, bool behind, Use use) const;
    [[nodiscard]] const ActionFrame* currentFrame() const;
    // Steps 4 to 8 of the snapshot (frame pictures, shadow, frame, bubble) into snapshot_.
    void drawSnapshotFrame(const ActionFrame& frame, Tick now);

    AvatarModelParts parts_;
    AvatarLook look_;
    FrameLayers layers_;
    std::shared_ptr<AvatarRecord> record_;
    std::array<int, 6> placement_{};
    std::u16string caption_;
    bool costumeApplied_ = false;

    const Action* action_ = nullptr;
    std::uint16_t actionId_ = 0;
    int frameIndex_ = 0;
    Tick frameStart_ = 0;
    bool running_ = false;
    bool repeat_ = false;
    std::uint16_t pendingNotice_ = 0;  // the action whose end is still to be reported
    bool pendingFinal_ = false;

    std::recursive_mutex modelLock_;
    FrameStore store_;

    // Talking and the speech bubble.
    bool talking_ = false;
    bool toggle_ = false;
    int toggleCount_ = 0;
    int toggleLimit_ = 0;
    Tick lastToggle_ = 0;
    std::u16string bubbleLines_[2];
    int bubbleLineCount_ = 0;
    int bubbleWidth_ = 0;
    int bubbleStyle_ = 0;
    Tick saidAt_ = 0;
    bool said_ = false;
    ImageRecord extraPicture_;
    Tick extraSetAt_ = 0;

    std::vector<std::uint8_t> snapshot_;
};

template <typename Use>
void AvatarModel::forEachFramePicture(const ActionFrame& frame, bool behind, Use use) const {
    const std::size_t index = static_cast<std::size_t>(frameIndex_);
    if (index >= store_.firstFramePicture.size()) return;
    const std::size_t first = store_.firstFramePicture[index];
    // A record may hold any direction until a play accepts it; outside 0..7 nothing is behind.
    const int direction = record_ ? record_->direction : 0;
    const bool known = direction >= 0 && direction < 8;
    for (std::size_t i = 0; i < frame.images.size() && first + i < store_.framePictures.size(); ++i) {
        const FrameImage& image = frame.images[i];
        if ((known && (image.directionMask >> direction & 1u) != 0) == behind)
            use(store_.framePictures[first + i], store_.framePixels[first + i], image);
    }
}

// The model the screens share; set by the start-up sequence and the editor.
std::shared_ptr<AvatarModel>& currentAvatarModel();

}  // namespace likenex
