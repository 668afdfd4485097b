#pragma once
// Image keys name every picture of the avatar archive from catalogue data. The decimal
// fields are packed through a signed 32-bit step as the data was built with, so an item
// above 2147 wraps instead of growing; the keys in the archive depend on that.

#include <cstdint>

namespace likenex {

// The kind whose item number carries its own tail: the last three digits stay in the item
// field and the thousands become the tail (frame pictures are numbered past 999).
inline constexpr std::int32_t kFramePictureKind = 3;

constexpr std::int64_t makeImageKey(std::int32_t item, std::int32_t kind, std::int32_t variant, std::int32_t pose,
                                    std::int32_t extra, std::int32_t tail) {
    if (kind == kFramePictureKind) {
        tail = item / 1000;
        item = item % 1000;
    }
    // Unsigned arithmetic wraps exactly as the 32-bit step does, without signed overflow.
    std::uint32_t v = static_cast<std::uint32_t>(item);
    v = v * 100u + static_cast<std::uint32_t>(kind);
    v = v * 10u + static_cast<std::uint32_t>(variant);
    v = v * 10u + static_cast<std::uint32_t>(pose);
    v = v * 100u + static_cast<std::uint32_t>(extra);
    // Both factors fit easily in 64 bits: no overflow is possible here.
    return static_cast<std::int64_t>(static_cast<std::int32_t>(v)) * 1000 + tail;
}

// Keys that the start-up and the screens use directly.
inline constexpr std::int64_t kShadowImageKey = 1050000000;
inline constexpr std::int64_t kShadowOverlayImageKey = 2050000000;
inline constexpr std::int64_t kSkinSampleImageKey = 1000000000;

}  // namespace likenex
