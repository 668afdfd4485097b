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

std::optional<StoredSkin> readStoredSkin(std::span<const std::uint8_t> data, const ArchiveEntry& entry,
                                         std::string& problem) {
    ByteReader r(data);
    StoredSkin s;
    if (r.seek(entry.offset)) {
        s.layoutWidth = r.u32();
        s.layoutHeight = r.u32();
        s.texW = r.u32();
        s.texH = r.u32();
    }
    if (!r.ok()) {
        problem = "record header at " + std::to_string(entry.offset) + " passes the end of inter.dat";
        return std::nullopt;
    }
    const std::uint64_t pixelBytes = 4 * std::uint64_t{s.texW} * s.texH;
    if (s.texW > 0x7fffffffu || s.texH > 0x7fffffffu || pixelBytes > r.remaining()) {
        problem = std::to_string(s.texW) + " by " + std::to_string(s.texH) + " pixels at " +
                  std::to_string(entry.offset) + " pass the end of inter.dat";
        return std::nullopt;
    }
    s.pixels = r.bytes(pixelBytes);
    return s;
}

}  // namespace likenex
