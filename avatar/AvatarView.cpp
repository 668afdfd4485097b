// The avatar's clock, and drawing its current frame: on screen with its shadow, speech bubble
// and label, and into the snapshot with the CPU. The clock moves on its own calls, not with
// drawing on screen, so that an avatar nobody sees (a minimised window) still keeps its time and
// reports its actions' ends; the snapshot, taken once for a picture, moves it as before.
#include "avatar/AvatarModel.h"

#include "base/Position.h"
#include "catalogue/AvatarArchive.h"
#include "render/Painter.h"

namespace likenex {

namespace {

constexpr std::uint32_t kExtraPictureDelay = 3000;

Colour bubbleTextColour() { return Colour::fromFloats(0.94f, 0.94f, 0.94f, 1); }

Colour labelColour(const AvatarRecord& r, bool nameChoice) {
    if (r.whiteLabel)
        return nameChoice ? Colour::fromFloats(0.757f, 0.757f, 0.757f, 1) : Colour::fromFloats(1, 1, 1, 1);
    if (r.goldLabel)
        return nameChoice ? Colour::fromFloats(0.969f, 0.388f, 0.118f, 1)
                          : Colour::fromFloats(0.969f, 0.714f, 0.118f, 1);
    return nameChoice ? Colour::fromFloats(0.125f, 0.788f, 1, 1) : Colour::fromFloats(0.624f, 0.824f, 1, 1);
}

}  // namespace

void AvatarModel::setExtraPicture(const ImageRecord& picture) {
    extraPicture_ = picture;
    extraSetAt_ = playback_.now();
}

DueIn AvatarModel::advanceClock() {
    const Tick now = playback_.now();
    speech_.toggleStep(now);
    playback_.clockStep(now, notifyValue());
    DueIn next = playback_.nextStep(now).orSooner(speech_.nextChange(now));
    if (extraPicture_.texture && ticksBetween(extraSetAt_, now) <= kExtraPictureDelay)
        next = next.orSooner(DueIn::in(ticksLeft(extraSetAt_, now, kExtraPictureDelay + 1)));
    return next;
}

void AvatarModel::drawAvatar(Painter& painter, int x, int y) {
    try {
        const ActionFrame* frame = playback_.currentFrame();
        if (!frame) return;
        const Tick now = playback_.now();
        const AvatarRecord& r = *record_;
        const int px = clampPosition(std::int64_t{x} + frame->layers[0].x),
                  py = clampPosition(std::int64_t{y} + frame->layers[0].y);
        auto framePictures = [&](bool behind) {
            forEachFramePicture(*frame, behind, [&](const ImageRecord& picture, const auto*, const FrameImage& image) {
                drawImageAt(painter, picture, clampPosition(std::int64_t{x} + image.x),
                            clampPosition(std::int64_t{y} + image.y));
            });
        };
        if (!(r.number >= 0 && r.standingAction == 9999)) {
            framePictures(true);
            if (!r.replaceStanding && playback_.frameShowsBody()) {
                const bool small = r.shadowState == 1 && r.shadowLevel < 5000 && r.mode == -1 && r.number < 0;
                if (small) drawImageAt(painter, spriteImage(kSmallShadowKey), x + 102, y + 103);
                else drawImageAt(painter, cache_->shadow().picture, x + 102, y + 103);
            }
            if (hasTexture(painter, extraPicture_.texture) && ticksBetween(extraSetAt_, now) > kExtraPictureDelay)
                drawImageAt(painter, extraPicture_, x + 185, y + 125);
            const auto& list = store_.pictures[speech_.mouthOpen() ? 1 : 0];
            const auto index = static_cast<std::size_t>(playback_.frameIndex());
            if (index < list.size()) drawImageAt(painter, list[index], px, py);
            framePictures(false);
        }
        if (playback_.frameShowsBody() && parts_.scene) {
            AvatarScene& scene = *parts_.scene;
            if (speech_.showing(now)) {
                const int half = speech_.width() / 2;
                scene.drawBubble(painter, px, py, half, speech_.lineCount() == 2, speech_.style());
                const int tx = px - half + 62;
                const Colour textColour = bubbleTextColour();
                if (speech_.lineCount() == 1) {
                    scene.drawText(painter, speech_.line(0), tx, py - 8, textColour);
                } else {
                    scene.drawText(painter, speech_.line(0), tx, py - 22, textColour);
                    scene.drawText(painter, speech_.line(1), tx, py - 8, textColour);
                }
            }
            if (!settings().labelsOff && !caption_.empty()) {
                const int width = scene.textWidth(caption_);
                const int lx = px - width / 2 + 72, ly = py + 18;
                if (r.number < 0) scene.drawText(painter, caption_, lx, ly, Colour::fromFloats(0, 0, 0, 1));
                scene.drawText(painter, caption_, lx - 1, ly - 1, labelColour(r, settings().nameChoice));
            }
        }
    } catch (...) {
        // Whatever is thrown while drawing (the scene's text and bubble calls included) ends
        // this call only: drawing never takes the window down, and the next paint tries again.
    }
}

const std::uint8_t* AvatarModel::takeSnapshot() {
    snapshot_.fill(255);
    const ActionFrame* frame = playback_.currentFrame();
    if (!frame) return snapshot_.data();
    const Tick now = playback_.now();
    speech_.toggleStep(now);
    drawSnapshotFrame(*frame, now);
    // The name label is left out: drawn with the renderer it would not enter the buffer, and
    // the snapshot has no screen position to draw it at. The screens that show the avatar
    // draw its label through drawAvatar.
    playback_.clockStep(now, notifyValue());
    return snapshot_.data();
}

std::vector<std::uint8_t> AvatarModel::composeSnapshot(std::uint8_t background) {
    // The scene blends the bubble through blendInto, which draws into the snapshot: the
    // picture is drawn there and takeSnapshot's buffer is put back afterwards.
    std::vector<std::uint8_t> picture(kSnapshotBytes, background);
    snapshot_.swap(picture);
    try {
        if (const ActionFrame* frame = playback_.currentFrame()) drawSnapshotFrame(*frame, playback_.now());
    } catch (...) {
        snapshot_.swap(picture);
        throw;
    }
    snapshot_.swap(picture);
    return picture;
}

void AvatarModel::drawSnapshotFrame(const ActionFrame& frame, Tick now) {
    const auto index = static_cast<std::size_t>(playback_.frameIndex());
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
    const SpriteCache::Shadow& s = cache_->shadow();
    if (s.pixels.size() == static_cast<std::size_t>(s.picture.width) * s.picture.height * 4)
        blendInto(s.pixels.data(), clampPosition(std::int64_t{s.picture.xOffset} + 62),
                  clampPosition(std::int64_t{139} - s.picture.yOffset - s.picture.height), s.picture.width,
                  s.picture.height);
    const std::int64_t w3 = frame.layers[0].x, w4 = frame.layers[0].y;
    if (index < store_.copies.size())
        blendInto(store_.copies[index].data(), clampPosition(w3 - 40), clampPosition(242 - w4 - 128), kFrameSize,
                  kFrameSize);
    framePictures(false);
    if (playback_.frameShowsBody() && parts_.scene && speech_.showing(now)) {
        const int bubbleWidth = speech_.width();
        parts_.scene->composeBubble(*this, clampPosition(w3 - 40), clampPosition(w4 - 40), bubbleWidth / 2,
                                    speech_.lineCount() == 2);
        auto line = [&](const std::u16string& text, std::size_t limit, std::int64_t row) {
            std::int64_t column = w3 - bubbleWidth / 2 + 22;
            std::vector<std::uint8_t> pixels;
            for (std::size_t k = 0; k < text.size() && k < limit; ++k) {
                int width = 0, height = 0, advance = 0;
                if (!parts_.scene->renderCharacter(text[k], pixels, width, height, advance)) continue;
                if (pixels.size() >= static_cast<std::size_t>(width) * height * 4)
                    blendInto(pixels.data(), clampPosition(column), clampPosition(row), width, height);
                column = clampPosition(column + advance);
            }
        };
        if (speech_.lineCount() == 1) {
            line(speech_.line(0), 50, 244 - w4);
        } else {
            line(speech_.line(0), 50, 258 - w4);
            line(speech_.line(1), 30, 244 - w4);
        }
    }
}

}  // namespace likenex
