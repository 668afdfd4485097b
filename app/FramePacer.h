#pragma once
// Frame pacing of the main loop: frames are held to a fixed period by waiting out what is
// left of it. The clock is injectable so that tests can drive time.

#include <cstdint>

namespace likenex {

class FrameClock {
public:
    virtual ~FrameClock() = default;
    // Milliseconds since some start, wrapping at 2^32 (GetTickCount).
    [[nodiscard]] virtual std::uint32_t tickCount() = 0;
    // The multimedia timer (timeGetTime) that stamps each pass of the loop.
    [[nodiscard]] virtual std::uint32_t loopTime() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
};

inline constexpr std::int32_t kFramePeriod = 20;
// Sleep steps while waiting: short while the window is shown, long while it is minimised
// or hidden in the tray, so that a hidden editor costs little processor time.
inline constexpr std::uint32_t kActiveSleepStep = 1;
inline constexpr std::uint32_t kInactiveSleepStep = 10;

// How long to wait after a frame that took `elapsed` milliseconds: what is left of the
// period, or nothing for a frame that used all of it.
[[nodiscard]] std::uint32_t frameWaitAfter(std::uint32_t elapsed, std::int32_t period);

// Waits until `milliseconds` have passed on the clock, sleeping in steps by the active flag.
// Tick-count wrap-around is harmless: only differences are compared.
void waitFor(FrameClock& clock, std::uint32_t milliseconds, bool active);

}  // namespace likenex
