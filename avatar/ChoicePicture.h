#pragma once
// The small pictures of the editor's choice grids: an item alone (an outfit as its three
// pieces, a hairstyle on the bare head), a face option as the part of the head it lies on, a
// body part's own thumbnail. Each is composed like an avatar frame in the first frame of the
// standing action (items turned a little as the editor first shows the figure, face options
// square to the viewer), cut to what it shows and enlarged by the largest whole
// factor that fits the room its grid cell gives it, every pixel a square block, so that the
// small pictures of the art stay crisp and can be told apart.

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

// The room a picture has in its grid cell, in pixels.
struct PictureRoom {
    int width = 0, height = 0;
};

// A rectangle of the 128 by 128 frame canvas; empty when width or height is not positive.
struct CanvasRegion {
    int left = 0, top = 0, width = 0, height = 0;

    [[nodiscard]] bool empty() const { return width <= 0 || height <= 0; }
};

// The most a picture is enlarged, whatever room it is given.
inline constexpr int kMostChoiceScale = 8;

// Empty when nothing of the choice could be drawn (missing pictures, no standing action).
// `skin` colours the head a hairstyle is shown on.
[[nodiscard]] ChoicePicture itemPicture(const Catalogue& catalogue, const AvatarArchive& archive, const Item& item,
                                        std::int32_t colourId, std::int32_t skin, PictureRoom room);
// The face option with the head under it in `skin`, around the option's own pixels and as
// large as the room allows.
[[nodiscard]] ChoicePicture faceOptionPicture(const Catalogue& catalogue, const AvatarArchive& archive,
                                              const LayerOption& option, std::int32_t skin, PictureRoom room);
[[nodiscard]] ChoicePicture bodyPartPicture(const AvatarArchive& archive, const BodyPart& part, PictureRoom room);

// The smallest region of a 128 by 128 canvas holding a pixel that is not fully transparent;
// empty for a transparent or short canvas.
[[nodiscard]] CanvasRegion visibleRegion(const std::vector<std::uint8_t>& canvas);
// The largest whole factor, from 1 to kMostChoiceScale, at which a picture of `width` by
// `height` fits `room`; 1 when even the picture itself does not.
[[nodiscard]] int fittingScale(int width, int height, PictureRoom room);
// The part of a 128 by 128 canvas inside `region` (cut to the canvas), each pixel repeated as
// a `scale` by `scale` block; empty when nothing of the region lies on the canvas, the canvas
// is short or the scale is not 1 to kMostChoiceScale.
[[nodiscard]] ChoicePicture cutAndScale(const std::vector<std::uint8_t>& canvas, const CanvasRegion& region, int scale);
// The visible part of a canvas with a margin of two pixels, at 1x; empty for a transparent canvas.
[[nodiscard]] ChoicePicture cropToContent(const std::vector<std::uint8_t>& canvas);

}  // namespace likenex
