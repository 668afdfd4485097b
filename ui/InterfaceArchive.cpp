#include "ui/InterfaceArchive.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <limits>

namespace likenex {

bool InterfaceArchive::loadInterfaceArchive(const std::string& programDirectory) {
    releaseInterfaceArchive();
    std::string indexPath = dataFilePath(programDirectory, "data/inter.inx");
    std::string dataPath = dataFilePath(programDirectory, "data/inter.dat");
    if (indexPath.empty() || dataPath.empty()) return false;
    auto indexBytes = readWholeFile(indexPath);
    if (!indexBytes || !parseArchiveIndex(std::span<const std::uint8_t>(*indexBytes), index_)) {
        index_.clear();
        return false;
    }
    // Read-only: nothing is written to the data file, and read-only install folders must work.
    if (!data_.open(dataPath)) {
        index_.clear();
        return false;
    }
    return true;
}

bool InterfaceArchive::getImage(std::uint32_t skinIdentifier, SkinImage& image) {
    if (auto cached = cache_.find(skinIdentifier); cached != cache_.end()) {
        // A texture the renderer no longer knows (lost with its device, say) is made again.
        if (hasTexture(cached->second.texture)) {
            image = cached->second;
            return true;
        }
        cache_.erase(cached);
    }

    auto entry = index_.find(skinIdentifier);
    if (entry == index_.end()) return false;
    std::span<const std::uint8_t> file = data_.bytes();
    if (!rangeInside(entry->second.offset, kSkinHeaderBytes, file.size())) return false;
    ByteReader reader(file.subspan(entry->second.offset));
    const std::uint32_t layoutWidth = reader.u32();
    const std::uint32_t layoutHeight = reader.u32();
    const std::uint32_t texW = reader.u32();
    const std::uint32_t texH = reader.u32();
    constexpr std::uint32_t kMaxSide = std::numeric_limits<std::int32_t>::max();
    if (!reader.ok() || texW > kMaxSide || texH > kMaxSide) return false;
    // Both sides are below 2^31, so the product cannot wrap in 64 bits.
    std::span<const std::uint8_t> pixels = reader.bytes(std::uint64_t{4} * texW * texH);
    if (!reader.ok()) return false;

    SkinImage made;
    made.extra1 = layoutWidth;
    made.extra2 = layoutHeight;
    made.width = static_cast<std::int32_t>(texW);
    made.height = static_cast<std::int32_t>(texH);
    made.texture = makeTexture(made.width, made.height, pixels.data());
    made.rect = {0, 0, made.width, made.height};
    if (made.texture != 0) cache_.emplace(skinIdentifier, made);
    image = made;
    return true;
}

void InterfaceArchive::releaseInterfaceArchive() {
    data_.close();
    for (auto& [identifier, image] : cache_) dropTexture(image.texture);
    cache_.clear();
    index_.clear();
}

InterfaceArchive& interfaceArchive() {
    static InterfaceArchive archive;
    return archive;
}

std::optional<PackedArchiveFiles> encodeInterfaceArchive(std::span<const SkinImageSource> images) {
    ByteWriter data;
    std::vector<std::pair<std::uint32_t, ArchiveEntry>> entries;
    entries.reserve(images.size());
    for (const SkinImageSource& image : images) {
        constexpr std::uint32_t kMaxSide = std::numeric_limits<std::int32_t>::max();
        if (image.texW > kMaxSide || image.texH > kMaxSide) return std::nullopt;
        std::uint64_t pixelBytes = std::uint64_t{4} * image.texW * image.texH;
        std::uint64_t size = kSkinHeaderBytes + pixelBytes;
        if (image.pixels.size() != pixelBytes) return std::nullopt;
        if (data.size() + size > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
        entries.push_back({image.skinIdentifier,
                           ArchiveEntry{static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(size)}});
        data.u32(image.layoutWidth);
        data.u32(image.layoutHeight);
        data.u32(image.texW);
        data.u32(image.texH);
        data.append(image.pixels);
    }
    PackedArchiveFiles files;
    files.index = encodeArchiveIndex<std::uint32_t>(entries);
    files.data = data.take();
    return files;
}

bool writeInterfaceArchive(const std::string& programDirectory, std::span<const SkinImageSource> images) {
    auto files = encodeInterfaceArchive(images);
    return files && writePackedArchive(programDirectory, "data/inter.inx", "data/inter.dat", *files);
}

}  // namespace likenex
