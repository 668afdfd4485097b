#pragma once
// Archive sprites of one colour, for tests that build an avatar archive by hand.

#include "catalogue/AvatarArchive.h"

#include <array>
#include <cstdint>
#include <span>

namespace likenex::testing {

// `fill` is one pixel's four bytes, repeated over the sprite; empty leaves the pixels empty.
inline SpriteSource solidSprite(std::int64_t key, int width, int height, int x, int y,
                                std::span<const std::uint8_t> fill) {
    SpriteSource s;
    s.key = key;
    s.width = width;
    s.height = height;
    s.x = x;
    s.y = y;
    for (int i = 0; i < width * height; ++i) s.pixels.insert(s.pixels.end(), fill.begin(), fill.end());
    return s;
}

inline SpriteSource solidSprite(std::int64_t key, int width, int height, int x, int y,
                                const std::array<std::uint8_t, 4>& bgra) {
    return solidSprite(key, width, height, x, y, std::span<const std::uint8_t>(bgra));
}

}  // namespace likenex::testing
