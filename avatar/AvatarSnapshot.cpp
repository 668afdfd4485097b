// The 256 by 256 snapshot of the current frame, drawn with the CPU.
#include "avatar/AvatarModel.h"

#include <algorithm>

#include "catalogue/AvatarArchive.h"

namespace likenex {

namespace {
constexpr std::size_t kSnapshotBytes = std::size_t{kSnapshotSize} * kSnapshotSize * 4;
}

void AvatarModel::blendInto(const std::uint8_t* source, int column, int row, int width, int height) {
    if (!source || width <= 0 || height <= 0) return;
    if (snapshot_.size() != kSnapshotBytes) snapshot_.assign(kSnapshotBytes, 255);
    // Only the part inside the buffer is touched: nothing wraps to the next row.
    const int i0 = std::max(0, -row), i1 = std::min(height, kSnapshotSize - row);
    const int j0 = std::max(0, -column), j1 = std::min(width, kSnapshotSize - column);
    for (int i = i0; i < i1; ++i) {
        for (int j = j0; j < j1; ++j) {
            const std::uint8_t* s = source + (static_cast<std::size_t>(i) * width + j) * 4;
            std::uint8_t* t = &snapshot_[(static_cast<std::size_t>(row + i) * kSnapshotSize + column + j) * 4];
            const int d = t[3];
            if (d == 0) {
                std::copy_n(s, 4, t);
                continue;
            }
            const int a = s[3];
            for (int k = 0; k < 3; ++k) t[k] = static_cast<std::uint8_t>((s[k] * a + t[k] * (255 - a)) / 255);
            t[3] = static_cast<std::uint8_t>((d * (255 - a) + a * a) / 255);
        }
    }
}

const std::uint8_t* AvatarModel::takeSnapshot() {
    snapshot_.assign(kSnapshotBytes, 255);
    const ActionFrame* frame = currentFrame();
    if (!frame) return snapshot_.data();
    const std::int64_t now = parts_.clock ? parts_.clock->now() : 0;
    toggleStep(now);
    const std::size_t index = static_cast<std::size_t>(frameIndex_);
    auto framePictures = [&](bool behind) {
        forEachFramePicture(
            *frame, behind,
            [&](const ImageRecord& picture, const std::vector<std::uint8_t>* pixels, const FrameImage& image) {
                if (!pixels || pixels->size() != static_cast<std::size_t>(picture.width) * picture.height * 4) return;
                blendInto(pixels->data(), picture.xOffset + image.x - 40,
                          242 - picture.height - picture.yOffset - image.y, picture.width, picture.height);
            });
    };
    framePictures(true);
    const Shadow& s = shadow();
    if (s.pixels.size() == static_cast<std::size_t>(s.picture.width) * s.picture.height * 4)
        blendInto(s.pixels.data(), s.picture.xOffset + 62, 139 - s.picture.yOffset - s.picture.height, s.picture.width,
                  s.picture.height);
    const int w3 = frame->layers[0].x, w4 = frame->layers[0].y;
    if (index < store_.copies.size())
        blendInto(store_.copies[index].data(), w3 - 40, 242 - w4 - 128, kFrameSize, kFrameSize);
    framePictures(false);
    if (frameShowsBody() && parts_.scene && bubbleShowing(now)) {
        parts_.scene->composeBubble(*this, w3 - 40, w4 - 40, bubbleWidth_ / 2, bubbleLineCount_ == 2);
        auto line = [&](const std::u16string& text, std::size_t limit, int row) {
            int column = w3 - bubbleWidth_ / 2 + 22;
            std::vector<std::uint8_t> pixels;
            for (std::size_t k = 0; k < text.size() && k < limit; ++k) {
                int width = 0, height = 0, advance = 0;
                if (!parts_.scene->renderCharacter(text[k], pixels, width, height, advance)) continue;
                if (pixels.size() >= static_cast<std::size_t>(width) * height * 4)
                    blendInto(pixels.data(), column, row, width, height);
                column += advance;
            }
        };
        if (bubbleLineCount_ == 1) {
            line(bubbleLines_[0], 50, 244 - w4);
        } else {
            line(bubbleLines_[0], 50, 258 - w4);
            line(bubbleLines_[1], 30, 244 - w4);
        }
    }
    clockStep(now);
    return snapshot_.data();
}

}  // namespace likenex
