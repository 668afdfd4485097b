#pragma once
// An upright RGBA picture, top row first: the order PNG files hold their rows in.

#include <cstdint>
#include <vector>

namespace likenex {

struct RgbaPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgba;

    friend bool operator==(const RgbaPicture&, const RgbaPicture&) = default;
};

}  // namespace likenex
