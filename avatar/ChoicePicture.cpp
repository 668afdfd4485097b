#include "avatar/ChoicePicture.h"

#include "avatar/AvatarRecord.h"
#include "avatar/AvatarWardrobe.h"
#include "avatar/PaintingOrder.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ImageKey.h"

#include <algorithm>

namespace likenex {
namespace {

constexpr int kMargin = 2;
constexpr int kFacingViewer = 0;

// Paints `look` in the standing action's first frame, keeping of the body only the layers
// that `keepBody` names (bit v for body layer v).
ChoicePicture paintLook(const Catalogue& catalogue, const AvatarArchive& archive, const AvatarLook& look,
                        unsigned keepBody) {
    const Action* standing = catalogue.findAction(kStandingAction);
    if (!standing || standing->frames.empty()) return {};
    FrameLayers layers;
    formFrameLayers(layers, standing->frames.front(), kFacingViewer, look);
    for (int v = 0; v < kBodyLayerCount; ++v)
        if ((keepBody >> v & 1u) == 0) layers.body[static_cast<std::size_t>(v)] = {};
    ImageRecord canvas = emptyFrameCanvas();
    if (composeLayers(archive, canvas, layers, PaintConditions::of(look), kFacingViewer, 0) == 0) return {};
    return cropToContent(canvas.pixels);
}

}  // namespace

ChoicePicture cropToContent(const std::vector<std::uint8_t>& canvas) {
    if (canvas.size() < kFrameBytes) return {};
    int left = kFrameSize, right = -1, top = kFrameSize, bottom = -1;
    for (int y = 0; y < kFrameSize; ++y)
        for (int x = 0; x < kFrameSize; ++x)
            if (canvas[(static_cast<std::size_t>(y) * kFrameSize + static_cast<std::size_t>(x)) * 4 + 3] != 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    left = std::max(0, left - kMargin), top = std::max(0, top - kMargin);
    right = std::min(kFrameSize - 1, right + kMargin), bottom = std::min(kFrameSize - 1, bottom + kMargin);
    ChoicePicture picture;
    picture.width = right - left + 1;
    picture.height = bottom - top + 1;
    picture.pixels.reserve(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 4);
    for (int y = top; y <= bottom; ++y) {
        const auto row =
            canvas.begin() + static_cast<std::ptrdiff_t>(
                                 (static_cast<std::size_t>(y) * kFrameSize + static_cast<std::size_t>(left)) * 4);
        picture.pixels.insert(picture.pixels.end(), row, row + picture.width * 4);
    }
    return picture;
}

ChoicePicture itemPicture(const Catalogue& catalogue, const AvatarArchive& archive, const Item& item,
                          std::int32_t colourId) {
    // A wardrobe of our own applies the wearing rules, so an outfit shows as its pieces.
    AvatarWardrobe wardrobe(&catalogue);
    wardrobe.wearItem(item.category, item.identifier, colourId);
    return paintLook(catalogue, archive, wardrobe.look(), 0);
}

ChoicePicture faceOptionPicture(const Catalogue& catalogue, const AvatarArchive& archive, const LayerOption& option,
                                std::int32_t skin) {
    AvatarLook look;
    look.skin = skin;
    const std::size_t slot = option.faceLayer == 1 ? kFaceOptionSlot1 : kFaceOptionSlot2;
    look.items[slot] = ItemSlot::faceOption(option.optionNumber);
    return paintLook(catalogue, archive, look, 1u);  // the head alone
}

ChoicePicture bodyPartPicture(const AvatarArchive& archive, const BodyPart& part) {
    ImageRecord canvas = emptyFrameCanvas();
    const std::int64_t key = makeImageKey(part.identifier, 4, part.bodyLayer, 0, part.style, 0);
    if (!archive.compositeSprite(canvas, key, 0, -1)) return {};
    return cropToContent(canvas.pixels);
}

}  // namespace likenex
