#include "avatar/AvatarSpeech.h"

namespace likenex {

namespace {

constexpr std::uint32_t kTogglePeriod = 160;
constexpr int kBubbleLineLimit = 128;
constexpr int kSecondLineLimit = 240;
constexpr int kExtraLetters = 12;

bool asciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

}  // namespace

bool AvatarSpeech::say(AvatarScene* scene, const std::u16string* text, int style, int durationMs, Tick now) {
    if (!text) return false;
    duration_ = durationMs;
    style_ = style;
    const int width = scene ? scene->textWidth(*text) : 0;
    if (width <= kBubbleLineLimit) {
        lines_[0] = *text;
        lines_[1].clear();
        lineCount_ = 1;
        width_ = width + 2;
    } else {
        // Break where the first part reaches half the width, then keep a word of up to 12
        // more ASCII letters on the first line.
        const int length = static_cast<int>(text->size());
        int split = 0;
        while (split < length && 2 * scene->textWidthOf(*text, split) < width) ++split;
        for (int extra = 0;
             extra < kExtraLetters && split < length && asciiLetter((*text)[static_cast<std::size_t>(split)]); ++extra)
            ++split;
        const int firstWidth = scene->textWidthOf(*text, split);
        if (firstWidth > kSecondLineLimit) return false;
        lines_[0] = text->substr(0, static_cast<std::size_t>(split));
        lines_[1] = text->substr(static_cast<std::size_t>(split));
        lineCount_ = 2;
        width_ = firstWidth + 2;
        toggleLimit_ = length;
    }
    saidAt_ = now;
    said_ = true;
    return true;
}

void AvatarSpeech::toggleStep(Tick now) {
    if (!ticksElapsed(lastToggle_, now, kTogglePeriod)) return;
    toggle_ = !toggle_;
    lastToggle_ = now;
    if (talking_ && ++toggleCount_ > toggleLimit_) {
        talking_ = false;
        toggleCount_ = 0;
    }
}

DueIn AvatarSpeech::nextChange(Tick now) const {
    DueIn next = talking_ ? DueIn::in(ticksLeft(lastToggle_, now, kTogglePeriod)) : DueIn::never();
    if (showing(now)) next = next.orSooner(DueIn::in(ticksLeft(saidAt_, now, static_cast<std::uint32_t>(duration_))));
    return next;
}

bool AvatarSpeech::showing(Tick now) const {
    return said_ && duration_ > 0 && !ticksElapsed(saidAt_, now, static_cast<std::uint32_t>(duration_)) &&
           lineCount_ > 0 && !lines_[0].empty();
}

}  // namespace likenex
