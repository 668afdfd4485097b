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

}  // namespace likenex
