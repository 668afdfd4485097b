#pragma once
// The interface picture archive: data/inter.inx (index of 32-bit `skin identifier`s) and
// data/inter.dat (records of a 16-byte header, then pixels). Pictures are handed to the
// renderer straight from the read-only mapping and each becomes a texture once; later
// requests get copies that share it.
//
// A record: layoutWidth, layoutHeight, texW, texH (unsigned 32-bit), then texW * texH BGRA
// pixels, bottom row first.

#include "catalogue/ArchiveIndex.h"
#include "platform/MappedFile.h"
#include "render/ImageRecord.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace likenex {

// A skin picture: extra1 and extra2 hold the layout width and height, width and height the
// texture's size, and rect serves as `dest`, the destination rectangle relative to the
// widget that draws it. The archive's cache owns the texture.
using SkinImage = ImageRecord;

inline constexpr std::size_t kSkinHeaderBytes = 16;

class InterfaceArchive {
public:
    InterfaceArchive() = default;
    InterfaceArchive(const InterfaceArchive&) = delete;
    InterfaceArchive& operator=(const InterfaceArchive&) = delete;

    // Reads the index and maps the data file read-only; releases whatever was loaded before.
    [[nodiscard]] bool loadInterfaceArchive(const std::string& programDirectory);

    // Fills `image` with the picture, its `dest` set to (0, 0, texW, texH). False, leaving
    // `image` alone, for an identifier not in the index or a record that does not fit in the
    // data file. When the renderer cannot make the texture the picture comes without one
    // and is not cached, so a later request tries again.
    [[nodiscard]] bool getImage(std::uint32_t skinIdentifier, SkinImage& image);

    // Releases every cached texture and forgets the index and the mapping. Needs the
    // renderer that made the textures still running.
    void releaseInterfaceArchive();

    [[nodiscard]] bool isLoaded() const { return data_.isOpen(); }
    [[nodiscard]] const ArchiveIndex<std::uint32_t>& index() const { return index_; }
    [[nodiscard]] std::size_t cachedImageCount() const { return cache_.size(); }

private:
    ArchiveIndex<std::uint32_t> index_;
    MappedFile data_;
    std::map<std::uint32_t, SkinImage> cache_;
};

// The program's archive: loaded at start-up, released once at exit.
InterfaceArchive& interfaceArchive();

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
