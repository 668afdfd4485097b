#pragma once
// The avatar picture archive: data/avatar.inx (index) and data/avatar.iso (sprite records),
// opened once at start-up. Sprites are handed out by image key, drawn into a 128 by 128
// frame canvas, as a picture with a texture, or as raw pixels, each optionally recoloured
// with a set from the colour or skin table.
//
// A sprite record: width, height, x, y (signed 32-bit), two extra words carried into the
// image record, then width * height BGRA pixels, bottom row first (the texture order).

#include "catalogue/ArchiveIndex.h"
#include "catalogue/ColourTable.h"
#include "platform/MappedFile.h"
#include "render/ImageRecord.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace likenex {

inline constexpr int kFrameSize = 128;  // the avatar frame canvas is kFrameSize square
inline constexpr std::size_t kFrameBytes = std::size_t{kFrameSize} * kFrameSize * 4;
inline constexpr std::size_t kSpriteHeaderBytes = 24;
inline constexpr std::size_t kSpriteScratchBytes = 524288;

class AvatarArchive {
public:
    // Recolouring looks sets up in `tables`, which must outlive the archive.
    explicit AvatarArchive(const ColourTables& tables);
    AvatarArchive(const AvatarArchive&) = delete;
    AvatarArchive& operator=(const AvatarArchive&) = delete;

    // Reads the index and maps the data file read-only. On failure the archive is left
    // empty: every lookup fails.
    [[nodiscard]] bool loadAvatarArchive(const std::string& programDirectory);
    // The same from the bytes of both files, kept in the archive (tests and fuzzing).
    [[nodiscard]] bool loadAvatarArchive(std::span<const std::uint8_t> indexFile, std::vector<std::uint8_t> dataFile);

    // The three fail (leaving their output untouched) for an unknown key, a `colour kind`
    // outside 0..1, a colour id >= 0 absent from its table, or a record that is malformed:
    // size other than 24 + 4 * W * H, pixels over the scratch buffer, or past the end of
    // the data file. A negative colour id draws without recolouring.

    // Draws into `canvas.pixels` (128 * 128 BGRA, row 0 first). Also refuses sprites that do
    // not lie wholly inside the frame and canvases too small for it.
    [[nodiscard]] bool compositeSprite(ImageRecord& canvas, std::int64_t key, int colourKind,
                                       std::int32_t colourId) const;
    // The empty record on failure; otherwise it names a new texture, made through the painter,
    // that the caller must release.
    [[nodiscard]] ImageRecord loadSpriteImage(Painter& painter, std::int64_t key, int colourKind,
                                              std::int32_t colourId) const;
    // The same record without a texture, for code that draws no picture (sizes, offsets).
    [[nodiscard]] ImageRecord loadSpriteRecord(std::int64_t key, int colourKind, std::int32_t colourId) const;
    // On success `pixels` holds exactly the sprite's (recoloured) pixel bytes.
    [[nodiscard]] bool loadSpritePixels(std::int64_t key, int colourKind, std::int32_t colourId,
                                        std::vector<std::uint8_t>& pixels) const;

    // The colour tables the sprites are recoloured with: the colours an item can be worn in.
    [[nodiscard]] const ColourTables& tables() const { return tables_; }
    [[nodiscard]] bool isLoaded() const { return data_.isOpen() || ownedData_.has_value(); }
    [[nodiscard]] const ArchiveIndex<std::int64_t>& index() const { return index_; }

private:
    struct Sprite {
        std::int32_t width, height, x, y;
        std::uint32_t word16, word20;
        std::span<const std::uint8_t> pixels;  // inside the data file's bytes
    };
    // The sprite's sizes and offsets as a record, without a texture.
    [[nodiscard]] static ImageRecord recordOf(const Sprite& sprite);
    [[nodiscard]] std::span<const std::uint8_t> dataBytes() const {
        return ownedData_ ? std::span<const std::uint8_t>(*ownedData_) : data_.bytes();
    }
    [[nodiscard]] std::optional<Sprite> findSprite(std::int64_t key) const;
    [[nodiscard]] bool selectColourSet(int colourKind, std::int32_t colourId, const ColourSet*& set) const;
    // Copies the sprite's pixels into the scratch buffer and recolours them there; the
    // caller holds the sprite lock.
    void fillScratch(const Sprite& sprite, const ColourSet* set) const;

    const ColourTables& tables_;
    ArchiveIndex<std::int64_t> index_;
    MappedFile data_;
    std::optional<std::vector<std::uint8_t>> ownedData_;  // in place of the mapping when loaded from bytes
    mutable std::mutex spriteLock_;                       // guards scratch_
    std::unique_ptr<std::uint8_t[]> scratch_;             // kSpriteScratchBytes
};

// (source * alpha + target * (255 - alpha)) / 255 with the quotient truncated: one byte of the
// canvas blend, used for the pixels a row's four-pixel steps leave over. For every x in
// 0 .. 255 * 255, x / 255 == (x + 1 + (x >> 8)) >> 8 with no sum reaching 65536, so no
// division is needed (tested for all inputs).
[[nodiscard]] constexpr std::uint8_t blendByte(std::uint8_t source, std::uint8_t target, std::uint8_t alpha) {
    const auto x = static_cast<std::uint16_t>(source * alpha + target * (255 - alpha));
    return static_cast<std::uint8_t>(static_cast<std::uint16_t>(x + 1 + (x >> 8)) >> 8);
}

// Replaces the red, green and blue of every key-grey pixel with the matching colour of the
// set (low bytes only); alpha and all other pixels stay.
void recolourPixels(std::span<std::uint8_t> bgra, const ColourSet& set);

// One sprite as the writer takes it.
struct SpriteSource {
    std::int64_t key = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t word16 = 0;  // header words carried through unread
    std::uint32_t word20 = 0;
    std::vector<std::uint8_t> pixels;  // BGRA, bottom row first, width * height * 4 bytes
};

// Index entries in the given order (so a repeated key is written as given), records laid
// end to end. Nothing when a sprite's pixels do not match its size or the data file would
// pass 4 GiB.
[[nodiscard]] std::optional<PackedArchiveFiles> encodeAvatarArchive(std::span<const SpriteSource> sprites);
// Writes data/avatar.inx and data/avatar.iso under the program directory.
[[nodiscard]] bool writeAvatarArchive(const std::string& programDirectory, std::span<const SpriteSource> sprites);

}  // namespace likenex
