#pragma once
// The labels pictures are painted with and their colours. Labels 1 to 6 are the six key
// greys that the colour, skin and wall tables recolour; all others are fixed colours, none
// of them a grey that recolouring would catch.

#include <array>
#include <cstdint>

#include "tools/avatar-art/LabelCanvas.h"

namespace likenex::art {

struct Rgba {
    std::uint8_t r, g, b, a;
};

namespace label {
inline constexpr Label none = 0;
// Key greys, darkest shade to highlight: the line colour, shadow, soft shadow, base, light
// base and highlight of a recolourable region.
inline constexpr Label line = 1, shadow = 2, soft = 3, base = 4, light = 5, highlight = 6;
// Fixed colours.
inline constexpr Label ink = 7;     // eyes, brows, fixed outlines
inline constexpr Label white = 8;   // eye whites, teeth, highlights in eyes
inline constexpr Label blush = 9;   // cheeks
inline constexpr Label mouth = 10;  // inside of a mouth
inline constexpr Label tongue = 11;
inline constexpr Label hairDark = 12;  // the figure's own short hair
inline constexpr Label hairMid = 13;
inline constexpr Label hairLine = 14;
inline constexpr Label vest = 15;  // the figure's plain vest
inline constexpr Label vestShade = 16;
inline constexpr Label shorts = 17;  // the figure's plain shorts
inline constexpr Label shortsShade = 18;
inline constexpr Label gold = 19;
inline constexpr Label goldShade = 20;
inline constexpr Label red = 21;
inline constexpr Label redShade = 22;
inline constexpr Label green = 23;
inline constexpr Label greenShade = 24;
inline constexpr Label sky = 25;
inline constexpr Label skyShade = 26;
inline constexpr Label cardboard = 27;
inline constexpr Label cardboardShade = 28;
inline constexpr Label cardboardLine = 29;
inline constexpr Label pink = 30;
inline constexpr Label pinkShade = 31;
inline constexpr Label tear = 32;
inline constexpr Label tearLine = 33;
inline constexpr Label shadowGround = 34;  // the ground shadow, half transparent
inline constexpr Label bubble = 35;        // speech bubble body
inline constexpr Label bubbleLine = 36;
inline constexpr Label bubbleWarm = 37;
inline constexpr Label bubbleWarmLine = 38;
inline constexpr Label steel = 39;
inline constexpr Label steelShade = 40;
inline constexpr Label brown = 41;
inline constexpr Label brownShade = 42;
inline constexpr Label purple = 43;
inline constexpr Label purpleShade = 44;
inline constexpr Label glass = 45;  // tinted lenses, half transparent
inline constexpr Label offWhite = 46;
inline constexpr Label offWhiteShade = 47;
inline constexpr Label count = 48;
}  // namespace label

// Colour of each label (alpha scales the coverage) and its weight when two labels share a
// pixel: thin lines and details win against fills so they never vanish.
struct PaletteEntry {
    Rgba colour;
    int weight;
};

const std::array<PaletteEntry, label::count>& palette();

}  // namespace likenex::art
