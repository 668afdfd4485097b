#include "avatar/ChoicePicture.h"

#include "avatar/AvatarRecord.h"
#include "avatar/AvatarWardrobe.h"
#include "avatar/PaintingOrder.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ImageKey.h"
#include "catalogue/WardrobeOffer.h"

#include <algorithm>
#include <optional>

namespace likenex {
namespace {

constexpr int kCropMargin = 2;  // around cropToContent's cut
constexpr int kItemMargin = 1;  // around an item or body part, before it is enlarged
constexpr int kFaceBox = 28;  // the part of the face a face option's picture shows at least
constexpr int kFacingViewer = 0;  // turned a little, as the editor first shows the figure
constexpr int kFront = 7;         // square to the viewer: both eyes alike, the mouth centred
constexpr unsigned kHeadOnly = 1u;  // body layer 0, the head

// Paints `look` in the standing action's first frame, keeping of the body only the layers
// that `keepBody` names (bit v for body layer v); nothing when nothing could be painted.
std::optional<std::vector<std::uint8_t>> paintLook(const Catalogue& catalogue, const AvatarArchive& archive,
                                                   const AvatarLook& look, unsigned keepBody,
                                                   int direction = kFacingViewer) {
    const Action* standing = catalogue.findAction(kStandingAction);
    if (!standing || standing->frames.empty()) return std::nullopt;
    FrameLayers layers;
    formFrameLayers(layers, standing->frames.front(), direction, look);
    for (int v = 0; v < kBodyLayerCount; ++v)
        if ((keepBody >> v & 1u) == 0) layers.body[static_cast<std::size_t>(v)] = {};
    ImageRecord canvas = emptyFrameCanvas();
    if (composeLayers(archive, canvas, layers, PaintConditions::of(look), direction, 0) == 0) return std::nullopt;
    return std::move(canvas.pixels);
}

// `region` grown by `margin` on every side and cut to the canvas.
CanvasRegion grown(const CanvasRegion& region, int margin) {
    const int left = std::max(0, region.left - margin), top = std::max(0, region.top - margin);
    const int right = std::min(kFrameSize, region.left + region.width + margin);
    const int bottom = std::min(kFrameSize, region.top + region.height + margin);
    return {left, top, right - left, bottom - top};
}

// A region of `width` by `height` (at most the canvas) centred on `around`, moved inside the
// canvas where it would stick out.
CanvasRegion centredOn(const CanvasRegion& around, int width, int height) {
    width = std::clamp(width, 1, kFrameSize), height = std::clamp(height, 1, kFrameSize);
    const int left = around.left + around.width / 2 - width / 2, top = around.top + around.height / 2 - height / 2;
    return {std::clamp(left, 0, kFrameSize - width), std::clamp(top, 0, kFrameSize - height), width, height};
}

// The visible part of a canvas with a margin, as large as the room allows.
ChoicePicture fitted(const std::vector<std::uint8_t>& canvas, PictureRoom room) {
    const CanvasRegion visible = visibleRegion(canvas);
    if (visible.empty()) return {};
    const CanvasRegion cut = grown(visible, kItemMargin);
    return cutAndScale(canvas, cut, fittingScale(cut.width, cut.height, room));
}

}  // namespace

CanvasRegion visibleRegion(const std::vector<std::uint8_t>& canvas) {
    if (canvas.size() < kFrameBytes) return {};
    int left = kFrameSize, right = -1, top = kFrameSize, bottom = -1;
    for (int y = 0; y < kFrameSize; ++y)
        for (int x = 0; x < kFrameSize; ++x)
            if (canvas[(static_cast<std::size_t>(y) * kFrameSize + static_cast<std::size_t>(x)) * 4 + 3] != 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

int fittingScale(int width, int height, PictureRoom room) {
    if (width <= 0 || height <= 0) return 1;
    const int scale = std::min(room.width / width, room.height / height);
    return std::clamp(scale, 1, kMostChoiceScale);
}

ChoicePicture cutAndScale(const std::vector<std::uint8_t>& canvas, const CanvasRegion& region, int scale) {
    if (canvas.size() < kFrameBytes || scale < 1 || scale > kMostChoiceScale || region.empty()) return {};
    // Cut to the canvas in 64 bits, so that no region's numbers overflow on the way.
    const long long left = std::max<long long>(0, region.left), top = std::max<long long>(0, region.top);
    const long long right = std::min<long long>(kFrameSize, static_cast<long long>(region.left) + region.width);
    const long long bottom = std::min<long long>(kFrameSize, static_cast<long long>(region.top) + region.height);
    if (right <= left || bottom <= top) return {};
    ChoicePicture picture;
    picture.width = static_cast<int>(right - left) * scale;
    picture.height = static_cast<int>(bottom - top) * scale;
    picture.pixels.reserve(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 4);
    std::vector<std::uint8_t> row;
    row.reserve(static_cast<std::size_t>(picture.width) * 4);
    for (long long y = top; y < bottom; ++y) {
        row.clear();
        for (long long x = left; x < right; ++x) {
            const auto from = canvas.begin() + static_cast<std::ptrdiff_t>((y * kFrameSize + x) * 4);
            for (int copy = 0; copy < scale; ++copy) row.insert(row.end(), from, from + 4);
        }
        for (int copy = 0; copy < scale; ++copy) picture.pixels.insert(picture.pixels.end(), row.begin(), row.end());
    }
    return picture;
}

ChoicePicture cropToContent(const std::vector<std::uint8_t>& canvas) {
    const CanvasRegion visible = visibleRegion(canvas);
    if (visible.empty()) return {};
    return cutAndScale(canvas, grown(visible, kCropMargin), 1);
}

ChoicePicture itemPicture(const Catalogue& catalogue, const AvatarArchive& archive, const Item& item,
                          std::int32_t colourId, std::int32_t skin, PictureRoom room) {
    // A wardrobe of our own applies the wearing rules, so an outfit shows as its pieces.
    AvatarWardrobe wardrobe(&catalogue);
    wardrobe.wearItem(item.category, item.identifier, colourId);
    AvatarLook look = wardrobe.look();
    // A hairstyle alone is a shapeless patch; on the bare head it reads as a hairstyle.
    const bool onHead = item.category == kHairCategory;
    if (onHead) look.skin = skin;
    const auto canvas = paintLook(catalogue, archive, look, onHead ? kHeadOnly : 0u);
    return canvas ? fitted(*canvas, room) : ChoicePicture{};
}

ChoicePicture faceOptionPicture(const Catalogue& catalogue, const AvatarArchive& archive, const LayerOption& option,
                                std::int32_t skin, PictureRoom room) {
    AvatarLook look;
    look.skin = skin;
    const std::size_t slot = option.faceLayer == 1 ? kFaceOptionSlot1 : kFaceOptionSlot2;
    look.items[slot] = ItemSlot::faceOption(option.optionNumber);
    // Where the option's own pixels lie decides the region; the head under them fills it.
    // From the front both eyes show whole, so options that differ on one side only (a wink)
    // stay apart.
    const auto alone = paintLook(catalogue, archive, look, 0u, kFront);
    if (!alone) return {};
    const CanvasRegion own = visibleRegion(*alone);
    const auto onHead = paintLook(catalogue, archive, look, kHeadOnly, kFront);
    if (own.empty() || !onHead) return {};
    // One scale for every option, that of the face box, so that small eyes and wide glasses sit
    // side by side at the same size; what reaches past the box (blush on the cheeks) is cut.
    const int scale = fittingScale(kFaceBox, kFaceBox, room);
    const CanvasRegion region =
        centredOn(own, std::max(room.width / scale, kFaceBox), std::max(room.height / scale, kFaceBox));
    return cutAndScale(*onHead, region, scale);
}

ChoicePicture bodyPartPicture(const AvatarArchive& archive, const BodyPart& part, PictureRoom room) {
    ImageRecord canvas = emptyFrameCanvas();
    const std::int64_t key = makeImageKey(part.identifier, 4, part.bodyLayer, 0, part.style, 0);
    if (!archive.compositeSprite(canvas, key, 0, -1)) return {};
    return fitted(canvas.pixels, room);
}

}  // namespace likenex
