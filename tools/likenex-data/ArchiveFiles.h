#pragma once
// The packed archives as stored, entry by entry in index order, for the dumper and the
// validator: the readers' maps keep only the first entry of a key and hide the layout.

#include "catalogue/ArchiveIndex.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace likenex {

struct StoredIndexEntry {
    std::int64_t key = 0;  // a 32-bit skin identifier in inter.inx
    ArchiveEntry entry;
};

struct StoredIndex {
    std::vector<StoredIndexEntry> entries;  // the complete ones, in file order
    std::uint32_t claimedCount = 0;
    std::size_t extraBytes = 0;  // past the claimed entries
};

enum class IndexKind { avatar, interface };  // signed 64-bit keys; unsigned 32-bit skin identifiers

// Fails only when the count itself is missing.
[[nodiscard]] std::optional<StoredIndex> readStoredIndex(std::span<const std::uint8_t> bytes, IndexKind kind);

struct StoredSprite {
    std::int32_t width = 0, height = 0, x = 0, y = 0;
    std::uint32_t extra1 = 0, extra2 = 0;
    std::span<const std::uint8_t> pixels;  // BGRA, bottom row first
};

// The record of one entry, or the reason it cannot be used.
[[nodiscard]] std::optional<StoredSprite> readStoredSprite(std::span<const std::uint8_t> data,
                                                           const ArchiveEntry& entry, std::string& problem);

struct StoredSkin {
    std::uint32_t layoutWidth = 0, layoutHeight = 0, texW = 0, texH = 0;
    std::span<const std::uint8_t> pixels;  // BGRA, bottom row first
};

// The interface record at the entry's offset, sized by its own header (the index's size
// word is not read by the program), or the reason it cannot be used.
[[nodiscard]] std::optional<StoredSkin> readStoredSkin(std::span<const std::uint8_t> data, const ArchiveEntry& entry,
                                                       std::string& problem);

}  // namespace likenex
