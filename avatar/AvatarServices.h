#pragma once
// What the avatar model needs from the program around it, kept behind small interfaces so
// the model stays free of Win32 and tests can stand in for each piece.

#include <cstdint>
#include <string>
#include <vector>

#include "base/Tick.h"
#include "render/Colour.h"

namespace likenex {

class AvatarModel;
class Painter;

// The system tick count in milliseconds; it wraps to 0 every 2^32 ms, so spans are taken
// with ticksBetween, never by comparing two ticks.
class AvatarClock {
public:
    virtual ~AvatarClock() = default;
    [[nodiscard]] virtual Tick now() const = 0;
};

// Receives the end of an action (WM_AVATAR_ACTION_END to the main window).
class AvatarEvents {
public:
    virtual ~AvatarEvents() = default;
    virtual void actionEnded(std::uint16_t actionId, std::int64_t value) = 0;
};

// Text and speech bubbles, which the application draws for the model.
class AvatarScene {
public:
    virtual ~AvatarScene() = default;
    // Widths in the bubble font.
    [[nodiscard]] virtual int textWidth(const std::u16string& text) = 0;
    [[nodiscard]] virtual int textWidthOf(const std::u16string& text, int count) = 0;
    // Draws text with its baseline at y.
    virtual void drawText(Painter& painter, const std::u16string& text, int x, int y, Colour colour) = 0;
    // The bubble frame on screen, and into the model's snapshot through its blendInto.
    virtual void drawBubble(Painter& painter, int x, int y, int width, bool twoLines, int variant) = 0;
    virtual void composeBubble(AvatarModel& model, int x, int y, int width, bool twoLines) = 0;
    // One character as a block of bottom-row-first BGRA pixels (16 rows) and its advance.
    [[nodiscard]] virtual bool renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height,
                                               int& advance) = 0;
};

// How the program around the model wants labels shown; its owner may share one with every model.
struct AvatarSettings {
    bool nameChoice = false;  // label from the first name and in the "chosen" colours
    bool labelsOff = false;
};
inline constexpr AvatarSettings kDefaultAvatarSettings{};

// How long a said text stays until the first `say` gives its own duration.
inline constexpr std::int32_t kDefaultBubbleDuration = 10000;

}  // namespace likenex
