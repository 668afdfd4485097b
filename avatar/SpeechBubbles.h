#pragma once
// The speech bubble's pieces, loaded once from the avatar archive, and the bubble drawn from
// them: on screen over the avatar, or into the avatar's snapshot.

#include "render/ImageRecord.h"

#include <array>
#include <cstdint>
#include <vector>

namespace likenex {

class AvatarArchive;
class AvatarModel;
class Painter;

class SpeechBubbles {
public:
    // Loads the sixteen pieces (pairs of variant 0 and 1) and the pixels of each variant 0,
    // without textures: enough to compose bubbles into pictures.
    void load(const AvatarArchive& archive);
    // The same with a texture for each piece, made through the painter, so that bubbles can
    // also be drawn.
    void load(const AvatarArchive& archive, Painter& painter);
    // Releases the textures through the painter that made them, while its renderer runs.
    void release();

    // Draws a bubble for a text `width` wide (half the bubble width) anchored at x; variants
    // other than 0 and 1 draw nothing.
    void draw(Painter& painter, int x, int y, int width, bool twoLines, int variant) const;
    // The same bubble from the variant 0 pieces into the model's snapshot.
    void compose(AvatarModel& model, int x, int y, int width, bool twoLines) const;

    [[nodiscard]] const ImageRecord& image(std::size_t member) const { return images_[member]; }

private:
    // Pieces in member order: one-line left cap, right cap, middle, tail, then the same for
    // two lines; each a pair (variant 0, variant 1).
    enum Piece { leftCap = 0, rightCap = 1, middle = 2, tail = 3 };
    [[nodiscard]] std::size_t member(Piece piece, bool twoLines, int variant) const {
        return static_cast<std::size_t>((twoLines ? 8 : 0) + piece * 2 + variant);
    }
    template <typename Place>
    void layOut(int x, int width, Place place) const;

    void loadPieces(const AvatarArchive& archive, Painter* painter);

    Painter* painter_ = nullptr;  // of the textures, while there are any
    std::array<ImageRecord, 16> images_;
    std::array<std::vector<std::uint8_t>, 8> pixels_;
};

}  // namespace likenex
