#pragma once
// What the avatar says: the text broken into the bubble's one or two lines, how long it shows
// and in which bubble style, and the talking mouth that toggles while it shows.

#include <cstdint>
#include <string>

#include "avatar/AvatarServices.h"
#include "base/Tick.h"

namespace likenex {

class AvatarSpeech {
public:
    // Breaks the text where the scene measures it (without a scene every text is one line of
    // width 0). False, with the lines unchanged, for no text or a first line too wide; the
    // duration and style are taken either way.
    [[nodiscard]] bool say(AvatarScene* scene, const std::u16string* text, int style, int durationMs, Tick now);
    void setTalking(bool talking) { talking_ = talking; }
    // Every 160 ms the mouth toggles; a talking avatar falls silent after as many toggles as
    // its two-line text has characters.
    void toggleStep(Tick now);
    // Whether the talking picture (variant 1) shows now.
    [[nodiscard]] bool mouthOpen() const { return talking_ && toggle_; }
    // Whether the said text still shows at `now`; a negative duration shows nothing.
    [[nodiscard]] bool showing(Tick now) const;
    // When what shows next changes: the mouth's next toggle while talking, the bubble's end.
    [[nodiscard]] DueIn nextChange(Tick now) const;

    [[nodiscard]] const std::u16string& line(int line) const { return lines_[line]; }
    [[nodiscard]] int lineCount() const { return lineCount_; }
    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int style() const { return style_; }
    [[nodiscard]] std::int32_t duration() const { return duration_; }

private:
    bool talking_ = false;
    bool toggle_ = false;
    int toggleCount_ = 0;
    int toggleLimit_ = 0;
    Tick lastToggle_ = 0;
    std::u16string lines_[2];
    int lineCount_ = 0;
    int width_ = 0;
    int style_ = 0;
    std::int32_t duration_ = kDefaultBubbleDuration;
    Tick saidAt_ = 0;
    bool said_ = false;
};

}  // namespace likenex
