#pragma once
// An avatar's action script as an animation: a private model of its own, with a clock it
// moves itself and no events, plays the steps as the editor plays a script (the caption said
// when the step starts, shown for 10000 ms; the action once through; 500 ms on the last
// frame before the next step), and each stretch of time in which the picture stays the same
// becomes one frame: a crop of the snapshot with its duration. Nothing outside the private
// model changes, so an animation can be made beside the editor's own model at any time.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "avatar/AvatarModel.h"
#include "render/RgbaPicture.h"

namespace likenex {

// One step of an action script: an action identifier and what the avatar says meanwhile.
struct ScriptStep {
    std::uint16_t action = 0;
    std::u16string caption;

    friend bool operator==(const ScriptStep&, const ScriptStep&) = default;
};

// A rectangle of the 256 by 256 snapshot (whose row 0 is its bottom row): output row i, top
// row first, is snapshot row `top` - i, columns `left` to `left` + `width` - 1.
struct SnapshotCrop {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The 96 by 96 picture the editor exports: rows 121 down to 26, columns 80 to 175.
inline constexpr SnapshotCrop kExportCrop{80, 121, 96, 96};
// The animation keeps the speech bubble, which the export crop cuts off: over the highest
// frames of the data set a two-line bubble reaches up to row 183 and from column 3 to 247,
// and lying and sitting frames reach down to row 0. So the crop is the snapshot's full width,
// rows 191 down to 0.
inline constexpr SnapshotCrop kAnimationCrop{0, 191, 256, 192};

// The crop of a snapshot buffer (BGRA, bottom row first) as an upright RGBA picture; parts of
// the crop outside the snapshot are transparent.
[[nodiscard]] RgbaPicture cropSnapshot(const std::vector<std::uint8_t>& snapshot, const SnapshotCrop& crop);

inline constexpr std::uint32_t kCaptionDurationMs = 10000;  // how long each step's caption shows
inline constexpr std::uint32_t kStepPauseMs = 500;          // the last frame held before the next step
inline constexpr std::uint32_t kPaintPeriodMs = 20;         // a frame of duration 0 still shows for one paint
inline constexpr std::uint32_t kLongestFrameMs = 65535;     // longer frames (hostile data) are held this long
inline constexpr std::size_t kMostAnimationFrames = 600;    // the animation ends after this many frames
// Captions are cut to this many UTF-16 units, as the editor's own text buffers cut them;
// measuring where a longer one breaks would take time growing with the square of its length.
inline constexpr std::size_t kLongestCaption = 512;

// One frame of the animation: which step and action frame it shows, from when (milliseconds
// since the start) and for how long.
struct AnimationTiming {
    std::size_t step = 0;
    int actionFrame = 0;
    std::uint32_t startMs = 0;
    std::uint32_t durationMs = 0;
};

class ScriptAnimation {
public:
    enum class Background { White, Transparent };

    // `parts` gives the catalogue, archive, sprite cache, scene (bubble and glyphs; none
    // draws no bubbles), settings and painter; its clock and events are not used. The avatar wears `look` (its
    // mode included) and faces `direction`, taken modulo 8.
    ScriptAnimation(const AvatarModelParts& parts, const AvatarLook& look, int direction,
                    std::vector<ScriptStep> script);

    // The frames in order. Steps whose action the catalogue lacks are left out, as the editor
    // leaves them out of a loaded script; after a step whose end is never reported (the
    // final action, which plays nothing after it) the script stops there, as in the editor.
    [[nodiscard]] const std::vector<AnimationTiming>& timeline() const { return timeline_; }

    // Draws every frame of the timeline and hands it over in order.
    void render(const SnapshotCrop& crop, Background background,
                const std::function<void(const RgbaPicture&, const AnimationTiming&)>& use);

private:
    struct StepClock : AvatarClock {
        Tick time = 0;
        Tick now() const override { return time; }
    };
    // Sets the private model to the start of step `step` at time `startMs`.
    void startStep(AvatarModel& model, std::size_t step, std::uint32_t startMs);
    void planTimeline();

    AvatarModelParts parts_;
    AvatarLook look_;
    int direction_ = 0;
    std::vector<ScriptStep> script_;
    std::vector<AnimationTiming> timeline_;
    StepClock clock_;
};

}  // namespace likenex
