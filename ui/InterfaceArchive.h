#pragma once
// The interface pictures as textures: each picture of the archive (its files are read in
// catalogue/InterfaceArchiveFile.h) is handed to the renderer straight from the read-only
// mapping and becomes a texture once; later requests get copies that share it.

#include "catalogue/InterfaceArchiveFile.h"
#include "render/ImageRecord.h"

#include <cstdint>
#include <map>
#include <string>

namespace likenex {

// A skin picture: layoutWidth and layoutHeight hold its size for layout, width and height the
// texture's size, and rect serves as `dest`, the destination rectangle relative to the
// widget that draws it. The archive's cache owns the texture.
using SkinImage = ImageRecord;

class InterfaceArchive {
public:
    // Textures are made and released through the painter, which outlives the archive.
    explicit InterfaceArchive(Painter& painter) : painter_(painter) {}
    InterfaceArchive(const InterfaceArchive&) = delete;
    InterfaceArchive& operator=(const InterfaceArchive&) = delete;

    // Reads the index and maps the data file; releases whatever was loaded before.
    [[nodiscard]] bool loadInterfaceArchive(const std::string& programDirectory);

    // Fills `image` with the picture, its `dest` set to (0, 0, texW, texH). False, leaving
    // `image` alone, for an identifier not in the index or a record that does not fit in the
    // data file. When the renderer cannot make the texture the picture comes without one
    // and is not cached, so a later request tries again.
    [[nodiscard]] bool getImage(std::uint32_t skinIdentifier, SkinImage& image);

    // Releases every cached texture and forgets the index and the mapping. Needs the
    // renderer that made the textures still running.
    void releaseInterfaceArchive();

    [[nodiscard]] bool isLoaded() const { return file_.isOpen(); }
    [[nodiscard]] const ArchiveIndex<std::uint32_t>& index() const { return file_.index(); }
    [[nodiscard]] std::size_t cachedImageCount() const { return cache_.size(); }

private:
    Painter& painter_;
    InterfaceArchiveFile file_;
    std::map<std::uint32_t, SkinImage> cache_;
};

}  // namespace likenex
