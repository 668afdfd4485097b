#pragma once
// The avatar being shown and edited, as its callers use it: a façade over what it wears
// (AvatarWardrobe), the playing of its action (AvatarPlayback), what it says (AvatarSpeech)
// and its 256 by 256 snapshot (AvatarSnapshot). It keeps the frames of the current action
// composed ahead of time (the frame store), its name label and where it stands.
//
// Sections of the implementation: AvatarModel.cpp (loading, playing, composing the frame
// store), AvatarView.cpp (the clock, and drawing on screen and into the snapshot).

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "avatar/AvatarPlayback.h"
#include "avatar/AvatarRecord.h"
#include "avatar/AvatarServices.h"
#include "avatar/AvatarSnapshot.h"
#include "avatar/AvatarSpeech.h"
#include "avatar/AvatarWardrobe.h"
#include "avatar/LayerRefs.h"
#include "avatar/SpriteCache.h"
#include "catalogue/CatalogueRecords.h"
#include "render/ImageRecord.h"

namespace likenex {

class AvatarArchive;
class Catalogue;
class Painter;

// Everything the model takes from outside, owned by whoever makes the model and outliving it.
struct AvatarModelParts {
    const Catalogue* catalogue = nullptr;    // none: no item, part or action is found
    const AvatarArchive* archive = nullptr;  // none: every frame is composed empty
    SpriteCache* cache = nullptr;            // none: the model keeps a cache of its own
    AvatarClock* clock = nullptr;            // none: the time stands at 0
    AvatarEvents* events = nullptr;
    AvatarScene* scene = nullptr;              // none: no text and no bubble is drawn
    const AvatarSettings* settings = nullptr;  // none: the defaults
    Painter* painter = nullptr;                // makes the composed frames' textures; none: no textures
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
    void wearItem(int slot, std::int32_t identifier, std::int32_t colourId) {
        wardrobe_.wearItem(slot, identifier, colourId);
    }
    void setFaceOption(int slot, std::int32_t optionNumber) { wardrobe_.setFaceOption(slot, optionNumber); }
    const BodyPart* chooseBodyPart(std::int32_t identifier) { return wardrobe_.chooseBodyPart(identifier); }
    void setSkin(std::int32_t colourId) { wardrobe_.setSkin(colourId); }
    void clearItems() { wardrobe_.clearItems(); }
    void clearBodyParts() { wardrobe_.clearBodyParts(); }
    [[nodiscard]] const AvatarLook& look() const { return wardrobe_.look(); }
    // Takes over a look, as it is (no outfit rules run again): what another model wears, or
    // one taken from look() earlier (the editor's undo). The next playAction composes with it.
    void setLook(const AvatarLook& look) { wardrobe_.setLook(look); }

    // --- Loading and playing ---
    void setRecord(std::shared_ptr<AvatarRecord> record) { record_ = std::move(record); }
    [[nodiscard]] const std::shared_ptr<AvatarRecord>& record() const { return record_; }
    // What the model was made with, so that another model can be made alike.
    [[nodiscard]] const AvatarModelParts& parts() const { return parts_; }
    void loadFromRecord(bool copy);
    void turn(int direction);  // -1: the next direction
    void replay(int direction);
    [[nodiscard]] bool playAction(std::uint16_t actionId, int direction, bool force);
    void stopPlayback(bool rewind) { playback_.stop(rewind, notifyValue()); }
    int playSpan(int firstFrame, int lastFrame, bool repeat) {
        return playback_.playSpan(firstFrame, lastFrame, repeat);
    }

    [[nodiscard]] const Action* action() const { return playback_.action(); }
    [[nodiscard]] int frameIndex() const { return playback_.frameIndex(); }
    [[nodiscard]] bool running() const { return playback_.running(); }
    [[nodiscard]] bool pendingFinal() const { return playback_.pendingFinal(); }
    [[nodiscard]] int direction() const { return record_ ? record_->direction : 0; }
    [[nodiscard]] const FrameStore& frameStore() const { return store_; }
    [[nodiscard]] const std::u16string& caption() const { return caption_; }
    [[nodiscard]] std::array<int, 6> placement() const { return placement_; }

    // Composes the current layers; a direction above 7 gives an empty canvas.
    [[nodiscard]] ImageRecord composeFrame(int direction, int variant);
    void clearFrameStore();

    // --- View (AvatarView.cpp) ---
    // Draws the current frame; what shows depends on the clock, which drawing leaves alone.
    void drawAvatar(Painter& painter, int x, int y);
    // Moves the playback clock and the talking toggle on to the present time, reporting the end
    // of an action as a pass ends, whether or not the avatar is drawn. Says when the picture
    // next changes by time alone (the next frame, the bubble's end, the extra picture's
    // appearance), so that a caller need neither draw nor wake before then.
    [[nodiscard]] DueIn advanceClock();
    [[nodiscard]] bool say(const std::u16string* text, int style, int durationMs) {
        return speech_.say(parts_.scene, text, style, durationMs, playback_.now());
    }
    void setTalking(bool talking) { speech_.setTalking(talking); }
    // A picture drawn beside the avatar once 3000 ms have passed since it was set.
    void setExtraPicture(const ImageRecord& picture);
    [[nodiscard]] const std::u16string& bubbleLine(int line) const { return speech_.line(line); }
    [[nodiscard]] int bubbleLineCount() const { return speech_.lineCount(); }
    [[nodiscard]] int bubbleWidth() const { return speech_.width(); }
    [[nodiscard]] std::int32_t bubbleDuration() const { return speech_.duration(); }

    // --- Snapshot (AvatarView.cpp) ---
    // The 256 by 256 picture of the current frame, BGRA, row 0 the bottom row.
    const std::uint8_t* takeSnapshot();
    // The current frame drawn as takeSnapshot draws it, onto a background of the given byte
    // (255 white, 0 transparent), without moving the clock or the talking toggle: no
    // end-of-action is reported and takeSnapshot's own buffer is left as it was.
    [[nodiscard]] std::vector<std::uint8_t> composeSnapshot(std::uint8_t background);
    // Blends a source picture (first row placed at `row`) into the snapshot, clipped.
    void blendInto(const std::uint8_t* source, int column, int row, int width, int height) {
        snapshot_.blendInto(source, column, row, width, height);
    }
    [[nodiscard]] const std::vector<std::uint8_t>& snapshot() const { return snapshot_.pixels(); }

private:
    [[nodiscard]] std::int64_t notifyValue() const { return record_ ? record_->notifyValue() : 0; }
    // The cached sprite; empty without an archive.
    [[nodiscard]] ImageRecord spriteImage(std::int64_t key);
    [[nodiscard]] const AvatarSettings& settings() const {
        return parts_.settings ? *parts_.settings : kDefaultAvatarSettings;
    }
    [[nodiscard]] std::uint16_t standingOrReplacement(std::uint16_t action) const;
    // Calls `use`(picture, its pixels, its frame image) for the current frame's extra pictures
    // that lie behind the avatar in its direction, or for those in front.
    template <typename Use>
    void forEachFramePicture(const ActionFrame& frame, bool behind, Use use) const;
    // Steps 4 to 8 of the snapshot (frame pictures, shadow, frame, bubble) into the snapshot.
    void drawSnapshotFrame(const ActionFrame& frame, Tick now);

    AvatarModelParts parts_;
    std::unique_ptr<SpriteCache> ownCache_;  // made when the parts bring no cache
    SpriteCache* cache_ = nullptr;
    std::shared_ptr<AvatarRecord> record_;
    std::array<int, 6> placement_{};
    std::u16string caption_;

    AvatarWardrobe wardrobe_;
    AvatarPlayback playback_;
    AvatarSpeech speech_;
    AvatarSnapshot snapshot_;

    std::recursive_mutex modelLock_;
    FrameStore store_;

    ImageRecord extraPicture_;
    Tick extraSetAt_ = 0;
};

template <typename Use>
void AvatarModel::forEachFramePicture(const ActionFrame& frame, bool behind, Use use) const {
    const std::size_t index = static_cast<std::size_t>(playback_.frameIndex());
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

}  // namespace likenex
