#pragma once
// When the main loop runs a tick: moving the clocks of what it shows on and, with the window
// shown, drawing a frame. A tick is due once a message has changed the window, or once the
// time has come at which something shown changes by itself (the avatar's next frame, a step
// of a script); never sooner than one frame period after the last tick, so that whatever
// moves moves at the 20 ms pacing. Between ticks the loop waits for input, costing nothing.
// The clock is injectable so that tests can drive time.

#include <cstdint>

#include "base/Tick.h"

namespace likenex {

class FrameClock {
public:
    virtual ~FrameClock() = default;
    // The multimedia timer (timeGetTime) that stamps each pass of the loop and paces it.
    [[nodiscard]] virtual std::uint32_t loopTime() = 0;
    // Returns once `milliseconds` have passed or a message (posted, sent or input) has arrived
    // for the thread, whichever comes first; kWaitForInput waits for a message alone.
    virtual void waitForInput(std::uint32_t milliseconds) = 0;
};

inline constexpr std::int32_t kFramePeriod = 20;
inline constexpr std::uint32_t kWaitForInput = 0xFFFFFFFFu;

class FrameSchedule {
public:
    explicit FrameSchedule(std::int32_t period = kFramePeriod) : period_(period > 0 ? period : 0) {}

    // Something the window shows may have changed (a message was handled): tick soon.
    void markChanged() { changed_ = true; }
    [[nodiscard]] bool changed() const { return changed_; }
    // How long to wait before the next tick at `now`: 0 when it is due, kWaitForInput when
    // nothing is changed or scheduled.
    [[nodiscard]] std::uint32_t waitBeforeTick(Tick now) const;
    // A tick starts at `now`: the change is taken. Then, once the clocks have moved on, the
    // soonest time from `now` at which something shown changes by itself.
    void beginTick(Tick now);
    void scheduleAfterTick(Tick now, DueIn next);

private:
    std::uint32_t period_;
    bool changed_ = true;  // the first frame is always drawn
    bool ticked_ = false;
    Tick lastTick_ = 0;
    bool scheduled_ = false;
    Tick nextChange_ = 0;
};

}  // namespace likenex
