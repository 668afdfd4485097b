#pragma once
// Drawing positions summed from values that data files give (sprite offsets, catalogue
// offsets), which nothing bounds.

#include <algorithm>
#include <cstdint>

namespace likenex {

// The sum, taken in 64 bits, held within +-2^30: far off any screen or buffer either way, and
// small enough that adding a picture's size or one more such position to it cannot overflow.
[[nodiscard]] constexpr int clampPosition(std::int64_t sum) noexcept {
    constexpr std::int64_t limit = std::int64_t{1} << 30;
    return static_cast<int>(std::clamp(sum, -limit, limit));
}

}  // namespace likenex
