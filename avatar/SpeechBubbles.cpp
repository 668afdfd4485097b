#include "avatar/SpeechBubbles.h"

#include "avatar/AvatarModel.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/ImageKey.h"

namespace likenex {

namespace {
// The first archive picture of each pair, in member order.
constexpr std::array<int, 8> kFirstPieces = {10, 16, 12, 14, 18, 24, 20, 22};
}  // namespace

void SpeechBubbles::load(const AvatarArchive& archive) { loadPieces(archive, nullptr); }

void SpeechBubbles::load(const AvatarArchive& archive, Painter& painter) { loadPieces(archive, &painter); }

void SpeechBubbles::loadPieces(const AvatarArchive& archive, Painter* painter) {
    release();
    painter_ = painter;
    for (std::size_t pair = 0; pair < kFirstPieces.size(); ++pair) {
        for (int variant = 0; variant < 2; ++variant) {
            const std::int64_t key = makeImageKey(kFirstPieces[pair] + variant, 5, 0, 0, 0, 0);
            images_[pair * 2 + static_cast<std::size_t>(variant)] =
                painter ? archive.loadSpriteImage(*painter, key, 0, -1) : archive.loadSpriteRecord(key, 0, -1);
            if (variant == 0 && !archive.loadSpritePixels(key, 0, -1, pixels_[pair])) pixels_[pair].clear();
        }
    }
}

void SpeechBubbles::release() {
    for (ImageRecord& image : images_) {
        if (painter_) dropTexture(*painter_, image.texture);
        image.texture = 0;
    }
    painter_ = nullptr;
}

template <typename Place>
void SpeechBubbles::layOut(int x, int width, Place place) const {
    const int h = (width + 1) / 2;
    const int n = 2 * h + 1;
    if (h >= 0)
        for (int i = 0; i < n; ++i) place(middle, x - 2 * h + 60 + 2 * i);
    place(leftCap, x - 2 * h + 58);
    place(rightCap, x + 2 * h + 62);
    place(tail, x + 61);
}

void SpeechBubbles::draw(Painter& painter, int x, int y, int width, bool twoLines, int variant) const {
    if (variant != 0 && variant != 1) return;
    const int top = y - (twoLines ? 35 : 21);
    layOut(x, width,
           [&](Piece piece, int at) { drawImageAt(painter, images_[member(piece, twoLines, variant)], at, top); });
}

void SpeechBubbles::compose(AvatarModel& model, int x, int y, int width, bool twoLines) const {
    const int base = twoLines ? 237 : 223;
    layOut(x, width, [&](Piece piece, int at) {
        const ImageRecord& image = images_[member(piece, twoLines, 0)];
        const std::vector<std::uint8_t>& pixels = pixels_[member(piece, twoLines, 0) / 2];
        if (pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) return;
        model.blendInto(pixels.data(), at + image.xOffset, base - image.yOffset - image.height - y, image.width,
                        image.height);
    });
}

}  // namespace likenex
