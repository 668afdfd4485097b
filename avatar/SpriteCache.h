#pragma once
// Pictures and pixels of archive sprites shared by every model that is given the cache, and
// the shadow that start-up loads once for all of their snapshots. Entries stay for the life
// of the cache; any thread may use it, as its lock guards the maps.

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "render/ImageRecord.h"

namespace likenex {

class AvatarArchive;

inline constexpr std::int64_t kShadowKey = 1050000000;
inline constexpr std::int64_t kSmallShadowKey = 2050000000;

class SpriteCache {
public:
    struct Shadow {
        ImageRecord picture;
        std::vector<std::uint8_t> pixels;
    };

    // The picture with its texture, loaded on first use; a picture without a texture is
    // handed out but not kept.
    [[nodiscard]] ImageRecord image(Painter& painter, const AvatarArchive& archive, std::int64_t key);
    // The pixels, loaded on first use; empty when the key is missing.
    [[nodiscard]] const std::vector<std::uint8_t>& pixels(const AvatarArchive& archive, std::int64_t key);
    [[nodiscard]] std::size_t size() const { return images_.size() + pixels_.size(); }

    // Set before any model draws from the cache; nothing guards it afterwards.
    void setShadowPicture(const ImageRecord& picture, std::vector<std::uint8_t> pixels);
    [[nodiscard]] const Shadow& shadow() const { return shadow_; }

private:
    std::mutex lock_;
    std::map<std::int64_t, ImageRecord> images_;
    std::map<std::int64_t, std::vector<std::uint8_t>> pixels_;
    Shadow shadow_;
};

}  // namespace likenex
