// The 256 by 256 snapshot of the current frame, drawn with the CPU.
#include "avatar/AvatarModel.h"

#include <algorithm>

#include "base/Position.h"
#include "catalogue/AvatarArchive.h"

namespace likenex {

namespace {
constexpr std::size_t kSnapshotBytes = std::size_t{kSnapshotSize} * kSnapshotSize * 4;
}

void AvatarModel::blendInto(const std::uint8_t* source, int column, int row, int width, int height) {
    if (!source || width <= 0 || height <= 0) return;
    if (snapshot_.size() != kSnapshotBytes) snapshot_.assign(kSnapshotBytes, 255);
    // Only the part inside the buffer is touched: nothing wraps to the next row. The bounds
    // are taken in 64 bits so that no position overflows them.
    const std::int64_t r = row, c = column;
    const std::int64_t i0 = std::max<std::int64_t>(0, -r), i1 = std::min<std::int64_t>(height, kSnapshotSize - r);
    const std::int64_t j0 = std::max<std::int64_t>(0, -c), j1 = std::min<std::int64_t>(width, kSnapshotSize - c);
    for (std::int64_t i = i0; i < i1; ++i) {
        for (std::int64_t j = j0; j < j1; ++j) {
            const std::uint8_t* s = source + static_cast<std::size_t>(i * width + j) * 4;
            std::uint8_t* t = &snapshot_[static_cast<std::size_t>((r + i) * kSnapshotSize + c + j) * 4];
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
    const Tick now = tickNow();
    toggleStep(now);
    drawSnapshotFrame(*frame, now);
    // The name label is left out: drawn with the renderer it would not enter the buffer, and
    // the snapshot has no screen position to draw it at. The screens that show the avatar
    // draw its label through drawAvatar.
    clockStep(now);
    return snapshot_.data();
}

std::vector<std::uint8_t> AvatarModel::composeSnapshot(std::uint8_t background) {
    // The scene blends the bubble through blendInto, which draws into snapshot_: the picture
    // is drawn there and takeSnapshot's buffer is put back afterwards.
    std::vector<std::uint8_t> picture(kSnapshotBytes, background);
    snapshot_.swap(picture);
    try {
        if (const ActionFrame* frame = currentFrame()) drawSnapshotFrame(*frame, tickNow());
    } catch (...) {
        snapshot_.swap(picture);
        throw;
    }
    snapshot_.swap(picture);
    return picture;
}

void AvatarModel::drawSnapshotFrame(const ActionFrame& frame, Tick now) {
    const std::size_t index = static_cast<std::size_t>(frameIndex_);
    auto framePictures = [&](bool behind) {
        forEachFramePicture(
            frame, behind,
            [&](const ImageRecord& picture, const std::vector<std::uint8_t>* pixels, const FrameImage& image) {
                if (!pixels || pixels->size() != static_cast<std::size_t>(picture.width) * picture.height * 4) return;
                blendInto(pixels->data(), clampPosition(std::int64_t{picture.xOffset} + image.x - 40),
                          clampPosition(std::int64_t{242} - picture.height - picture.yOffset - image.y), picture.width,
                          picture.height);
            });
    };
    framePictures(true);
    const Shadow& s = shadow();
    if (s.pixels.size() == static_cast<std::size_t>(s.picture.width) * s.picture.height * 4)
        blendInto(s.pixels.data(), clampPosition(std::int64_t{s.picture.xOffset} + 62),
                  clampPosition(std::int64_t{139} - s.picture.yOffset - s.picture.height), s.picture.width,
                  s.picture.height);
    const std::int64_t w3 = frame.layers[0].x, w4 = frame.layers[0].y;
    if (index < store_.copies.size())
        blendInto(store_.copies[index].data(), clampPosition(w3 - 40), clampPosition(242 - w4 - 128), kFrameSize,
                  kFrameSize);
    framePictures(false);
    if (frameShowsBody() && parts_.scene && bubbleShowing(now)) {
        parts_.scene->composeBubble(*this, clampPosition(w3 - 40), clampPosition(w4 - 40), bubbleWidth_ / 2,
                                    bubbleLineCount_ == 2);
        auto line = [&](const std::u16string& text, std::size_t limit, std::int64_t row) {
            std::int64_t column = w3 - bubbleWidth_ / 2 + 22;
            std::vector<std::uint8_t> pixels;
            for (std::size_t k = 0; k < text.size() && k < limit; ++k) {
                int width = 0, height = 0, advance = 0;
                if (!parts_.scene->renderCharacter(text[k], pixels, width, height, advance)) continue;
                if (pixels.size() >= static_cast<std::size_t>(width) * height * 4)
                    blendInto(pixels.data(), clampPosition(column), clampPosition(row), width, height);
                column = clampPosition(column + advance);
            }
        };
        if (bubbleLineCount_ == 1) {
            line(bubbleLines_[0], 50, 244 - w4);
        } else {
            line(bubbleLines_[0], 50, 258 - w4);
            line(bubbleLines_[1], 30, 244 - w4);
        }
    }
}

}  // namespace likenex
