#include "avatar/ScriptAnimation.h"

#include <algorithm>
#include <memory>
#include <set>

#include "catalogue/Catalogue.h"

namespace likenex {

namespace {

constexpr int kDirections = 8;

// How long the editor shows a frame of this duration: the clock reads durations unsigned, so a
// negative one would hold its frame for weeks; an animation holds it for the longest delay.
std::uint32_t shownFor(std::int32_t duration) {
    if (duration == 0) return kPaintPeriodMs;
    if (duration < 0) return kLongestFrameMs;
    return std::min<std::uint32_t>(static_cast<std::uint32_t>(duration), kLongestFrameMs);
}

}  // namespace

RgbaPicture cropSnapshot(const std::vector<std::uint8_t>& snapshot, const SnapshotCrop& crop) {
    RgbaPicture out;
    if (crop.width <= 0 || crop.height <= 0 || crop.width > kSnapshotSize || crop.height > kSnapshotSize) return out;
    out.width = crop.width;
    out.height = crop.height;
    out.rgba.assign(static_cast<std::size_t>(crop.width) * crop.height * 4, 0);
    const bool whole = snapshot.size() == std::size_t{kSnapshotSize} * kSnapshotSize * 4;
    for (int i = 0; i < crop.height && whole; ++i) {
        const std::int64_t row = std::int64_t{crop.top} - i;
        if (row < 0 || row >= kSnapshotSize) continue;
        for (int j = 0; j < crop.width; ++j) {
            const std::int64_t column = std::int64_t{crop.left} + j;
            if (column < 0 || column >= kSnapshotSize) continue;
            const std::uint8_t* s = &snapshot[static_cast<std::size_t>(row * kSnapshotSize + column) * 4];
            std::uint8_t* d = &out.rgba[(static_cast<std::size_t>(i) * crop.width + j) * 4];
            d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = s[3];
        }
    }
    return out;
}

ScriptAnimation::ScriptAnimation(const AvatarModelParts& parts, const AvatarLook& look, int direction,
                                 std::vector<ScriptStep> script)
    : parts_(parts),
      look_(look),
      direction_((direction % kDirections + kDirections) % kDirections),
      script_(std::move(script)) {
    for (ScriptStep& step : script_)
        if (step.caption.size() > kLongestCaption) step.caption.resize(kLongestCaption);
    parts_.clock = &clock_;
    parts_.events = nullptr;
    planTimeline();
}

void ScriptAnimation::planTimeline() {
    if (!parts_.catalogue) return;
    const Catalogue& catalogue = *parts_.catalogue;
    // A picture changes only when a frame starts or when a said caption runs out: frames that
    // a caption's end falls inside are cut there.
    std::set<std::uint32_t> captionEnds;
    std::uint32_t now = 0;
    for (std::size_t step = 0; step < script_.size(); ++step) {
        const Action* action = catalogue.findAction(script_[step].action);
        if (!action) continue;
        if (!script_[step].caption.empty()) captionEnds.insert(now + kCaptionDurationMs);
        const std::size_t count = action->frames.size();
        for (std::size_t f = 0; f < count; ++f) {
            std::uint32_t duration = shownFor(action->frames[f].duration);
            if (f + 1 == count) duration += kStepPauseMs;
            std::uint32_t start = now;
            const std::uint32_t end = now + duration;
            for (auto cut = captionEnds.upper_bound(start); cut != captionEnds.end() && *cut < end; ++cut) {
                if (timeline_.size() == kMostAnimationFrames) return;
                timeline_.push_back({step, static_cast<int>(f), start, *cut - start});
                start = *cut;
            }
            if (timeline_.size() == kMostAnimationFrames) return;
            timeline_.push_back({step, static_cast<int>(f), start, end - start});
            now = end;
        }
        // The end of the final action, or of an action without frames, is never reported:
        // the editor's playback waits there for good.
        if (count == 0 || action->identifier == kFinalAction) return;
    }
}

void ScriptAnimation::startStep(AvatarModel& model, std::size_t step, std::uint32_t startMs) {
    clock_.time = startMs;
    const ScriptStep& s = script_[step];
    (void)model.say(&s.caption, 0, static_cast<int>(kCaptionDurationMs));
    if (model.playAction(s.action, direction_, true)) (void)model.playSpan(0, 0, false);
}

void ScriptAnimation::render(const SnapshotCrop& crop, Background background,
                             const std::function<void(const RgbaPicture&, const AnimationTiming&)>& use) {
    if (timeline_.empty()) return;
    auto model = std::make_unique<AvatarModel>(parts_);
    auto record = std::make_shared<AvatarRecord>();
    record->direction = direction_;
    record->mode = look_.mode;
    model->setRecord(record);
    model->setLook(look_);
    const std::uint8_t fill = background == Background::White ? 255 : 0;
    std::size_t step = script_.size();
    for (const AnimationTiming& timing : timeline_) {
        if (timing.step != step) {
            step = timing.step;
            startStep(*model, step, timing.startMs);
        }
        // Each frame is posed where the editor's clock would have moved it by then.
        clock_.time = timing.startMs;
        (void)model->playSpan(timing.actionFrame, timing.actionFrame, false);
        use(cropSnapshot(model->composeSnapshot(fill), crop), timing);
    }
}

}  // namespace likenex
