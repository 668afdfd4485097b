#pragma once
// The packed archives as stored, entry by entry in index order, for the dumper and the
// validator: the readers' maps keep only the first entry of a key and hide the layout.
// Interface records are read with catalogue/InterfaceArchiveFile.h's readSkinRecord.

#include "base/Result.h"
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
    std::uint32_t word16 = 0, word20 = 0;  // header words carried through unread
    std::span<const std::uint8_t> pixels;  // BGRA, bottom row first
};

// The record of one entry, or the reason it cannot be used.
[[nodiscard]] Result<StoredSprite> readStoredSprite(std::span<const std::uint8_t> data, const ArchiveEntry& entry);

}  // namespace likenex
