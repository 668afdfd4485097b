#pragma once
// The small pictures of the editor's choice grids: an item alone (an outfit as its three
// pieces), a face option on the bare head, a body part's own thumbnail. Each is composed like
// an avatar frame, facing the viewer in the first frame of the standing action, and cut to
// the part of the frame that holds anything.

#include "catalogue/CatalogueRecords.h"

#include <cstdint>
#include <vector>

namespace likenex {

class AvatarArchive;
class Catalogue;

struct ChoicePicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // BGRA in the frame's row order, as textures take them

    [[nodiscard]] bool empty() const { return width == 0 || height == 0; }
};

// Empty when nothing of the choice could be drawn (missing pictures, no standing action).
[[nodiscard]] ChoicePicture itemPicture(const Catalogue& catalogue, const AvatarArchive& archive, const Item& item,
                                        std::int32_t colourId);
[[nodiscard]] ChoicePicture faceOptionPicture(const Catalogue& catalogue, const AvatarArchive& archive,
                                              const LayerOption& option, std::int32_t skin);
[[nodiscard]] ChoicePicture bodyPartPicture(const AvatarArchive& archive, const BodyPart& part);

// The smallest rectangle of a 128 by 128 canvas holding a pixel that is not fully
// transparent, with a margin of two pixels; empty for a transparent canvas.
[[nodiscard]] ChoicePicture cropToContent(const std::vector<std::uint8_t>& canvas);

}  // namespace likenex
