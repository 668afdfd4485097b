#include "tools/likenex-data/ArchiveFiles.h"

#include "catalogue/AvatarArchive.h"
#include "catalogue/ByteIo.h"

namespace likenex {

std::optional<StoredIndex> readStoredIndex(std::span<const std::uint8_t> bytes) {
    ByteReader r(bytes);
    StoredIndex index;
    index.claimedCount = r.u32();
    if (!r.ok()) return std::nullopt;
    const std::uint64_t complete = std::min<std::uint64_t>(index.claimedCount, r.remaining() / 16);
    index.entries.reserve(static_cast<std::size_t>(complete));
    for (std::uint64_t i = 0; i < complete; ++i) {
        StoredIndexEntry e;
        e.key = r.i64();
        e.entry.offset = r.u32();
        e.entry.size = r.u32();
        index.entries.push_back(e);
    }
    index.extraBytes = r.remaining();
    return index;
}

std::optional<StoredSprite> readStoredSprite(std::span<const std::uint8_t> data, const ArchiveEntry& entry,
                                             std::string& problem) {
    if (entry.size < kSpriteHeaderBytes) {
        problem = "record size " + std::to_string(entry.size) + " is smaller than its 24-byte header";
        return std::nullopt;
    }
    if (!rangeInside(entry.offset, entry.size, data.size())) {
        problem = "record at " + std::to_string(entry.offset) + " of " + std::to_string(entry.size) +
                  " bytes passes the end of avatar.iso (" + std::to_string(data.size()) + " bytes)";
        return std::nullopt;
    }
    ByteReader r(data.subspan(entry.offset, entry.size));
    StoredSprite s;
    s.width = r.i32();
    s.height = r.i32();
    s.x = r.i32();
    s.y = r.i32();
    s.extra1 = r.u32();
    s.extra2 = r.u32();
    if (s.width < 0 || s.height < 0) {
        problem = "negative size " + std::to_string(s.width) + " by " + std::to_string(s.height);
        return std::nullopt;
    }
    const std::uint64_t pixelBytes = 4 * static_cast<std::uint64_t>(s.width) * static_cast<std::uint64_t>(s.height);
    if (pixelBytes != entry.size - kSpriteHeaderBytes) {
        problem = "record size " + std::to_string(entry.size) + " does not match " + std::to_string(s.width) + " by " +
                  std::to_string(s.height) + " pixels";
        return std::nullopt;
    }
    s.pixels = r.bytes(pixelBytes);
    return s;
}

}  // namespace likenex
