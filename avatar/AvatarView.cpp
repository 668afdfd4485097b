// Drawing the avatar's current frame, the playback clock, the speech bubble and the label.
#include "avatar/AvatarModel.h"

#include "base/Position.h"
#include "catalogue/AvatarArchive.h"

namespace likenex {

AvatarModel::Shadow& AvatarModel::shadow() {
    static Shadow s;
    return s;
}

namespace {

constexpr std::uint32_t kTogglePeriod = 160;
constexpr int kBubbleLineLimit = 128;
constexpr int kSecondLineLimit = 240;
constexpr int kExtraLetters = 12;
constexpr std::uint32_t kExtraPictureDelay = 3000;
const Colour kBubbleText = Colour::fromFloats(0.94f, 0.94f, 0.94f, 1);

bool asciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

Colour labelColour(const AvatarRecord& r, bool nameChoice) {
    if (r.flagA) return nameChoice ? Colour::fromFloats(0.757f, 0.757f, 0.757f, 1) : Colour::fromFloats(1, 1, 1, 1);
    if (r.flagB)
        return nameChoice ? Colour::fromFloats(0.969f, 0.388f, 0.118f, 1)
                          : Colour::fromFloats(0.969f, 0.714f, 0.118f, 1);
    return nameChoice ? Colour::fromFloats(0.125f, 0.788f, 1, 1) : Colour::fromFloats(0.624f, 0.824f, 1, 1);
}

}  // namespace

void AvatarModel::setShadowPicture(const ImageRecord& picture, std::vector<std::uint8_t> pixels) {
    shadow().picture = picture;
    shadow().pixels = std::move(pixels);
}

void AvatarModel::setExtraPicture(const ImageRecord& picture) {
    extraPicture_ = picture;
    extraSetAt_ = tickNow();
}

void AvatarModel::toggleStep(Tick now) {
    if (!ticksElapsed(lastToggle_, now, kTogglePeriod)) return;
    toggle_ = !toggle_;
    lastToggle_ = now;
    if (talking_ && ++toggleCount_ > toggleLimit_) {
        talking_ = false;
        toggleCount_ = 0;
    }
}

void AvatarModel::endOfPass() {
    if (actionId_ == kFinalAction) {
        pendingFinal_ = true;
        return;
    }
    pendingNotice_ = 0;
    if (parts_.events) parts_.events->actionEnded(actionId_, record_ ? record_->notifyValue() : 0);
}

void AvatarModel::clockStep(Tick now) {
    const ActionFrame* frame = currentFrame();
    if (!running_ || !frame) return;
    // The duration is an unsigned count of milliseconds, like the ticks it is measured in.
    if (!ticksElapsed(frameStart_, now, static_cast<std::uint32_t>(frame->duration))) return;
    frameStart_ = now;
    ++frameIndex_;
    if (frameIndex_ >= static_cast<int>(action_->frames.size())) {
        if (repeat_) {
            frameIndex_ = 0;
        } else {
            frameIndex_ = static_cast<int>(action_->frames.size()) - 1;
            running_ = false;
        }
        endOfPass();
    }
}

void AvatarModel::drawAvatar(int x, int y) {
    try {
        const ActionFrame* frame = currentFrame();
        if (!frame) return;
        const Tick now = tickNow();
        toggleStep(now);
        const AvatarRecord& r = *record_;
        const int px = clampPosition(std::int64_t{x} + frame->layers[0].x),
                  py = clampPosition(std::int64_t{y} + frame->layers[0].y);
        auto framePictures = [&](bool behind) {
            forEachFramePicture(*frame, behind, [&](const ImageRecord& picture, const auto*, const FrameImage& image) {
                drawImageAt(picture, clampPosition(std::int64_t{x} + image.x),
                            clampPosition(std::int64_t{y} + image.y));
            });
        };
        if (!(r.number >= 0 && r.standingAction == 9999)) {
            framePictures(true);
            if (!r.replaceStanding && frameShowsBody()) {
                const bool small = r.stateA == 1 && r.stateB < 5000 && r.mode == -1 && r.number < 0;
                if (small) drawImageAt(parts_.cache->image(archive(), kSmallShadowKey), x + 102, y + 103);
                else drawImageAt(shadow().picture, x + 102, y + 103);
            }
            if (hasTexture(extraPicture_.texture) && ticksBetween(extraSetAt_, now) > kExtraPictureDelay)
                drawImageAt(extraPicture_, x + 185, y + 125);
            const auto& list = store_.pictures[talking_ && toggle_ ? 1 : 0];
            if (static_cast<std::size_t>(frameIndex_) < list.size())
                drawImageAt(list[static_cast<std::size_t>(frameIndex_)], px, py);
            framePictures(false);
        }
        if (frameShowsBody() && parts_.scene) {
            if (bubbleShowing(now)) {
                const int half = bubbleWidth_ / 2;
                parts_.scene->drawBubble(px, py, half, bubbleLineCount_ == 2, bubbleStyle_);
                const int tx = px - half + 62;
                if (bubbleLineCount_ == 1) {
                    parts_.scene->drawText(bubbleLines_[0], tx, py - 8, kBubbleText);
                } else {
                    parts_.scene->drawText(bubbleLines_[0], tx, py - 22, kBubbleText);
                    parts_.scene->drawText(bubbleLines_[1], tx, py - 8, kBubbleText);
                }
            }
            if (!avatarSettings().labelsOff && !caption_.empty()) {
                const int width = parts_.scene->textWidth(caption_);
                const int lx = px - width / 2 + 72, ly = py + 18;
                if (r.number < 0) parts_.scene->drawText(caption_, lx, ly, Colour::fromFloats(0, 0, 0, 1));
                parts_.scene->drawText(caption_, lx - 1, ly - 1, labelColour(r, avatarSettings().nameChoice));
            }
        }
        clockStep(now);
    } catch (...) {
        // Whatever is thrown while drawing (the scene's text and bubble calls included) ends
        // this call only: drawing never takes the window down, and the next paint tries again.
    }
}

bool AvatarModel::say(const std::u16string* text, int style, int durationMs) {
    if (!text) return false;
    avatarSettings().bubbleDuration = durationMs;
    bubbleStyle_ = style;
    const int width = parts_.scene ? parts_.scene->textWidth(*text) : 0;
    if (width <= kBubbleLineLimit) {
        bubbleLines_[0] = *text;
        bubbleLines_[1].clear();
        bubbleLineCount_ = 1;
        bubbleWidth_ = width + 2;
    } else {
        // Break where the first part reaches half the width, then keep a word of up to 12
        // more ASCII letters on the first line.
        const int length = static_cast<int>(text->size());
        int split = 0;
        while (split < length && 2 * parts_.scene->textWidthOf(*text, split) < width) ++split;
        for (int extra = 0;
             extra < kExtraLetters && split < length && asciiLetter((*text)[static_cast<std::size_t>(split)]); ++extra)
            ++split;
        const int firstWidth = parts_.scene->textWidthOf(*text, split);
        if (firstWidth > kSecondLineLimit) return false;
        bubbleLines_[0] = text->substr(0, static_cast<std::size_t>(split));
        bubbleLines_[1] = text->substr(static_cast<std::size_t>(split));
        bubbleLineCount_ = 2;
        bubbleWidth_ = firstWidth + 2;
        toggleLimit_ = length;
    }
    saidAt_ = tickNow();
    said_ = true;
    return true;
}

}  // namespace likenex
