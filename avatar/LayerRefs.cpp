#include "avatar/LayerRefs.h"

#include "catalogue/ImageKey.h"

namespace likenex {
namespace {

constexpr std::int32_t kBodyKind = 0;
constexpr std::int32_t kItemKind = 1;
constexpr std::int32_t kBodyPartKind = 2;
constexpr std::int32_t kColourTable = 0;
constexpr std::int32_t kSkinTable = 1;

// The picture of a worn item on body layer v, recoloured with its slot's colour.
LayerRef itemLayer(const ItemSlot& slot, int v, int dv, std::int32_t n) {
    return {makeImageKey(slot.item, kItemKind, v, dv, slot.category, n), kColourTable, slot.colourId};
}

// The first of two exclusive slots that is occupied, or null.
const ItemSlot* eitherSlot(const AvatarLook& look, int preferred, int other) {
    if (look.items[static_cast<std::size_t>(preferred)].occupied)
        return &look.items[static_cast<std::size_t>(preferred)];
    if (look.items[static_cast<std::size_t>(other)].occupied) return &look.items[static_cast<std::size_t>(other)];
    return nullptr;
}

// The two pictures (extra 0 and 1) of a face-layer option; cleared when the body layer is empty.
void setFaceLayers(FrameLayers& layers, const ItemSlot& slot, int faceLayer, int dv, std::int32_t n, int first) {
    auto& a = layers.items[static_cast<std::size_t>(first)];
    auto& b = layers.items[static_cast<std::size_t>(first + 1)];
    if (n == 0) {
        a = LayerRef{};
        b = LayerRef{};
    } else if (slot.occupied) {
        a = {makeImageKey(slot.item, kBodyKind, faceLayer, dv, 0, 0), kColourTable, -1};
        b = {makeImageKey(slot.item, kBodyKind, faceLayer, dv, 1, 0), kColourTable, -1};
    }
}

}  // namespace

void formFrameLayers(FrameLayers& layers, const ActionFrame& frame, int direction, const AvatarLook& look) {
    const auto& slots = look.items;
    for (int v = 0; v < kBodyLayerCount; ++v) {
        const auto index = static_cast<std::size_t>(v);
        const LayerEntry& entry = frame.layers[index];
        const std::int32_t n = entry.imageNumber;
        const int dv = turnedDirection(direction, entry.directionOffset);

        layers.body[index] = {makeImageKey(n, kBodyKind, v, dv, 0, 0), kSkinTable, look.skin};
        if (const BodyPartSlot& part = look.bodyParts[index]; part.chosen)
            layers.bodyParts[index] = {makeImageKey(part.part.identifier, kBodyPartKind, v, dv, part.part.style, n),
                                       kColourTable, -1};

        auto set = [&](int k, const ItemSlot* slot) {
            if (slot) layers.items[static_cast<std::size_t>(k)] = itemLayer(*slot, v, dv, n);
        };
        auto occupied = [&](int s) {
            return slots[static_cast<std::size_t>(s)].occupied ? &slots[static_cast<std::size_t>(s)] : nullptr;
        };
        switch (v) {
        case 0: set(0, eitherSlot(look, 0, 1)); break;
        case 1: setFaceLayers(layers, slots[kFaceOptionSlot1], 1, dv, n, 1); break;
        case 2: setFaceLayers(layers, slots[kFaceOptionSlot2], 2, dv, n, 3); break;
        case 3:
        case 4:
        case 5:
            // Slot 2 on C5..C7; slot 6, painted over it, on C8..C10.
            set(5 + (v - 3), occupied(2));
            set(8 + (v - 3), occupied(6));
            break;
        case 6:
        case 7:
            // Slot 3 (or else 5) on C11 and C12, slot 4 on C13 and C14.
            set(11 + (v - 6), eitherSlot(look, 3, 5));
            set(13 + (v - 6), occupied(4));
            break;
        case 8:
            if (look.mode == kMode501)
                layers.bodyParts[index] = {makeImageKey(kBodyPart501, kBodyPartKind, 8, dv, 0, n), kColourTable, -1};
            break;
        default: break;
        }
    }
}

}  // namespace likenex
