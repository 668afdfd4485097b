#pragma once
// The index files of the packed archives: a 32-bit entry count, then per entry a key
// (signed 64-bit for avatar.inx, unsigned 32-bit for inter.inx), the record's offset in the
// data file and its size. Both archives read and write their index here.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace likenex {

struct ArchiveEntry {
    std::uint32_t offset = 0;  // from the start of the data file
    std::uint32_t size = 0;    // of the whole record, header included

    friend bool operator==(const ArchiveEntry&, const ArchiveEntry&) = default;
};

template <typename Key>
using ArchiveIndex = std::map<Key, ArchiveEntry>;

// Builds the index from an index file's bytes. The first entry of a key wins; only complete
// entries are used, whatever the count claims. Fails only when the count itself is missing.
template <typename Key>
[[nodiscard]] bool parseArchiveIndex(std::span<const std::uint8_t> bytes, ArchiveIndex<Key>& index);

// The bytes of an index file holding these entries in this order.
template <typename Key>
[[nodiscard]] std::vector<std::uint8_t> encodeArchiveIndex(std::span<const std::pair<Key, ArchiveEntry>> entries);

extern template bool parseArchiveIndex<std::int64_t>(std::span<const std::uint8_t>, ArchiveIndex<std::int64_t>&);
extern template bool parseArchiveIndex<std::uint32_t>(std::span<const std::uint8_t>, ArchiveIndex<std::uint32_t>&);
extern template std::vector<std::uint8_t> encodeArchiveIndex<std::int64_t>(
    std::span<const std::pair<std::int64_t, ArchiveEntry>>);
extern template std::vector<std::uint8_t> encodeArchiveIndex<std::uint32_t>(
    std::span<const std::pair<std::uint32_t, ArchiveEntry>>);

// The two files of one archive, as a writer makes them.
struct PackedArchiveFiles {
    std::vector<std::uint8_t> index;
    std::vector<std::uint8_t> data;
};

// Writes both files under the program directory (paths relative to it, with '/'), making
// the folders they need; false on any failure.
[[nodiscard]] bool writePackedArchive(const std::string& programDirectory, const std::string& indexPath,
                                      const std::string& dataPath, const PackedArchiveFiles& files);

// True when `size` bytes at `offset` lie inside a file of `fileSize` bytes.
[[nodiscard]] inline bool rangeInside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

}  // namespace likenex
