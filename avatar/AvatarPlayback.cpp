#include "avatar/AvatarPlayback.h"

#include <algorithm>

#include "avatar/AvatarRecord.h"

namespace likenex {

const ActionFrame* AvatarPlayback::currentFrame() const {
    if (!action_ || frameIndex_ < 0 || frameIndex_ >= static_cast<int>(action_->frames.size())) return nullptr;
    return &action_->frames[static_cast<std::size_t>(frameIndex_)];
}

bool AvatarPlayback::frameShowsBody() const {
    const ActionFrame* frame = currentFrame();
    return frame && frame->layers[0].imageNumber > 0;
}

bool AvatarPlayback::heldByFinal() {
    if (!action_ || actionId_ != kFinalAction) return false;
    pendingFinal_ = true;
    return true;
}

void AvatarPlayback::start(const Action& action, std::uint16_t actionId, Tick now) {
    frameStart_ = now;
    action_ = &action;
    actionId_ = actionId;
    frameIndex_ = 0;
}

void AvatarPlayback::sendPendingNotice(std::int64_t value) {
    if (pendingNotice_ == 0) return;
    const std::uint16_t ended = pendingNotice_;
    pendingNotice_ = 0;
    if (events_) events_->actionEnded(ended, value);
}

void AvatarPlayback::stop(bool rewind, std::int64_t value) {
    sendPendingNotice(value);
    if (actionId_ == kFinalAction && action_) pendingFinal_ = true;
    if (rewind && action_) frameIndex_ = 0;
    running_ = false;
}

int AvatarPlayback::playSpan(int firstFrame, int lastFrame, bool repeat) {
    const int count = action_ ? static_cast<int>(action_->frames.size()) : 0;
    if (!action_ || count < firstFrame || count < lastFrame) return count;
    if (firstFrame < 0) {
        running_ = true;
        return count;
    }
    repeat_ = repeat;
    if (!repeat) pendingNotice_ = actionId_;
    running_ = true;
    frameStart_ = now();
    frameIndex_ = std::min(firstFrame, std::max(0, count - 1));
    return count;
}

void AvatarPlayback::endOfPass(std::int64_t value) {
    if (actionId_ == kFinalAction) {
        pendingFinal_ = true;
        return;
    }
    pendingNotice_ = 0;
    if (events_) events_->actionEnded(actionId_, value);
}

DueIn AvatarPlayback::nextStep(Tick now) const {
    const ActionFrame* frame = currentFrame();
    if (!running_ || !frame) return DueIn::never();
    return DueIn::in(ticksLeft(frameStart_, now, static_cast<std::uint32_t>(frame->duration)));
}

void AvatarPlayback::clockStep(Tick now, std::int64_t value) {
    const ActionFrame* frame = currentFrame();
    if (!running_ || !frame) return;
    // The duration is an unsigned count of milliseconds, like the ticks it is measured in.
    if (!ticksElapsed(frameStart_, now, static_cast<std::uint32_t>(frame->duration))) return;
    frameStart_ = now;
    ++frameIndex_;
    if (frameIndex_ >= static_cast<int>(action_->frames.size())) {
        if (repeat_) {
            frameIndex_ = 0;
        } else {
            frameIndex_ = static_cast<int>(action_->frames.size()) - 1;
            running_ = false;
        }
        endOfPass(value);
    }
}

}  // namespace likenex
