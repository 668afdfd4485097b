#include "app/FramePacer.h"

#include <algorithm>

namespace likenex {

std::uint32_t FrameSchedule::waitBeforeTick(Tick now) const {
    std::uint32_t wait = 0;
    if (!changed_) {
        if (!scheduled_) return kWaitForInput;
        // A time already passed reads as a large wait when taken modulo 2^32: ticks due are
        // never more than half the clock's range ahead.
        const std::uint32_t ahead = nextChange_ - now;
        wait = ahead < 0x80000000u ? ahead : 0;
    }
    if (ticked_) wait = std::max(wait, ticksLeft(lastTick_, now, period_));
    return wait;
}

void FrameSchedule::beginTick(Tick now) {
    ticked_ = true;
    lastTick_ = now;
    changed_ = false;
}

void FrameSchedule::scheduleAfterTick(Tick now, DueIn next) {
    scheduled_ = next.due;
    nextChange_ = now + next.milliseconds;
}

}  // namespace likenex
