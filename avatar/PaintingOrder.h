#pragma once
// The order in which the layers of a frame are painted, which depends on the direction the
// avatar faces, and the painting itself into a 128 by 128 frame canvas.

#include "avatar/LayerRefs.h"
#include "render/ImageRecord.h"

#include <array>
#include <cstdint>
#include <span>

namespace likenex {

class AvatarArchive;

// One step of a painting order: body layer A[index], body-part layer B[index], item layer
// C[index] (drawn only while item slot `slot` is occupied), or the head group.
struct PaintStep {
    enum class Layer : std::uint8_t { body, bodyPart, item, headGroup };
    Layer layer = Layer::body;
    std::uint8_t index = 0;
    std::uint8_t slot = 0;

    friend bool operator==(const PaintStep&, const PaintStep&) = default;
};

// The steps for directions 0..7; empty for any other direction.
[[nodiscard]] std::span<const PaintStep> paintingOrder(int direction);

// The members of the head group: A0, then the face layers of the variant (variant 0 paints
// the first picture of each face option, variant 1 the second), then C0 for slot 0 and slot 1.
[[nodiscard]] std::array<PaintStep, 5> headGroupOrder(int variant);

// Body pictures 3000000000 + 100000 * d (d = 0..7) stand for a frame without a head: the
// whole head group is left out when A0 holds one of them.
[[nodiscard]] bool isHeadlessBodyKey(std::int64_t key);

// What decides whether a layer is painted besides its key.
struct PaintConditions {
    std::array<bool, kItemSlotCount> itemSlotOccupied{};
    bool bodyPart8Chosen = false;
    bool bodyPart9Chosen = false;
    std::int32_t mode = 0;

    [[nodiscard]] static PaintConditions of(const AvatarLook& look);
};

// A transparent 128 by 128 canvas (all bytes 0), as every frame starts. Initialise a new
// record with it: assigning to an existing record leaves that record's pixels in place.
[[nodiscard]] ImageRecord emptyFrameCanvas();

// Paints the layers onto `canvas` (128 * 128 BGRA pixels, as compositeSprite takes it) in the
// order of `direction`, with the face layers of `variant` (0 or 1). B8 is painted only when
// body-part slot 8 is chosen or the mode adds part 501, B9 only when slot 9 is chosen, B0..B7
// never. A layer whose picture or colour set is missing leaves the canvas as it was; a
// direction outside 0..7 paints nothing. Returns the number of pictures painted.
int composeLayers(const AvatarArchive& archive, ImageRecord& canvas, const FrameLayers& layers,
                  const PaintConditions& conditions, int direction, int variant);

}  // namespace likenex
