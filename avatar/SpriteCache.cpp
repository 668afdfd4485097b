#include "avatar/SpriteCache.h"

#include "catalogue/AvatarArchive.h"

namespace likenex {

ImageRecord SpriteCache::image(Painter& painter, const AvatarArchive& archive, std::int64_t key) {
    std::lock_guard guard(lock_);
    if (const auto it = images_.find(key); it != images_.end()) return it->second;
    ImageRecord picture = archive.loadSpriteImage(painter, key, 0, -1);
    if (hasTexture(painter, picture.texture)) images_.emplace(key, picture);
    return picture;
}

const std::vector<std::uint8_t>& SpriteCache::pixels(const AvatarArchive& archive, std::int64_t key) {
    std::lock_guard guard(lock_);
    if (const auto it = pixels_.find(key); it != pixels_.end()) return it->second;
    std::vector<std::uint8_t> bytes;
    if (!archive.loadSpritePixels(key, 0, -1, bytes)) bytes.clear();
    return pixels_.emplace(key, std::move(bytes)).first->second;
}

void SpriteCache::setShadowPicture(const ImageRecord& picture, std::vector<std::uint8_t> pixels) {
    shadow_.picture = picture;
    shadow_.pixels = std::move(pixels);
}

}  // namespace likenex
