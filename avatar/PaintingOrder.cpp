#include "avatar/PaintingOrder.h"

#include "catalogue/AvatarArchive.h"
#include "catalogue/ImageKey.h"

namespace likenex {
namespace {

using Layer = PaintStep::Layer;

constexpr PaintStep A(int v) { return {Layer::body, static_cast<std::uint8_t>(v), 0}; }
constexpr PaintStep B(int v) { return {Layer::bodyPart, static_cast<std::uint8_t>(v), 0}; }
constexpr PaintStep C(int k, int slot) {
    return {Layer::item, static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(slot)};
}
constexpr PaintStep H{Layer::headGroup, 0, 0};

// One order per direction; directions 0 and 1 share one, and so do 5 and 6.
constexpr PaintStep kOrder01[] = {A(5), C(10, 6), C(7, 2),  A(9),     B(9),     A(7), C(12, 3), C(14, 4),
                                  A(6), C(12, 5), C(11, 5), C(11, 3), C(13, 4), A(3), C(8, 6),  C(5, 2),
                                  H,    A(4),     C(9, 6),  C(6, 2),  A(8),     B(8)};
constexpr PaintStep kOrder2[] = {A(5), C(10, 6), C(7, 2),  A(9),     B(9),     A(7), C(12, 3), C(14, 4),
                                 A(6), C(11, 3), C(11, 5), C(12, 5), C(13, 4), A(3), C(8, 6),  C(5, 2),
                                 H,    A(4),     A(8),     C(9, 6),  C(6, 2),  B(8)};
constexpr PaintStep kOrder3[] = {A(6), C(11, 3), C(13, 4), A(7),    C(12, 3), C(11, 5), C(12, 5), C(14, 4),
                                 A(3), C(8, 6),  C(5, 2),  A(4),    C(9, 6),  C(6, 2),  A(8),     B(8),
                                 A(5), A(9),     C(10, 6), C(7, 2), B(9),     H};
constexpr PaintStep kOrder4[] = {A(4), C(9, 6),  C(6, 2),  A(8),     B(8),     A(6), C(11, 3), C(13, 4),
                                 A(7), C(12, 3), C(11, 5), C(12, 5), C(14, 4), A(3), C(8, 6),  C(5, 2),
                                 H,    A(5),     A(9),     C(10, 6), C(7, 2),  B(9)};
constexpr PaintStep kOrder56[] = {A(4), C(9, 6),  C(6, 2),  A(8),     B(8),     A(6), C(11, 3), C(13, 4),
                                  A(7), C(12, 3), C(11, 5), C(12, 5), C(14, 4), A(3), C(8, 6),  C(5, 2),
                                  H,    A(5),     C(10, 6), C(7, 2),  A(9),     B(9)};
constexpr PaintStep kOrder7[] = {A(7), C(12, 3), C(14, 4), A(6),    C(11, 3), C(12, 5), C(11, 5), C(13, 4),
                                 A(3), C(8, 6),  C(5, 2),  H,       A(5),     C(10, 6), C(7, 2),  A(9),
                                 B(9), A(4),     C(9, 6),  C(6, 2), A(8),     B(8)};

constexpr std::span<const PaintStep> kOrders[] = {kOrder01, kOrder01, kOrder2,  kOrder3,
                                                  kOrder4,  kOrder56, kOrder56, kOrder7};

bool paintable(const PaintStep& step, const PaintConditions& conditions) {
    switch (step.layer) {
    case Layer::body: return true;
    case Layer::bodyPart:
        if (step.index == 8) return conditions.bodyPart8Chosen || conditions.mode == kMode501;
        if (step.index == 9) return conditions.bodyPart9Chosen;
        return false;
    case Layer::item: return step.slot < kItemSlotCount && conditions.itemSlotOccupied[step.slot];
    case Layer::headGroup: return false;
    }
    return false;
}

const LayerRef& layerOf(const PaintStep& step, const FrameLayers& layers) {
    switch (step.layer) {
    case Layer::bodyPart: return layers.bodyParts[step.index];
    case Layer::item: return layers.items[step.index];
    default: return layers.body[step.index];
    }
}

}  // namespace

std::span<const PaintStep> paintingOrder(int direction) {
    if (direction < 0 || direction > 7) return {};
    return kOrders[direction];
}

std::array<PaintStep, 5> headGroupOrder(int variant) {
    if (variant == 1) return {A(0), C(4, 8), C(2, 7), C(0, 0), C(0, 1)};
    return {A(0), C(3, 8), C(1, 7), C(0, 0), C(0, 1)};
}

bool isHeadlessBodyKey(std::int64_t key) {
    for (int d = 0; d < 8; ++d)
        if (key == makeImageKey(3, 0, 0, d, 0, 0)) return true;
    return false;
}

PaintConditions PaintConditions::of(const AvatarLook& look) {
    PaintConditions conditions;
    for (std::size_t s = 0; s < look.items.size(); ++s) conditions.itemSlotOccupied[s] = look.items[s].occupied;
    conditions.bodyPart8Chosen = look.bodyParts[8].chosen;
    conditions.bodyPart9Chosen = look.bodyParts[9].chosen;
    conditions.mode = look.mode;
    return conditions;
}

ImageRecord emptyFrameCanvas() {
    ImageRecord canvas;
    canvas.width = kFrameSize;
    canvas.height = kFrameSize;
    canvas.pixels.assign(kFrameBytes, 0);
    return canvas;
}

int composeLayers(const AvatarArchive& archive, ImageRecord& canvas, const FrameLayers& layers,
                  const PaintConditions& conditions, int direction, int variant) {
    int painted = 0;
    auto paint = [&](const LayerRef& layer) {
        if (archive.compositeSprite(canvas, layer.key, layer.colourKind, layer.colourId)) ++painted;
    };
    for (const PaintStep& step : paintingOrder(direction)) {
        if (step.layer == Layer::headGroup) {
            if (isHeadlessBodyKey(layers.body[0].key)) continue;
            for (const PaintStep& member : headGroupOrder(variant))
                if (paintable(member, conditions)) paint(layerOf(member, layers));
            continue;
        }
        if (paintable(step, conditions)) paint(layerOf(step, layers));
    }
    return painted;
}

}  // namespace likenex
