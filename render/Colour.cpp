#include "render/Colour.h"

#include <cstdint>

namespace likenex {
namespace {

constexpr float kByteToFloat = 0.003921569f;  // 1/255

Colour fromBytes(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    Colour c;
    c.red = static_cast<std::int32_t>(r);
    c.green = static_cast<std::int32_t>(g);
    c.blue = static_cast<std::int32_t>(b);
    c.alpha = static_cast<std::int32_t>(a);
    c.packed = a << 24 | r << 16 | g << 8 | b;
    c.redF = static_cast<float>(r) * kByteToFloat;
    c.greenF = static_cast<float>(g) * kByteToFloat;
    c.blueF = static_cast<float>(b) * kByteToFloat;
    c.alphaF = static_cast<float>(a) * kByteToFloat;
    return c;
}

}  // namespace

Colour Colour::fromPacked(std::uint32_t argb) {
    return fromBytes(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF, argb >> 24);
}

Colour Colour::fromInts(int red, int green, int blue, int alpha) {
    Colour c = fromBytes(static_cast<std::uint32_t>(red) & 0xFF, static_cast<std::uint32_t>(green) & 0xFF,
                         static_cast<std::uint32_t>(blue) & 0xFF, static_cast<std::uint32_t>(alpha) & 0xFF);
    // The integer fields keep what the caller gave; only the packed value takes the low bytes.
    c.red = red;
    c.green = green;
    c.blue = blue;
    c.alpha = alpha;
    c.redF = static_cast<float>(red) * kByteToFloat;
    c.greenF = static_cast<float>(green) * kByteToFloat;
    c.blueF = static_cast<float>(blue) * kByteToFloat;
    c.alphaF = static_cast<float>(alpha) * kByteToFloat;
    return c;
}

Colour Colour::fromFloats(float red, float green, float blue, float alpha) {
    // Truncation toward zero; values no 32-bit integer can hold (and NaN) saturate instead of
    // being undefined.
    auto toInt = [](float f) -> std::int32_t {
        float scaled = f * 255.0f;
        if (!(scaled == scaled)) return 0;
        if (scaled >= 2147483520.0f) return INT32_MAX;
        if (scaled <= -2147483648.0f) return INT32_MIN;
        return static_cast<std::int32_t>(scaled);
    };
    Colour c;
    c.red = toInt(red);
    c.green = toInt(green);
    c.blue = toInt(blue);
    c.alpha = toInt(alpha);
    c.packed = (static_cast<std::uint32_t>(c.alpha) & 0xFF) << 24 | (static_cast<std::uint32_t>(c.red) & 0xFF) << 16 |
               (static_cast<std::uint32_t>(c.green) & 0xFF) << 8 | (static_cast<std::uint32_t>(c.blue) & 0xFF);
    c.redF = red;
    c.greenF = green;
    c.blueF = blue;
    c.alphaF = alpha;
    return c;
}

}  // namespace likenex
