// Draws the pictures that Likenex.exe carries as resources: the program icon (a cheerful
// round face, at 16, 32 and 48 pixels), the two check images of the tray menu (an eye for
// Show, a cross for Quit) and the pointing-hand cursor shown over buttons; and those of
// Update.exe: its dialog's background and picture buttons. Run by the build; nothing it makes
// is committed.
//
//   likenex-resource-art OUTPUT_DIR   writes likenex.ico, show.bmp, quit.bmp, hand.cur, update-*.bmp

#include "base/ByteIo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using likenex::ByteWriter;

struct Rgba {
    double r, g, b, a;
};

// A canvas of premultiplied-free straight-alpha pixels, top row first; square unless a
// height is given (`size` is then the width).
struct Canvas {
    explicit Canvas(int size) : Canvas(size, size) {}
    Canvas(int width, int height)
        : size(width), width(width), height(height), pixels(static_cast<size_t>(width * height), Rgba{0, 0, 0, 0}) {}
    int size;
    int width, height;
    std::vector<Rgba> pixels;

    // Paints `colour` where inside(x, y) holds, in unit coordinates (0..1 across and down the
    // canvas), anti-aliased by 4 x 4 supersampling.
    void paint(const std::function<bool(double, double)>& inside, Rgba colour) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        if (inside((x + (sx + 0.5) / 4) / width, (y + (sy + 0.5) / 4) / height)) ++hits;
                if (!hits) continue;
                double cover = colour.a * hits / 16.0;
                Rgba& d = pixels[static_cast<size_t>(y * width + x)];
                double outA = cover + d.a * (1 - cover);
                auto mix = [&](double s, double t) {
                    return outA > 0 ? (s * cover + t * d.a * (1 - cover)) / outA : 0;
                };
                d = Rgba{mix(colour.r, d.r), mix(colour.g, d.g), mix(colour.b, d.b), outA};
            }
        }
    }
};

bool insideEllipse(double x, double y, double cx, double cy, double rx, double ry) {
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1;
}

Rgba rgb(int r, int g, int b, double a = 1) { return Rgba{r / 255.0, g / 255.0, b / 255.0, a}; }

Canvas drawFace(int size) {
    Canvas c(size);
    double outline = size >= 32 ? 0.05 : 0.07;
    c.paint([&](double x, double y) { return insideEllipse(x, y, 0.5, 0.52, 0.47, 0.45); }, rgb(90, 58, 42));
    c.paint([&](double x, double y) { return insideEllipse(x, y, 0.5, 0.52, 0.47 - outline, 0.45 - outline); },
            rgb(255, 214, 170));
    // Hair fringe across the top.
    c.paint(
        [&](double x, double y) {
            return insideEllipse(x, y, 0.5, 0.52, 0.47 - outline, 0.45 - outline) && y < 0.30 + 0.05 * std::sin(x * 18);
        },
        rgb(120, 72, 48));
    for (double ex : {0.35, 0.65}) {
        c.paint([&](double x, double y) { return insideEllipse(x, y, ex, 0.50, 0.065, 0.09); }, rgb(50, 36, 40));
        c.paint([&](double x, double y) { return insideEllipse(x, y, ex + 0.02, 0.47, 0.022, 0.03); },
                rgb(255, 255, 255));
        c.paint([&](double x, double y) { return insideEllipse(x, y, ex - 0.05, 0.64, 0.07, 0.045); },
                rgb(255, 140, 140, 0.6));
    }
    // Smile: a band between two circles, lower half only.
    c.paint(
        [&](double x, double y) {
            double d = std::hypot(x - 0.5, y - 0.58);
            return y > 0.62 && d < 0.17 && d > 0.17 - (size >= 32 ? 0.045 : 0.07);
        },
        rgb(150, 60, 60));
    return c;
}

Canvas drawShowMark(int size) {
    Canvas c(size);
    c.paint([](double x, double y) { return insideEllipse(x, y, 0.5, 0.5, 0.46, 0.28); }, rgb(40, 110, 200));
    c.paint([](double x, double y) { return insideEllipse(x, y, 0.5, 0.5, 0.34, 0.18); }, rgb(255, 255, 255));
    c.paint([](double x, double y) { return insideEllipse(x, y, 0.5, 0.5, 0.16, 0.16); }, rgb(40, 110, 200));
    return c;
}

Canvas drawQuitMark(int size) {
    Canvas c(size);
    auto bar = [](double x, double y, double slope) {
        double d = std::fabs((y - 0.5) - slope * (x - 0.5)) / std::sqrt(1 + slope * slope);
        return d < 0.11 && std::hypot(x - 0.5, y - 0.5) < 0.42;
    };
    c.paint([&](double x, double y) { return bar(x, y, 1) || bar(x, y, -1); }, rgb(210, 50, 50));
    return c;
}

// A white pointing hand with a dark outline, the index finger up; its tip is the hot spot.
constexpr double kHandTipX = 0.34, kHandTipY = 0.03;

Canvas drawHand(int size) {
    Canvas c(size);
    auto roundedBox = [](double x, double y, double l, double t, double r, double b, double radius) {
        const double cx = std::clamp(x, l + radius, r - radius), cy = std::clamp(y, t + radius, b - radius);
        return std::hypot(x - cx, y - cy) <= radius && x >= l && x <= r && y >= t && y <= b;
    };
    auto hand = [&](double x, double y, double grow) {
        return roundedBox(x, y, 0.27 - grow, kHandTipY - grow, 0.41 + grow, 0.62, 0.07 + grow) ||  // index finger
               roundedBox(x, y, 0.41 - grow, 0.36 - grow, 0.54 + grow, 0.62, 0.065 + grow) ||      // middle
               roundedBox(x, y, 0.54 - grow, 0.40 - grow, 0.67 + grow, 0.62, 0.065 + grow) ||      // ring
               roundedBox(x, y, 0.67 - grow, 0.45 - grow, 0.79 + grow, 0.66, 0.06 + grow) ||       // little
               roundedBox(x, y, 0.10 - grow, 0.50 - grow, 0.30, 0.68 + grow, 0.07 + grow) ||       // thumb
               roundedBox(x, y, 0.24 - grow, 0.55 - grow, 0.79 + grow, 0.97 + grow, 0.14 + grow);  // palm
    };
    c.paint([&](double x, double y) { return hand(x, y, 0.045); }, rgb(20, 20, 20));
    c.paint([&](double x, double y) { return hand(x, y, 0.0); }, rgb(255, 255, 255));
    return c;
}

// ---- Update.exe's dialog ----------------------------------------------------------------
// The background (425 x 274: a light gradient under a blue strip that drags the window) and
// the picture buttons, each up and pressed: the action button with a download arrow, then,
// once there is nothing to install, with a check mark; the close button with a cross.

Canvas drawUpdateBackground() {
    constexpr int kW = 425, kH = 274;
    Canvas c(kW, kH);
    for (int band = 0; band < kH; ++band) {
        const double t = static_cast<double>(band) / kH;
        c.paint([&](double, double y) { return y * kH >= band && y * kH < band + 1; },
                rgb(static_cast<int>(236 - 20 * t), static_cast<int>(243 - 16 * t), 250));
    }
    c.paint([](double, double y) { return y * kH < 20; }, rgb(52, 110, 180));
    c.paint([](double, double y) { return y * kH >= 20 && y * kH < 22; }, rgb(30, 80, 140));
    // A frame around the news area (16,31 393 x 144).
    c.paint(
        [](double x, double y) {
            const double px = x * kW, py = y * kH;
            return px >= 14 && px < 411 && py >= 29 && py < 177;
        },
        rgb(150, 170, 195));
    return c;
}

// A button face of `width` x 20: a rounded box in `fill`, darker and one pixel lower when
// pressed, with `mark` (in pixels of the face) painted white on it.
Canvas drawButtonFace(int width, Rgba fill, bool pressed, const std::function<bool(double, double)>& mark) {
    constexpr int kH = 20;
    Canvas c(width, kH);
    const double shift = pressed ? 1 : 0;
    auto box = [&](double x, double y, double inset) {
        const double px = x * width, py = y * kH - shift, radius = 5 - inset;
        const double l = inset, t = inset, r = width - inset, b = kH - 1 - inset;
        const double cx = std::clamp(px, l + radius, r - radius), cy = std::clamp(py, t + radius, b - radius);
        return px >= l && px <= r && py >= t && py <= b && std::hypot(px - cx, py - cy) <= radius;
    };
    c.paint([](double, double) { return true; }, rgb(236, 242, 250));
    c.paint([&](double x, double y) { return box(x, y, 0); }, rgb(40, 60, 90));
    const double dim = pressed ? 0.8 : 1.0;
    c.paint([&](double x, double y) { return box(x, y, 1); }, Rgba{fill.r * dim, fill.g * dim, fill.b * dim, 1});
    c.paint([&](double x, double y) { return mark(x * width, y * kH - shift); }, rgb(255, 255, 255));
    return c;
}

bool nearSegment(double x, double y, double ax, double ay, double bx, double by, double half) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy)) <= half;
}

Canvas drawActionButton(bool pressed) {
    // A download arrow over a tray, centred on the 68-pixel face.
    return drawButtonFace(68, rgb(60, 150, 80), pressed, [](double x, double y) {
        return nearSegment(x, y, 34, 4, 34, 12, 1.3) || nearSegment(x, y, 30, 9, 34, 13, 1.3) ||
               nearSegment(x, y, 38, 9, 34, 13, 1.3) || nearSegment(x, y, 27, 15, 41, 15, 1.1);
    });
}

Canvas drawDoneButton(bool pressed) {
    return drawButtonFace(68, rgb(50, 110, 190), pressed, [](double x, double y) {
        return nearSegment(x, y, 28, 10, 32, 14, 1.5) || nearSegment(x, y, 32, 14, 40, 5, 1.5);
    });
}

Canvas drawCloseButton(bool pressed) {
    return drawButtonFace(45, rgb(190, 70, 60), pressed, [](double x, double y) {
        return nearSegment(x, y, 18, 5, 27, 14, 1.4) || nearSegment(x, y, 27, 5, 18, 14, 1.4);
    });
}

std::uint8_t channel(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

void putInfoHeader(ByteWriter& out, int width, int height, int bits, std::uint32_t imageSize) {
    out.u32(40);
    out.u32(static_cast<std::uint32_t>(width));
    out.u32(static_cast<std::uint32_t>(height));
    out.u16(1);
    out.u16(static_cast<std::uint16_t>(bits));
    out.u32(0);  // BI_RGB
    out.u32(imageSize);
    out.u32(2835);
    out.u32(2835);
    out.u32(0);
    out.u32(0);
}

// One icon image: 32-bit colour with alpha, bottom row first, then an all-clear AND mask.
std::vector<std::uint8_t> iconImage(const Canvas& c) {
    ByteWriter out;
    std::uint32_t maskRow = static_cast<std::uint32_t>((c.size + 31) / 32 * 4);
    putInfoHeader(out, c.size, c.size * 2, 32, static_cast<std::uint32_t>(c.size * c.size * 4) + maskRow * c.size);
    for (int y = c.size - 1; y >= 0; --y) {
        for (int x = 0; x < c.size; ++x) {
            const Rgba& p = c.pixels[static_cast<size_t>(y * c.size + x)];
            out.append(std::array{channel(p.b), channel(p.g), channel(p.r), channel(p.a)});
        }
    }
    out.append(std::vector<std::uint8_t>(maskRow * static_cast<std::uint32_t>(c.size), 0));
    return out.take();
}

// An icon file, or with a hot spot a cursor file (type 2, whose directory entries carry the
// hot spot where an icon's carry planes and bits).
std::vector<std::uint8_t> iconFile(const std::vector<Canvas>& images, const double* hotSpot = nullptr) {
    ByteWriter out;
    out.u16(0);
    out.u16(hotSpot ? 2 : 1);
    out.u16(static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const Canvas& c : images) {
        bodies.push_back(iconImage(c));
        out.u8(static_cast<std::uint8_t>(c.size));
        out.u8(static_cast<std::uint8_t>(c.size));
        out.u8(0);
        out.u8(0);
        if (hotSpot) {
            out.u16(static_cast<std::uint16_t>(std::lround(hotSpot[0] * c.size)));
            out.u16(static_cast<std::uint16_t>(std::lround(hotSpot[1] * c.size)));
        } else {
            out.u16(1);
            out.u16(32);
        }
        out.u32(static_cast<std::uint32_t>(bodies.back().size()));
        out.u32(offset);
        offset += static_cast<std::uint32_t>(bodies.back().size());
    }
    for (const auto& body : bodies) out.append(body);
    return out.take();
}

// A 24-bit bitmap with the picture over a white background.
std::vector<std::uint8_t> bitmapFile(const Canvas& c) {
    std::uint32_t row = static_cast<std::uint32_t>((c.width * 3 + 3) / 4 * 4);
    std::uint32_t imageSize = row * static_cast<std::uint32_t>(c.height);
    ByteWriter out;
    out.u8('B');
    out.u8('M');
    out.u32(54 + imageSize);
    out.u32(0);
    out.u32(54);
    putInfoHeader(out, c.width, c.height, 24, imageSize);
    for (int y = c.height - 1; y >= 0; --y) {
        for (int x = 0; x < c.width; ++x) {
            const Rgba& p = c.pixels[static_cast<size_t>(y * c.width + x)];
            auto over = [&](double v) { return channel(v * p.a + (1 - p.a)); };
            out.append(std::array{over(p.b), over(p.g), over(p.r)});
        }
        out.append(std::vector<std::uint8_t>(row - static_cast<std::uint32_t>(c.width * 3), 0));
    }
    return out.take();
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

constexpr double kHandHotSpot[2] = {kHandTipX + 0.07, kHandTipY + 0.01};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr,
                     "usage: likenex-resource-art OUTPUT_DIR\n"
                     "Writes likenex.ico, show.bmp, quit.bmp and hand.cur (Likenex.exe) and\n"
                     "update-*.bmp (Update.exe) into OUTPUT_DIR.\n");
        return argc == 2 ? 0 : 1;
    }
    std::string dir = argv[1];
    bool ok = writeFile(dir + "/likenex.ico", iconFile({drawFace(48), drawFace(32), drawFace(16)})) &&
              writeFile(dir + "/show.bmp", bitmapFile(drawShowMark(13))) &&
              writeFile(dir + "/quit.bmp", bitmapFile(drawQuitMark(13))) &&
              writeFile(dir + "/hand.cur", iconFile({drawHand(32)}, kHandHotSpot)) &&
              writeFile(dir + "/update-background.bmp", bitmapFile(drawUpdateBackground())) &&
              writeFile(dir + "/update-action-up.bmp", bitmapFile(drawActionButton(false))) &&
              writeFile(dir + "/update-action-down.bmp", bitmapFile(drawActionButton(true))) &&
              writeFile(dir + "/update-done-up.bmp", bitmapFile(drawDoneButton(false))) &&
              writeFile(dir + "/update-done-down.bmp", bitmapFile(drawDoneButton(true))) &&
              writeFile(dir + "/update-close-up.bmp", bitmapFile(drawCloseButton(false))) &&
              writeFile(dir + "/update-close-down.bmp", bitmapFile(drawCloseButton(true)));
    if (!ok) {
        std::fprintf(stderr, "likenex-resource-art: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
