#include "catalogue/AvatarArchive.h"

#include "catalogue/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace likenex {

AvatarArchive::AvatarArchive(const ColourTables& tables)
    : tables_(tables), scratch_(std::make_unique<std::uint8_t[]>(kSpriteScratchBytes)) {}

bool AvatarArchive::loadAvatarArchive(const std::string& programDirectory) {
    index_.clear();
    data_.close();
    ownedData_.reset();
    std::string indexPath = dataFilePath(programDirectory, "data/avatar.inx");
    std::string dataPath = dataFilePath(programDirectory, "data/avatar.iso");
    if (indexPath.empty() || dataPath.empty()) return false;
    auto indexBytes = readWholeFile(indexPath);
    if (!indexBytes || !parseArchiveIndex(std::span<const std::uint8_t>(*indexBytes), index_)) {
        index_.clear();
        return false;
    }
    // Read-only: nothing is ever written to the data file, and the program must start from
    // a folder it may not write to.
    if (!data_.open(dataPath)) {
        index_.clear();
        return false;
    }
    return true;
}

bool AvatarArchive::loadAvatarArchive(std::span<const std::uint8_t> indexFile, std::vector<std::uint8_t> dataFile) {
    data_.close();
    ownedData_.reset();
    if (!parseArchiveIndex(indexFile, index_)) {
        index_.clear();
        return false;
    }
    ownedData_ = std::move(dataFile);
    return true;
}

std::optional<AvatarArchive::Sprite> AvatarArchive::findSprite(std::int64_t key) const {
    auto it = index_.find(key);
    if (it == index_.end()) return std::nullopt;
    const ArchiveEntry& entry = it->second;
    std::span<const std::uint8_t> file = dataBytes();
    if (entry.size < kSpriteHeaderBytes || !rangeInside(entry.offset, entry.size, file.size())) return std::nullopt;
    ByteReader reader(file.subspan(entry.offset, entry.size));
    Sprite sprite{};
    sprite.width = reader.i32();
    sprite.height = reader.i32();
    sprite.x = reader.i32();
    sprite.y = reader.i32();
    sprite.extra1 = reader.u32();
    sprite.extra2 = reader.u32();
    if (!reader.ok() || sprite.width < 0 || sprite.height < 0) return std::nullopt;
    std::uint64_t pixelBytes = std::uint64_t{4} * static_cast<std::uint64_t>(sprite.width) *
                               static_cast<std::uint64_t>(sprite.height);
    if (pixelBytes > kSpriteScratchBytes || entry.size - kSpriteHeaderBytes != pixelBytes) return std::nullopt;
    sprite.pixels = reader.bytes(pixelBytes);
    return sprite;
}

bool AvatarArchive::selectColourSet(int colourKind, std::int32_t colourId, const ColourSet*& set) const {
    set = nullptr;
    const ColourTable* table = tables_.forKind(colourKind);
    if (!table) return false;
    if (colourId < 0) return true;
    set = table->find(colourId);
    return set != nullptr;
}

void AvatarArchive::fillScratch(const Sprite& sprite, const ColourSet* set) const {
    std::copy(sprite.pixels.begin(), sprite.pixels.end(), scratch_.get());
    if (set) recolourPixels({scratch_.get(), sprite.pixels.size()}, *set);
}

bool AvatarArchive::compositeSprite(ImageRecord& canvas, std::int64_t key, int colourKind,
                                    std::int32_t colourId) const {
    const ColourSet* set = nullptr;
    if (!selectColourSet(colourKind, colourId, set)) return false;
    std::optional<Sprite> sprite = findSprite(key);
    if (!sprite || canvas.pixels.size() < kFrameBytes) return false;
    const std::int64_t w = sprite->width, h = sprite->height, x = sprite->x, y = sprite->y;
    if (x < 0 || y < 0 || x + w > kFrameSize || y + h > kFrameSize) return false;

    std::lock_guard lock(spriteLock_);
    fillScratch(*sprite, set);
    const std::uint8_t* source = scratch_.get();
    std::uint8_t* frame = canvas.pixels.data();
    for (std::int64_t r = 0; r < h; ++r) {
        std::uint8_t* target = frame + ((kFrameSize - y - h + r) * kFrameSize + x) * 4;
        for (std::int64_t c = 0; c < w; ++c, source += 4, target += 4) {
            const unsigned a = source[3];
            if (a == 0) continue;
            const unsigned d = target[3];
            if (set || d == 0) {
                std::memcpy(target, source, 4);
                continue;
            }
            for (int i = 0; i < 3; ++i) target[i] = static_cast<std::uint8_t>((source[i] * a + target[i] * (255 - a)) / 255);
            target[3] = static_cast<std::uint8_t>((a * a + d * (255 - a)) / 255);
        }
    }
    return true;
}

ImageRecord AvatarArchive::loadSpriteImage(std::int64_t key, int colourKind, std::int32_t colourId) const {
    const ColourSet* set = nullptr;
    if (!selectColourSet(colourKind, colourId, set)) return {};
    std::optional<Sprite> sprite = findSprite(key);
    if (!sprite) return {};
    ImageRecord image;
    image.extra1 = sprite->extra1;
    image.extra2 = sprite->extra2;
    image.width = sprite->width;
    image.height = sprite->height;
    image.xOffset = sprite->x;
    image.yOffset = sprite->y;
    std::lock_guard lock(spriteLock_);
    fillScratch(*sprite, set);
    image.texture = makeTexture(sprite->width, sprite->height, scratch_.get());
    return image;
}

bool AvatarArchive::loadSpritePixels(std::int64_t key, int colourKind, std::int32_t colourId,
                                     std::vector<std::uint8_t>& pixels) const {
    const ColourSet* set = nullptr;
    if (!selectColourSet(colourKind, colourId, set)) return false;
    std::optional<Sprite> sprite = findSprite(key);
    if (!sprite) return false;
    std::lock_guard lock(spriteLock_);
    fillScratch(*sprite, set);
    pixels.assign(scratch_.get(), scratch_.get() + sprite->pixels.size());
    return true;
}

AvatarArchive& avatarArchive() {
    static AvatarArchive archive;
    return archive;
}

bool loadAvatarArchive(const std::string& programDirectory) {
    return avatarArchive().loadAvatarArchive(programDirectory);
}

void recolourPixels(std::span<std::uint8_t> bgra, const ColourSet& set) {
    for (std::size_t p = 0; p + 4 <= bgra.size(); p += 4) {
        std::uint8_t* pixel = &bgra[p];
        const std::uint8_t blue = pixel[0], green = pixel[1], red = pixel[2];
        if (red != green || green != blue) continue;
        for (std::size_t i = 0; i < keyGreys.size(); ++i) {
            if (red != keyGreys[i]) continue;
            pixel[2] = static_cast<std::uint8_t>(set.colours[i][0]);
            pixel[1] = static_cast<std::uint8_t>(set.colours[i][1]);
            pixel[0] = static_cast<std::uint8_t>(set.colours[i][2]);
            break;
        }
    }
}

std::optional<PackedArchiveFiles> encodeAvatarArchive(std::span<const SpriteSource> sprites) {
    ByteWriter data;
    std::vector<std::pair<std::int64_t, ArchiveEntry>> entries;
    entries.reserve(sprites.size());
    for (const SpriteSource& sprite : sprites) {
        if (sprite.width < 0 || sprite.height < 0) return std::nullopt;
        std::uint64_t pixelBytes = std::uint64_t{4} * static_cast<std::uint64_t>(sprite.width) *
                                   static_cast<std::uint64_t>(sprite.height);
        std::uint64_t size = kSpriteHeaderBytes + pixelBytes;
        if (sprite.pixels.size() != pixelBytes) return std::nullopt;
        if (data.size() + size > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
        entries.push_back({sprite.key, ArchiveEntry{static_cast<std::uint32_t>(data.size()),
                                                    static_cast<std::uint32_t>(size)}});
        data.i32(sprite.width);
        data.i32(sprite.height);
        data.i32(sprite.x);
        data.i32(sprite.y);
        data.u32(sprite.extra1);
        data.u32(sprite.extra2);
        data.append(sprite.pixels);
    }
    PackedArchiveFiles files;
    files.index = encodeArchiveIndex<std::int64_t>(entries);
    files.data = data.take();
    return files;
}

bool writeAvatarArchive(const std::string& programDirectory, std::span<const SpriteSource> sprites) {
    auto files = encodeAvatarArchive(sprites);
    return files && writePackedArchive(programDirectory, "data/avatar.inx", "data/avatar.iso", *files);
}

}  // namespace likenex
