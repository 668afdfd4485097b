#pragma once
// The playing of one action: which action and frame show, the clock that moves the frames on,
// and the end-of-action report. The final action, once it plays, never gives way: whatever is
// asked afterwards only marks that it was asked for.

#include <cstdint>

#include "avatar/AvatarServices.h"
#include "base/Tick.h"
#include "catalogue/CatalogueRecords.h"

namespace likenex {

class AvatarPlayback {
public:
    // Either may be null: no clock keeps the time at 0, no events report nothing.
    AvatarPlayback(AvatarClock* clock, AvatarEvents* events) : clock_(clock), events_(events) {}

    [[nodiscard]] Tick now() const { return clock_ ? clock_->now() : 0; }

    [[nodiscard]] const Action* action() const { return action_; }
    [[nodiscard]] std::uint16_t actionId() const { return actionId_; }
    [[nodiscard]] int frameIndex() const { return frameIndex_; }
    [[nodiscard]] bool running() const { return running_; }
    [[nodiscard]] bool pendingFinal() const { return pendingFinal_; }
    // Null when nothing plays or the index lies outside the action's frames.
    [[nodiscard]] const ActionFrame* currentFrame() const;
    // Whether the current frame shows the body (its first layer has a picture).
    [[nodiscard]] bool frameShowsBody() const;

    // True while the final action holds the playback; asking then marks the request.
    [[nodiscard]] bool heldByFinal();
    void halt() { running_ = false; }
    // The current action again from its first frame.
    void rewind(Tick now) {
        frameIndex_ = 0;
        frameStart_ = now;
    }
    // A new action from its first frame; the caller has reported the old one's end.
    void start(const Action& action, std::uint16_t actionId, Tick now);
    // Reports the end still owed for a single pass, with `value` from the record.
    void sendPendingNotice(std::int64_t value);
    void stop(bool rewind, std::int64_t value);
    // Plays frames from `firstFrame`, once (its end then reported) or repeating. Returns the
    // action's frame count; asks beyond it change nothing, a negative first frame only resumes.
    int playSpan(int firstFrame, int lastFrame, bool repeat);
    // Moves to the next frame once the current one's duration has passed.
    void clockStep(Tick now, std::int64_t value);
    // When clockStep next moves a frame on: never while stopped.
    [[nodiscard]] DueIn nextStep(Tick now) const;

private:
    void endOfPass(std::int64_t value);

    AvatarClock* clock_;
    AvatarEvents* events_;
    const Action* action_ = nullptr;
    std::uint16_t actionId_ = 0;
    int frameIndex_ = 0;
    Tick frameStart_ = 0;
    bool running_ = false;
    bool repeat_ = false;
    std::uint16_t pendingNotice_ = 0;  // the action whose end is still to be reported
    bool pendingFinal_ = false;
};

}  // namespace likenex
