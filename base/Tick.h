#pragma once
// Millisecond ticks of the system clock (timeGetTime): a 32-bit count that wraps to 0 after
// about 49.7 days of uptime. Elapsed time is the difference taken modulo 2^32, which stays
// right across one wrap; comparing or subtracting ticks as signed 64-bit numbers does not.

#include <cstdint>

namespace likenex {

using Tick = std::uint32_t;

// Milliseconds from `earlier` to `later`, for spans shorter than the wrap period.
[[nodiscard]] constexpr std::uint32_t ticksBetween(Tick earlier, Tick later) noexcept { return later - earlier; }

// True once at least `span` milliseconds have passed from `start` to `now`.
[[nodiscard]] constexpr bool ticksElapsed(Tick start, Tick now, std::uint32_t span) noexcept {
    return ticksBetween(start, now) >= span;
}

// Milliseconds left from `now` until `span` milliseconds have passed from `start`; 0 once they have.
[[nodiscard]] constexpr std::uint32_t ticksLeft(Tick start, Tick now, std::uint32_t span) noexcept {
    const std::uint32_t passed = ticksBetween(start, now);
    return passed >= span ? 0 : span - passed;
}

// A time something is due in, as milliseconds from now; none when nothing is due.
struct DueIn {
    bool due = false;
    std::uint32_t milliseconds = 0;

    [[nodiscard]] static constexpr DueIn never() noexcept { return {}; }
    [[nodiscard]] static constexpr DueIn in(std::uint32_t ms) noexcept { return {true, ms}; }
    // The earlier of the two.
    [[nodiscard]] constexpr DueIn orSooner(DueIn other) const noexcept {
        if (!other.due) return *this;
        if (!due || other.milliseconds < milliseconds) return other;
        return *this;
    }
    friend constexpr bool operator==(DueIn, DueIn) noexcept = default;
};

}  // namespace likenex
