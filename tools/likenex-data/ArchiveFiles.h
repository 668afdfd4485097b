#pragma once
// The avatar archive as stored, entry by entry in index order, for the dumper and the
// validator: the reader's map keeps only the first entry of a key and hides the layout.

#include "catalogue/ArchiveIndex.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace likenex {

struct StoredIndexEntry {
    std::int64_t key = 0;
    ArchiveEntry entry;
};

struct StoredIndex {
    std::vector<StoredIndexEntry> entries;  // the complete ones, in file order
    std::uint32_t claimedCount = 0;
    std::size_t extraBytes = 0;  // past the claimed entries
};

// Fails only when the count itself is missing.
[[nodiscard]] std::optional<StoredIndex> readStoredIndex(std::span<const std::uint8_t> bytes);

struct StoredSprite {
    std::int32_t width = 0, height = 0, x = 0, y = 0;
    std::uint32_t extra1 = 0, extra2 = 0;
    std::span<const std::uint8_t> pixels;  // BGRA, bottom row first
};

// The record of one entry, or the reason it cannot be used.
[[nodiscard]] std::optional<StoredSprite> readStoredSprite(std::span<const std::uint8_t> data, const ArchiveEntry& entry,
                                                           std::string& problem);

}  // namespace likenex
