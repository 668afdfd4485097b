#include "tools/avatar-art/Palette.h"

namespace likenex::art {

const std::array<PaletteEntry, label::count>& palette() {
    static const std::array<PaletteEntry, label::count> entries = [] {
        std::array<PaletteEntry, label::count> p{};
        auto set = [&p](Label l, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255, int w = 1) {
            p[l] = {{r, g, b, a}, w};
        };
        set(label::line, 100, 100, 100, 255, 3);
        set(label::shadow, 180, 180, 180);
        set(label::soft, 218, 218, 218);
        set(label::base, 238, 238, 238);
        set(label::light, 242, 242, 242);
        set(label::highlight, 255, 255, 255, 255, 2);
        set(label::ink, 46, 36, 44, 255, 3);
        set(label::white, 252, 251, 247, 255, 2);
        set(label::blush, 247, 150, 156, 150, 1);
        set(label::mouth, 150, 52, 62, 255, 2);
        set(label::tongue, 240, 120, 128, 255, 2);
        set(label::hairDark, 92, 62, 48);
        set(label::hairMid, 122, 84, 62);
        set(label::hairLine, 58, 38, 32, 255, 3);
        set(label::vest, 250, 248, 243);
        set(label::vestShade, 214, 216, 226);
        set(label::shorts, 104, 128, 178);
        set(label::shortsShade, 78, 98, 148);
        set(label::gold, 250, 206, 84, 255, 2);
        set(label::goldShade, 214, 150, 52, 255, 2);
        set(label::red, 236, 76, 92, 255, 2);
        set(label::redShade, 176, 40, 66, 255, 2);
        set(label::green, 96, 190, 110, 255, 2);
        set(label::greenShade, 52, 134, 84, 255, 2);
        set(label::sky, 120, 190, 246, 255, 2);
        set(label::skyShade, 70, 130, 210, 255, 2);
        set(label::cardboard, 222, 178, 118);
        set(label::cardboardShade, 186, 138, 86);
        set(label::cardboardLine, 122, 82, 48, 255, 3);
        set(label::pink, 252, 166, 196, 255, 2);
        set(label::pinkShade, 226, 108, 150, 255, 2);
        set(label::tear, 150, 214, 252, 230, 2);
        set(label::tearLine, 64, 140, 214, 255, 3);
        set(label::shadowGround, 40, 36, 54, 72);
        set(label::bubble, 44, 52, 74);
        set(label::bubbleLine, 22, 26, 40, 255, 3);
        set(label::bubbleWarm, 150, 52, 84);
        set(label::bubbleWarmLine, 88, 24, 48, 255, 3);
        set(label::steel, 206, 214, 226);
        set(label::steelShade, 150, 160, 178);
        set(label::brown, 150, 102, 70);
        set(label::brownShade, 108, 70, 50);
        set(label::purple, 170, 120, 226, 255, 2);
        set(label::purpleShade, 120, 80, 180, 255, 2);
        set(label::glass, 40, 44, 70, 210, 2);
        set(label::offWhite, 247, 246, 240);
        set(label::offWhiteShade, 206, 210, 222);
        return p;
    }();
    return entries;
}

}  // namespace likenex::art
