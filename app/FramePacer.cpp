#include "app/FramePacer.h"

namespace likenex {

std::uint32_t frameWaitAfter(std::uint32_t elapsed, std::int32_t period) {
    if (period <= 0) return 0;
    auto length = static_cast<std::uint32_t>(period);
    return elapsed < length ? length - elapsed : 0;
}

void waitFor(FrameClock& clock, std::uint32_t milliseconds, bool active) {
    std::uint32_t start = clock.tickCount();
    while (clock.tickCount() - start < milliseconds) clock.sleep(active ? kActiveSleepStep : kInactiveSleepStep);
}

}  // namespace likenex
