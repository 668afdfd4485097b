#include "catalogue/InterfaceArchiveFile.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <limits>

namespace likenex {
namespace {

// Sides stay below 2^31, so a picture's byte count cannot wrap in 64 bits.
constexpr std::uint32_t kMaxSide = std::numeric_limits<std::int32_t>::max();

}  // namespace

Result<SkinRecord> readSkinRecord(std::span<const std::uint8_t> data, std::uint64_t offset) {
    ByteReader r(data);
    SkinRecord s;
    if (r.seek(offset)) {
        s.layoutWidth = r.u32();
        s.layoutHeight = r.u32();
        s.texW = r.u32();
        s.texH = r.u32();
    }
    if (!r.ok()) return Failure{"record header at " + std::to_string(offset) + " passes the end of inter.dat"};
    const std::uint64_t pixelBytes = 4 * std::uint64_t{s.texW} * s.texH;
    if (s.texW > kMaxSide || s.texH > kMaxSide || pixelBytes > r.remaining())
        return Failure{std::to_string(s.texW) + " by " + std::to_string(s.texH) + " pixels at " +
                       std::to_string(offset) + " pass the end of inter.dat"};
    s.pixels = r.bytes(pixelBytes);
    return s;
}

bool InterfaceArchiveFile::open(const std::string& programDirectory) {
    close();
    std::string indexPath = dataFilePath(programDirectory, "data/inter.inx");
    std::string dataPath = dataFilePath(programDirectory, "data/inter.dat");
    if (indexPath.empty() || dataPath.empty()) return false;
    auto indexBytes = readWholeFile(indexPath);
    if (!indexBytes || !parseArchiveIndex(std::span<const std::uint8_t>(*indexBytes), index_) ||
        !data_.open(dataPath)) {
        index_.clear();
        return false;
    }
    return true;
}

void InterfaceArchiveFile::close() {
    data_.close();
    index_.clear();
}

std::optional<SkinRecord> InterfaceArchiveFile::find(std::uint32_t skinIdentifier) const {
    auto entry = index_.find(skinIdentifier);
    if (entry == index_.end()) return std::nullopt;
    Result<SkinRecord> record = readSkinRecord(data_.bytes(), entry->second.offset);
    if (!record) return std::nullopt;
    return std::move(record).value();
}

std::optional<PackedArchiveFiles> encodeInterfaceArchive(std::span<const SkinImageSource> images) {
    ByteWriter data;
    std::vector<std::pair<std::uint32_t, ArchiveEntry>> entries;
    entries.reserve(images.size());
    for (const SkinImageSource& image : images) {
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
