#include "catalogue/AvatarArchive.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <algorithm>
#include <array>
#include <bit>
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
    sprite.word16 = reader.u32();
    sprite.word20 = reader.u32();
    if (!reader.ok() || sprite.width < 0 || sprite.height < 0) return std::nullopt;
    std::uint64_t pixelBytes =
        std::uint64_t{4} * static_cast<std::uint64_t>(sprite.width) * static_cast<std::uint64_t>(sprite.height);
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

namespace {

// The pixel loops work on four pixels at a time in GCC vector types (SSE2 on x86-64, no
// intrinsics), each pixel a 32-bit lane holding blue, green, red, alpha from the low byte up;
// the few pixels left over at the end of a row take the same rule one byte at a time.
static_assert(std::endian::native == std::endian::little, "pixel lanes assume little-endian bytes");
using Lanes32 = std::uint32_t __attribute__((vector_size(16)));
using Lanes16 = std::uint16_t __attribute__((vector_size(16)));
constexpr std::size_t kLanePixels = 4;

Lanes32 loadLanes(const std::uint8_t* bytes) {
    Lanes32 v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}
void storeLanes(std::uint8_t* bytes, Lanes32 v) { std::memcpy(bytes, &v, sizeof v); }
using Mask32 = std::int32_t __attribute__((vector_size(16)));  // what comparing Lanes32 gives
Lanes32 mask(Mask32 comparison) { return std::bit_cast<Lanes32>(comparison); }
Lanes32 lanes32(Lanes16 v) { return std::bit_cast<Lanes32>(v); }
Lanes16 lanes16(Lanes32 v) { return std::bit_cast<Lanes16>(v); }

// A plain loop, not memcpy, which is slow for these block sizes.
void copyBytes(std::uint8_t* __restrict target, const std::uint8_t* __restrict source, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) target[i] = source[i];
}

// The set's six colours as pixel lanes with alpha 0.
std::array<std::uint32_t, 6> setColours(const ColourSet& set) {
    std::array<std::uint32_t, 6> colours{};
    for (std::size_t i = 0; i < 6; ++i)
        colours[i] = (set.colours[i][0] & 0xFF) << 16 | (set.colours[i][1] & 0xFF) << 8 | (set.colours[i][2] & 0xFF);
    return colours;
}

// The six greys are distinct, so at most one matches and the order of the tests is free.
Lanes32 recolourLanes(Lanes32 s, const std::array<std::uint32_t, 6>& colours) {
    const Lanes32 colour = s & 0x00FFFFFF, alpha = s & 0xFF000000;
    Lanes32 out = s;
    for (std::size_t i = 0; i < 6; ++i) {
        const Lanes32 match = mask(colour == std::uint32_t{keyGreys[i]} * 0x010101u);
        out = (out & ~match) | ((alpha | colours[i]) & match);
    }
    return out;
}

std::uint32_t recolourPixel(std::uint32_t s, const std::array<std::uint32_t, 6>& colours) {
    for (std::size_t i = 0; i < 6; ++i)
        if ((s & 0x00FFFFFF) == std::uint32_t{keyGreys[i]} * 0x010101u) return (s & 0xFF000000) | colours[i];
    return s;
}

std::uint32_t loadPixel(const std::uint8_t* bytes) {
    std::uint32_t v;
    std::memcpy(&v, bytes, 4);
    return v;
}

// Recoloured copy of `pixels` BGRA pixels; `target` may be `source` (recolouring in place).
void recolourInto(std::uint8_t* target, const std::uint8_t* source, std::size_t pixels, const ColourSet& set) {
    const std::array<std::uint32_t, 6> colours = setColours(set);
    std::size_t p = 0;
    for (; p + kLanePixels <= pixels; p += kLanePixels)
        storeLanes(target + 4 * p, recolourLanes(loadLanes(source + 4 * p), colours));
    for (; p < pixels; ++p) {
        const std::uint32_t v = recolourPixel(loadPixel(source + 4 * p), colours);
        std::memcpy(target + 4 * p, &v, 4);
    }
}

// With a colour set: every recoloured pixel of nonzero alpha replaces the canvas pixel.
void replaceRow(std::uint8_t* target, const std::uint8_t* source, std::size_t pixels,
                const std::array<std::uint32_t, 6>& colours) {
    std::size_t p = 0;
    for (; p + kLanePixels <= pixels; p += kLanePixels) {
        const Lanes32 s = loadLanes(source + 4 * p), t = loadLanes(target + 4 * p);
        const Lanes32 take = mask((s >> 24) != 0);
        storeLanes(target + 4 * p, (recolourLanes(s, colours) & take) | (t & ~take));
    }
    for (; p < pixels; ++p) {
        const std::uint32_t s = loadPixel(source + 4 * p);
        if (s >> 24 == 0) continue;
        const std::uint32_t v = recolourPixel(s, colours);
        std::memcpy(target + 4 * p, &v, 4);
    }
}

// Without a colour set: a pixel over canvas alpha 0 is copied (unless its own alpha is 0),
// anything else is blended; alpha blends like the colours (a * a + d * (255 - a)). All three
// cases are one blend with weight a, 255 (gives the sprite pixel exactly) or 0 (gives the
// canvas pixel exactly), so the loop needs no branch and no select.
//
// Lanes: blue and red (and green and alpha) sit in the two 16-bit halves of a 32-bit lane, with
// the weight in both halves of the multiplier, so one 16-bit multiply weighs two channels; no
// sum passes 255 * 255, and dividing 16-bit lanes by a constant compiles to a multiply.
Lanes32 blendHalves(Lanes32 s, Lanes32 t, Lanes16 weight, Lanes16 rest) {
    const Lanes16 x = lanes16(s) * weight + lanes16(t) * rest;
    return lanes32(x / 255);
}

void blendRow(std::uint8_t* __restrict target, const std::uint8_t* __restrict source, std::size_t pixels) {
    std::size_t p = 0;
    for (; p + kLanePixels <= pixels; p += kLanePixels) {
        const Lanes32 s = loadLanes(source + 4 * p), t = loadLanes(target + 4 * p);
        const Lanes32 alpha = s >> 24;
        const Lanes32 weight = alpha | (mask((t >> 24) == 0) & ~mask(alpha == 0) & 0xFF);
        const Lanes32 both = weight | weight << 16;
        const Lanes16 w = lanes16(both), rest = lanes16(0x00FF00FF - both);
        storeLanes(target + 4 * p, blendHalves(s & 0x00FF00FF, t & 0x00FF00FF, w, rest) |
                                       blendHalves(s >> 8 & 0x00FF00FF, t >> 8 & 0x00FF00FF, w, rest) << 8);
    }
    for (; p < pixels; ++p) {
        const std::uint8_t* s = source + 4 * p;
        std::uint8_t* t = target + 4 * p;
        const std::uint8_t a = s[3];
        if (a == 0) continue;
        if (t[3] == 0) {
            for (int i = 0; i < 4; ++i) t[i] = s[i];
            continue;
        }
        for (int i = 0; i < 4; ++i) t[i] = blendByte(s[i], t[i], a);
    }
}

}  // namespace

void AvatarArchive::fillScratch(const Sprite& sprite, const ColourSet* set) const {
    if (set) recolourInto(scratch_.get(), sprite.pixels.data(), sprite.pixels.size() / 4, *set);
    else copyBytes(scratch_.get(), sprite.pixels.data(), sprite.pixels.size());
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
    // The pixels are read in place and recoloured on the way to the canvas; the scratch
    // buffer is only needed for the picture and raw-pixel forms.
    const std::uint8_t* source = sprite->pixels.data();
    std::uint8_t* frame = canvas.pixels.data();
    const auto rowPixels = static_cast<std::size_t>(w);
    const std::array<std::uint32_t, 6> colours = set ? setColours(*set) : std::array<std::uint32_t, 6>{};
    for (std::int64_t r = 0; r < h; ++r, source += 4 * rowPixels) {
        std::uint8_t* target = frame + ((kFrameSize - y - h + r) * kFrameSize + x) * 4;
        if (set) replaceRow(target, source, rowPixels, colours);
        else blendRow(target, source, rowPixels);
    }
    return true;
}

ImageRecord AvatarArchive::recordOf(const Sprite& sprite) {
    ImageRecord image;
    image.layoutWidth = sprite.word16;
    image.layoutHeight = sprite.word20;
    image.width = sprite.width;
    image.height = sprite.height;
    image.xOffset = sprite.x;
    image.yOffset = sprite.y;
    return image;
}

ImageRecord AvatarArchive::loadSpriteImage(Painter& painter, std::int64_t key, int colourKind,
                                           std::int32_t colourId) const {
    const ColourSet* set = nullptr;
    if (!selectColourSet(colourKind, colourId, set)) return {};
    std::optional<Sprite> sprite = findSprite(key);
    if (!sprite) return {};
    ImageRecord image = recordOf(*sprite);
    std::lock_guard lock(spriteLock_);
    fillScratch(*sprite, set);
    image.texture = makeTexture(painter, sprite->width, sprite->height, scratch_.get());
    return image;
}

ImageRecord AvatarArchive::loadSpriteRecord(std::int64_t key, int colourKind, std::int32_t colourId) const {
    const ColourSet* set = nullptr;
    if (!selectColourSet(colourKind, colourId, set)) return {};
    std::optional<Sprite> sprite = findSprite(key);
    return sprite ? recordOf(*sprite) : ImageRecord{};
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

void recolourPixels(std::span<std::uint8_t> bgra, const ColourSet& set) {
    recolourInto(bgra.data(), bgra.data(), bgra.size() / 4, set);
}

std::optional<PackedArchiveFiles> encodeAvatarArchive(std::span<const SpriteSource> sprites) {
    ByteWriter data;
    std::vector<std::pair<std::int64_t, ArchiveEntry>> entries;
    entries.reserve(sprites.size());
    for (const SpriteSource& sprite : sprites) {
        if (sprite.width < 0 || sprite.height < 0) return std::nullopt;
        std::uint64_t pixelBytes =
            std::uint64_t{4} * static_cast<std::uint64_t>(sprite.width) * static_cast<std::uint64_t>(sprite.height);
        std::uint64_t size = kSpriteHeaderBytes + pixelBytes;
        if (sprite.pixels.size() != pixelBytes) return std::nullopt;
        if (data.size() + size > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
        entries.push_back(
            {sprite.key, ArchiveEntry{static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(size)}});
        data.i32(sprite.width);
        data.i32(sprite.height);
        data.i32(sprite.x);
        data.i32(sprite.y);
        data.u32(sprite.word16);
        data.u32(sprite.word20);
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
