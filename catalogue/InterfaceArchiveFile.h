#pragma once
// The interface picture archive as stored: data/inter.inx (index of 32-bit `skin identifier`s)
// and data/inter.dat (records of a 16-byte header, then pixels). The program's texture cache
// (ui/InterfaceArchive.h) and the data tools both read and write it here.
//
// A record: layoutWidth, layoutHeight, texW, texH (unsigned 32-bit), then texW * texH BGRA
// pixels, bottom row first. A record is sized by its own header; the index's size word is
// written but not read.

#include "base/Result.h"
#include "catalogue/ArchiveIndex.h"
#include "platform/MappedFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace likenex {

inline constexpr std::size_t kSkinHeaderBytes = 16;

// One record; its pixels lie inside the data file's bytes.
struct SkinRecord {
    std::uint32_t layoutWidth = 0, layoutHeight = 0, texW = 0, texH = 0;
    std::span<const std::uint8_t> pixels;  // BGRA, bottom row first
};

// The record at `offset` of the data file, or why it cannot be used: a header or pixels
// passing the end of the file, or a side of 2^31 or more.
[[nodiscard]] Result<SkinRecord> readSkinRecord(std::span<const std::uint8_t> data, std::uint64_t offset);

// The index, read whole, and the data file, mapped read-only (nothing is written to it, and
// read-only install folders must work).
class InterfaceArchiveFile {
public:
    // Releases whatever was open before; on failure nothing stays open.
    [[nodiscard]] bool open(const std::string& programDirectory);
    void close();

    [[nodiscard]] bool isOpen() const { return data_.isOpen(); }
    [[nodiscard]] const ArchiveIndex<std::uint32_t>& index() const { return index_; }
    // Nothing for an identifier not in the index or a record that does not fit in the data file.
    [[nodiscard]] std::optional<SkinRecord> find(std::uint32_t skinIdentifier) const;

private:
    ArchiveIndex<std::uint32_t> index_;
    MappedFile data_;
};

// One picture as the writer takes it.
struct SkinImageSource {
    std::uint32_t skinIdentifier = 0;
    std::uint32_t layoutWidth = 0;
    std::uint32_t layoutHeight = 0;
    std::uint32_t texW = 0;
    std::uint32_t texH = 0;
    std::vector<std::uint8_t> pixels;  // BGRA, bottom row first, texW * texH * 4 bytes
};

// Index entries in the given order, records end to end, each entry's size word the record's
// full size. Nothing when pixels do not match a size or the data would pass 4 GiB.
[[nodiscard]] std::optional<PackedArchiveFiles> encodeInterfaceArchive(std::span<const SkinImageSource> images);
// Writes data/inter.inx and data/inter.dat under the program directory.
[[nodiscard]] bool writeInterfaceArchive(const std::string& programDirectory, std::span<const SkinImageSource> images);

}  // namespace likenex
