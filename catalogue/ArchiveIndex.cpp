#include "catalogue/ArchiveIndex.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace likenex {

template <typename Key>
bool parseArchiveIndex(std::span<const std::uint8_t> bytes, ArchiveIndex<Key>& index) {
    static_assert(sizeof(Key) == 4 || sizeof(Key) == 8);
    constexpr std::size_t kEntryBytes = sizeof(Key) + 8;
    index.clear();
    ByteReader reader(bytes);
    std::uint32_t count = reader.u32();
    if (!reader.ok()) return false;
    std::uint64_t complete = std::min<std::uint64_t>(count, reader.remaining() / kEntryBytes);
    for (std::uint64_t i = 0; i < complete; ++i) {
        Key key = sizeof(Key) == 8 ? static_cast<Key>(reader.u64()) : static_cast<Key>(reader.u32());
        ArchiveEntry entry;
        entry.offset = reader.u32();
        entry.size = reader.u32();
        index.emplace(key, entry);  // keeps an entry already present
    }
    return true;
}

template <typename Key>
std::vector<std::uint8_t> encodeArchiveIndex(std::span<const std::pair<Key, ArchiveEntry>> entries) {
    ByteWriter writer;
    writer.u32(static_cast<std::uint32_t>(entries.size()));
    for (const auto& [key, entry] : entries) {
        if constexpr (sizeof(Key) == 8) writer.u64(static_cast<std::uint64_t>(key));
        else writer.u32(static_cast<std::uint32_t>(key));
        writer.u32(entry.offset);
        writer.u32(entry.size);
    }
    return writer.take();
}

bool writePackedArchive(const std::string& programDirectory, const std::string& indexPath, const std::string& dataPath,
                        const PackedArchiveFiles& files) {
    std::string index = dataFilePath(programDirectory, indexPath);
    std::string data = dataFilePath(programDirectory, dataPath);
    if (index.empty() || data.empty()) return false;
    for (const std::string& path : {index, data}) {
        std::error_code error;
        std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder, error);
        if (error) return false;
    }
    return writeWholeFile(index, files.index) && writeWholeFile(data, files.data);
}

template bool parseArchiveIndex<std::int64_t>(std::span<const std::uint8_t>, ArchiveIndex<std::int64_t>&);
template bool parseArchiveIndex<std::uint32_t>(std::span<const std::uint8_t>, ArchiveIndex<std::uint32_t>&);
template std::vector<std::uint8_t> encodeArchiveIndex<std::int64_t>(
    std::span<const std::pair<std::int64_t, ArchiveEntry>>);
template std::vector<std::uint8_t> encodeArchiveIndex<std::uint32_t>(
    std::span<const std::pair<std::uint32_t, ArchiveEntry>>);

}  // namespace likenex
