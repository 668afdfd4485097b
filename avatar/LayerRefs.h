#pragma once
// The layers of one avatar frame: which archive picture each body layer, body-part layer and
// item layer draws, and how it is recoloured. They are formed from what the avatar wears and
// from one frame of its action, then painted in the order of the facing direction
// (PaintingOrder.h).

#include "catalogue/CatalogueRecords.h"

#include <array>
#include <cstdint>

namespace likenex {

inline constexpr int kItemSlotCount = 9;    // slots 0..6 worn items, 7 and 8 face options
inline constexpr int kFaceOptionSlot1 = 7;  // option of face layer 1
inline constexpr int kFaceOptionSlot2 = 8;  // option of face layer 2
inline constexpr int kItemLayerCount = 15;
inline constexpr std::int32_t kMode501 = 1;  // the record mode that adds body part 501 on layer 8
inline constexpr std::int32_t kBodyPart501 = 501;

// One layer to draw. Cleared entries hold key 0 and no recolouring.
struct LayerRef {
    std::int64_t key = 0;
    std::int32_t colourKind = 0;  // 0 colour table, 1 skin table
    std::int32_t colourId = -1;   // negative: drawn as stored

    friend bool operator==(const LayerRef&, const LayerRef&) = default;
};

// The three layer arrays of a frame: body layers (A), body-part layers (B), item layers (C).
struct FrameLayers {
    std::array<LayerRef, kBodyLayerCount> body{};
    std::array<LayerRef, kBodyLayerCount> bodyParts{};
    std::array<LayerRef, kItemLayerCount> items{};

    friend bool operator==(const FrameLayers&, const FrameLayers&) = default;
};

// One item slot. Slots 0..6 name a worn item by identifier and category (the category gives
// the item's key field); slots 7 and 8 name a face-layer option number in `item`.
struct ItemSlot {
    std::int32_t item = 0;
    std::int32_t category = 0;
    std::int32_t colourId = -1;
    bool occupied = false;

    [[nodiscard]] static ItemSlot wearing(const Item& record, std::int32_t colourId) {
        return {record.identifier, record.category, colourId, true};
    }
    [[nodiscard]] static ItemSlot faceOption(std::int32_t optionNumber) { return {optionNumber, 0, -1, true}; }
};

// One body-part slot, indexed by the part's body layer.
struct BodyPartSlot {
    BodyPart part{};
    bool chosen = false;
};

// What the avatar wears, as far as the layers of a frame depend on it.
struct AvatarLook {
    std::array<ItemSlot, kItemSlotCount> items{};
    std::array<BodyPartSlot, kBodyLayerCount> bodyParts{};
    std::int32_t skin = -1;  // colour id in the skin table; -1 leaves the body as stored
    std::int32_t mode = 0;   // kMode501 adds body part 501 on body layer 8
};

// The direction a picture faces when the avatar faces `direction` (0..7) and a frame or layer
// turns it by `offset`: the remainder of the sum by 8, summed in 64 bits so that no catalogue
// value overflows it. The catalogue's offsets are never negative; a negative one gives a
// negative remainder, which names no picture and paints nothing.
[[nodiscard]] constexpr int turnedDirection(int direction, std::int32_t offset) {
    return static_cast<int>((std::int64_t{direction} + offset) % 8);
}

// Sets the layers of `frame` for an avatar facing `direction` (0..7): each layer's picture
// faces (direction + the layer's direction offset) mod 8. Only the entries the frame and the
// look call for are written; the others keep what an earlier frame left in them, as the
// model's arrays do from frame to frame. That is harmless because painting draws an entry only
// when the slot behind it is in use, but start from an empty FrameLayers for a clean result.
void formFrameLayers(FrameLayers& layers, const ActionFrame& frame, int direction, const AvatarLook& look);

}  // namespace likenex
