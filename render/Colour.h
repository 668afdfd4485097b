#pragma once
// A colour in the three forms the back ends want: packed ARGB (Direct3D vertices), 0-255
// integers, and 0.0-1.0 floats (OpenGL). All nine fields are always filled.

#include <cstdint>

namespace likenex {

struct Colour {
    std::uint32_t packed = 0;  // alpha << 24 | red << 16 | green << 8 | blue
    std::int32_t red = 0, green = 0, blue = 0, alpha = 0;
    float redF = 0, greenF = 0, blueF = 0, alphaF = 0;

    static Colour fromPacked(std::uint32_t argb);
    static Colour fromInts(int red, int green, int blue, int alpha);
    static Colour fromFloats(float red, float green, float blue, float alpha);
};

static_assert(sizeof(Colour) == 36, "nine 32-bit fields");

}  // namespace likenex
