#include "tools/likenex-data/ArchiveFiles.h"

#include "base/ByteIo.h"
#include "catalogue/AvatarArchive.h"

namespace likenex {

std::optional<StoredIndex> readStoredIndex(std::span<const std::uint8_t> bytes, IndexKind kind) {
    const std::size_t entryBytes = kind == IndexKind::avatar ? 16 : 12;
    ByteReader r(bytes);
    StoredIndex index;
    index.claimedCount = r.u32();
    if (!r.ok()) return std::nullopt;
    const std::uint64_t complete = std::min<std::uint64_t>(index.claimedCount, r.remaining() / entryBytes);
    index.entries.reserve(static_cast<std::size_t>(complete));
    for (std::uint64_t i = 0; i < complete; ++i) {
        StoredIndexEntry e;
        e.key = kind == IndexKind::avatar ? r.i64() : std::int64_t{r.u32()};
        e.entry.offset = r.u32();
        e.entry.size = r.u32();
        index.entries.push_back(e);
    }
    index.extraBytes = r.remaining();
    return index;
}

Result<StoredSprite> readStoredSprite(std::span<const std::uint8_t> data, const ArchiveEntry& entry) {
    if (entry.size < kSpriteHeaderBytes) {
        return Failure{"record size " + std::to_string(entry.size) + " is smaller than its 24-byte header"};
    }
    if (!rangeInside(entry.offset, entry.size, data.size())) {
        return Failure{"record at " + std::to_string(entry.offset) + " of " + std::to_string(entry.size) +
                       " bytes passes the end of avatar.iso (" + std::to_string(data.size()) + " bytes)"};
    }
    ByteReader r(data.subspan(entry.offset, entry.size));
    StoredSprite s;
    s.width = r.i32();
    s.height = r.i32();
    s.x = r.i32();
    s.y = r.i32();
    s.word16 = r.u32();
    s.word20 = r.u32();
    if (s.width < 0 || s.height < 0) {
        return Failure{"negative size " + std::to_string(s.width) + " by " + std::to_string(s.height)};
    }
    const std::uint64_t pixelBytes = 4 * static_cast<std::uint64_t>(s.width) * static_cast<std::uint64_t>(s.height);
    if (pixelBytes != entry.size - kSpriteHeaderBytes) {
        return Failure{"record size " + std::to_string(entry.size) + " does not match " + std::to_string(s.width) +
                       " by " + std::to_string(s.height) + " pixels"};
    }
    s.pixels = r.bytes(pixelBytes);
    return s;
}

}  // namespace likenex
