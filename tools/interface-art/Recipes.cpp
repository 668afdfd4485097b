// The recipe of every picture: which identifiers make up each nine-patch, strip or single
// picture, and how it is painted. Sizes always come from the skin table.
#include "tools/interface-art/Paint.h"
#include "tools/likenex-data/ToolSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

namespace likenex::iart {
namespace {

using Paint = std::function<void(cairo_t*, int w, int h)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// The sample that nine-patch and strip painters draw: wide enough for every corner shape,
// from which a stretched piece takes one column or row.
constexpr int kSample = 16;

Surface paintSurface(int w, int h, const Paint& paint) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h), &cairo_surface_destroy);
    cairo_t* cr = cairo_create(surface.get());
    paint(cr, w, h);
    cairo_destroy(cr);
    cairo_surface_flush(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) throw ToolError("cairo could not draw a picture");
    return surface;
}

// Straight BGRA, bottom row first, of the rectangle (x, y, w, h) of a premultiplied surface.
// With `repeatColumn` or `repeatRow` set, the first column or row of the rectangle is used
// for all of it, so that a piece that is stretched holds exactly one profile.
SkinImageSource cut(cairo_surface_t* s, int x, int y, int w, int h, bool repeatColumn = false, bool repeatRow = false) {
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    SkinImageSource out;
    out.texW = static_cast<std::uint32_t>(w);
    out.texH = static_cast<std::uint32_t>(h);
    out.pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    std::size_t at = 0;
    for (int row = h - 1; row >= 0; --row) {
        const int sy = y + (repeatRow ? 0 : row);
        for (int col = 0; col < w; ++col) {
            const int sx = x + (repeatColumn ? 0 : col);
            std::uint32_t argb;
            std::memcpy(&argb, data + sy * stride + sx * 4, 4);
            const std::uint32_t a = argb >> 24;
            auto straight = [a](std::uint32_t c) {
                return static_cast<std::uint8_t>(a == 0 ? 0 : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
            };
            out.pixels[at++] = straight(argb & 0xFF);
            out.pixels[at++] = straight((argb >> 8) & 0xFF);
            out.pixels[at++] = straight((argb >> 16) & 0xFF);
            out.pixels[at++] = static_cast<std::uint8_t>(a);
        }
    }
    return out;
}

class Kitchen {
public:
    Kitchen(const std::vector<SkinRow>& rows, const PaletteColours& palettes) : palettes_(palettes) {
        for (const SkinRow& r : rows) rows_[r.identifier] = &r;
    }

    const PaletteColours& palettes() const { return palettes_; }

    const SkinRow& row(std::uint32_t id) const {
        const auto it = rows_.find(id);
        if (it == rows_.end())
            throw ToolError("skin " + std::to_string(id) + " is drawn but not listed in the skin table");
        return *it->second;
    }

    void single(std::uint32_t id, const Paint& paint) {
        const SkinRow& r = row(id);
        Surface s = paintSurface(static_cast<int>(r.width), static_cast<int>(r.height), paint);
        keep(r, cut(s.get(), 0, 0, static_cast<int>(r.width), static_cast<int>(r.height)));
    }

    // A style-1 button: the same content on the normal and the pressed face.
    void button(std::uint32_t normal, std::uint32_t pressed, Face face, double radius,
                const std::function<void(cairo_t*, int w, int h)>& content) {
        for (std::uint32_t id : {normal, pressed})
            single(id, [&, id](cairo_t* cr, int w, int h) {
                paintButton(cr, w, h, id == pressed, face, radius, [&](cairo_t* c) { content(c, w, h); });
            });
    }

    // Pieces 0..8 from one painted sample; corners keep their pixels, the edges and the
    // centre repeat one column or row (or one pixel) of the sample's straight part.
    void ninePatch(const std::array<std::uint32_t, 9>& ids, const Paint& paint) {
        std::array<const SkinRow*, 9> p;
        for (std::size_t k = 0; k < 9; ++k) p[k] = &row(ids[k]);
        const int l = w(p[0]), r = w(p[2]), t = h(p[0]), b = h(p[6]);
        const bool fits = h(p[1]) == t && h(p[2]) == t && w(p[3]) == l && w(p[6]) == l && w(p[5]) == r &&
                          w(p[8]) == r && h(p[7]) == b && h(p[8]) == b && h(p[3]) == h(p[4]) && h(p[5]) == h(p[4]) &&
                          w(p[1]) == w(p[4]) && w(p[7]) == w(p[4]);
        if (!fits) throw ToolError("the pieces of nine-patch " + std::to_string(ids[0]) + " do not fit together");
        const int W = l + kSample + r, H = t + kSample + b;
        ninePatches_.push_back(ids);
        Surface s = paintSurface(W, H, paint);
        const int mw = w(p[4]), mh = h(p[4]);
        keep(*p[0], cut(s.get(), 0, 0, l, t));
        keep(*p[1], cut(s.get(), l, 0, mw, t, true, false));
        keep(*p[2], cut(s.get(), W - r, 0, r, t));
        keep(*p[3], cut(s.get(), 0, t, l, mh, false, true));
        keep(*p[4], cut(s.get(), l, t, mw, mh, true, true));
        keep(*p[5], cut(s.get(), W - r, t, r, mh, false, true));
        keep(*p[6], cut(s.get(), 0, H - b, l, b));
        keep(*p[7], cut(s.get(), l, H - b, mw, b, true, false));
        keep(*p[8], cut(s.get(), W - r, H - b, r, b));
    }

    // Left end, stretched middle, right end of one band.
    void strip(const std::array<std::uint32_t, 3>& ids, const Paint& paint) {
        const SkinRow &a = row(ids[0]), &m = row(ids[1]), &c = row(ids[2]);
        if (a.height != m.height || c.height != m.height)
            throw ToolError("the pieces of strip " + std::to_string(ids[0]) + " differ in height");
        const int l = static_cast<int>(a.width), r = static_cast<int>(c.width), H = static_cast<int>(a.height);
        const int W = l + kSample + r;
        Surface s = paintSurface(W, H, paint);
        keep(a, cut(s.get(), 0, 0, l, H));
        keep(m, cut(s.get(), l, 0, static_cast<int>(m.width), H, true, false));
        keep(c, cut(s.get(), W - r, 0, r, H));
    }

    InterfaceArt serve(const std::vector<SkinRow>& rows) {
        InterfaceArt out;
        out.ninePatches = ninePatches_;
        for (const SkinRow& r : rows) {
            auto it = drawn_.find(r.identifier);
            if (it == drawn_.end())
                throw ToolError("skin " + std::to_string(r.identifier) + " (" + r.family + ") has no recipe");
            out.skins.push_back({r, std::move(it->second)});
        }
        return out;
    }

private:
    static int w(const SkinRow* r) { return static_cast<int>(r->width); }
    static int h(const SkinRow* r) { return static_cast<int>(r->height); }

    void keep(const SkinRow& r, SkinImageSource picture) {
        picture.skinIdentifier = r.identifier;
        picture.layoutWidth = r.layoutWidth;
        picture.layoutHeight = r.layoutHeight;
        if (!drawn_.emplace(r.identifier, std::move(picture)).second)
            throw ToolError("skin " + std::to_string(r.identifier) + " has two recipes");
    }

    const PaletteColours& palettes_;
    std::map<std::uint32_t, const SkinRow*> rows_;
    std::map<std::uint32_t, SkinImageSource> drawn_;
    std::vector<NinePatchIds> ninePatches_;
};

std::array<std::uint32_t, 9> run(std::uint32_t first) {
    std::array<std::uint32_t, 9> ids;
    for (std::uint32_t k = 0; k < 9; ++k) ids[k] = first + k;
    return ids;
}

// Frames of 4-pixel corners keep their radius at 2.5 so that the rounding stays inside the
// corner pieces and the pixel column next to the edge is straight.
void field(cairo_t* cr, int w, int h, Rgb fill, Rgb edge, double radius) {
    roundRect(cr, 0.5, 0.5, w - 1, h - 1, radius);
    setColour(cr, fill);
    cairo_fill_preserve(cr);
    setColour(cr, edge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // A faint inner shadow under the top border makes the field read as sunken.
    cairo_rectangle(cr, radius, 1, w - 2 * radius, 1);
    setColour(cr, Rgb{0, 0, 0}, 0.06);
    cairo_fill(cr);
}

void windowFrame(cairo_t* cr, int w, int h) {
    roundRect(cr, 0, 0, w, h, 6);
    setColour(cr, theme::panel);
    cairo_fill_preserve(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, w, 28);
    verticalGradient(cr, 0, 28, theme::accentLight, theme::accent);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 27, w, 1);
    setColour(cr, theme::accentDark);
    cairo_fill(cr);
    cairo_reset_clip(cr);
    roundRect(cr, 0.5, 0.5, w - 1, h - 1, 5.5);
    setColour(cr, theme::frameBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void titleBand(cairo_t* cr, int w, int h) {
    topRoundRect(cr, 0, 0, w, h, 6);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, w, h);
    verticalGradient(cr, 0, h, theme::white, Rgb{228, 242, 239});
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 0, w, 3);
    setColour(cr, theme::accent);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, h - 1, w, 1);
    setColour(cr, Rgb{190, 211, 207});
    cairo_fill(cr);
    cairo_reset_clip(cr);
    topRoundRect(cr, 0.5, 0.5, w - 1, h + 4, 5.5);
    setColour(cr, theme::frameBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void screenFrame(cairo_t* cr, int w, int h) {
    roundRect(cr, 0, -20, w, h + 20, 8);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, w, h);
    setColour(cr, theme::page);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, h - 20, w, 20);
    verticalGradient(cr, h - 20, h, theme::status, Rgb{220, 231, 228});
    cairo_fill(cr);
    cairo_rectangle(cr, 0, h - 20, w, 1);
    setColour(cr, Rgb{200, 214, 211});
    cairo_fill(cr);
    cairo_reset_clip(cr);
    roundRect(cr, 0.5, -20, w - 1, h + 19.5, 7.5);
    setColour(cr, theme::frameBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void palette(cairo_t* cr, int w, int h, const std::vector<Rgb>& colours) {
    cairo_rectangle(cr, 0, 0, w, h);
    setColour(cr, theme::white);
    cairo_fill(cr);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    setColour(cr, theme::border);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Cells are whole pixels with no anti-aliasing, so every cell pixel is the set's colour.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    for (std::size_t k = 0; k < colours.size(); ++k) {
        const int x = kCellLeft - kPaletteLeft + kCellWidth * static_cast<int>(k % kCellsPerRow);
        const int y = kCellTop - kPaletteTop + kCellHeight * static_cast<int>(k / kCellsPerRow);
        cairo_rectangle(cr, x, y, kCellWidth - 1, kCellHeight - 1);
        setColour(cr, colours[k]);
        cairo_fill(cr);
    }
}

void checkPaletteSize(const SkinRow& r, std::size_t cells) {
    const std::size_t rows = (cells + kCellsPerRow - 1) / kCellsPerRow;
    const std::uint32_t width = kCellsPerRow * kCellWidth + 2,
                        height = static_cast<std::uint32_t>(rows * kCellHeight + 2);
    if (r.width != width || r.height != height)
        throw ToolError("palette " + std::to_string(r.identifier) + " holds " + std::to_string(cells) +
                        " cells and must be " + std::to_string(width) + " by " + std::to_string(height));
}

void text(cairo_t* cr, const char* s, double x, double y, double size, Rgb colour, bool bold) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    setColour(cr, colour);
    cairo_show_text(cr, s);
}

void smiley(cairo_t* cr, double cx, double cy, double r, Rgb skin) {
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    setColour(cr, skin);
    cairo_fill_preserve(cr);
    setColour(cr, theme::ink);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_arc(cr, cx - r * 0.35, cy - r * 0.15, r * 0.11, 0, 2 * M_PI);
    cairo_arc(cr, cx + r * 0.35, cy - r * 0.15, r * 0.11, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy + r * 0.05, r * 0.5, 0.2 * M_PI, 0.8 * M_PI);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void cook(Kitchen& k) {
    using namespace theme;
    // Nine-patch buttons: normal then pressed, 1004011 left out as the button never loads it.
    const std::array<std::uint32_t, 9> primaryPressed = {1004010, 1004012, 1004013, 1004014, 1004015,
                                                         1004016, 1004017, 1004018, 1004019};
    const auto face = [](Face f, bool pressed) {
        return [f, pressed](cairo_t* cr, int w, int h) {
            paintButton(
                cr, w, h, pressed, f, 5, [](cairo_t*) {}, true);
        };
    };
    k.ninePatch(run(1004001), face(Face::accent, false));
    k.ninePatch(primaryPressed, face(Face::accent, true));
    k.ninePatch(run(1001001), face(Face::slate, false));
    k.ninePatch(run(1001010), face(Face::slate, true));
    k.ninePatch(run(1006001), face(Face::light, false));
    k.ninePatch(run(1006010), face(Face::light, true));

    // Title-band buttons: a soft square that turns coral (close) or grey (minimise) when pressed.
    const auto titleButton = [](bool pressed, Rgb pressedFill, const std::function<void(cairo_t*, Rgb)>& glyph) {
        return [=](cairo_t* cr, int w, int h) {
            roundRect(cr, 0.5, 0.5, w - 1, h - 1, 4);
            setColour(cr, pressed ? pressedFill : Rgb{232, 240, 238});
            cairo_fill_preserve(cr);
            setColour(cr, pressed ? mix(pressedFill, ink, 0.3) : border);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
            const double shift = pressed ? 1 : 0;
            inIconBox(cr, shift, shift, w, h,
                      [&](cairo_t* c) { glyph(c, pressed && pressedFill == coral ? white : ink); });
        };
    };
    k.single(1002002, titleButton(false, coral, [](cairo_t* c, Rgb i) { icon::cross(c, i, 2.6); }));
    k.single(1002001, titleButton(true, coral, [](cairo_t* c, Rgb i) { icon::cross(c, i, 2.6); }));
    k.single(500007006, titleButton(false, Rgb{196, 210, 207}, [](cairo_t* c, Rgb i) { icon::bar(c, i); }));
    k.single(500007005, titleButton(true, Rgb{196, 210, 207}, [](cairo_t* c, Rgb i) { icon::bar(c, i); }));

    // Check box and radio button.
    k.single(2001001, [](cairo_t*, int, int) {});
    k.single(2001002, [](cairo_t* cr, int, int) { field(cr, 15, 15, white, Rgb{143, 165, 162}, 3); });
    k.single(2001003, [](cairo_t* cr, int, int) {
        roundRect(cr, 0.5, 0.5, 14, 14, 3);
        setColour(cr, accent);
        cairo_fill_preserve(cr);
        setColour(cr, accentDark);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        inIconBox(cr, 0, 0, 15, 15, [](cairo_t* c) { icon::check(c, white, 3); });
    });
    for (bool selected : {false, true})
        k.single(selected ? 7001002 : 7001001, [selected](cairo_t* cr, int, int) {
            cairo_arc(cr, 7.5, 7.5, 6.5, 0, 2 * M_PI);
            setColour(cr, white);
            cairo_fill_preserve(cr);
            setColour(cr, selected ? accentDark : Rgb{143, 165, 162});
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
            if (!selected) return;
            cairo_arc(cr, 7.5, 7.5, 3.5, 0, 2 * M_PI);
            setColour(cr, accent);
            cairo_fill(cr);
        });

    // Drop-down list.
    k.ninePatch(run(6001001), [](cairo_t* cr, int w, int h) { field(cr, w, h, white, border, 2.5); });
    for (bool pressed : {false, true})
        k.single(pressed ? 3001001 : 3001005, [pressed](cairo_t* cr, int w, int h) {
            roundRect(cr, 0.5, 0.5, w - 1, h - 1, 3);
            if (pressed) setColour(cr, Rgb{188, 225, 219});
            else verticalGradient(cr, 0, h, white, accentPale);
            cairo_fill_preserve(cr);
            setColour(cr, pressed ? accent : border);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
            const double s = pressed ? 1 : 0;
            inIconBox(cr, 2 + s, 2 + s, w - 4, h - 4, [](cairo_t* c) { icon::chevronDown(c, accentDark); });
        });
    k.single(3001004, [](cairo_t* cr, int w, int h) {
        cairo_rectangle(cr, 0, 0, w, h);
        setColour(cr, accentPale);
        cairo_fill(cr);
    });

    // Scroll bar: tracks, arrows and the thumb pieces, vertical then horizontal.
    const Rgb trackFill{237, 241, 240}, trackLine{213, 222, 220}, thumb{147, 171, 167};
    k.single(8001001, [=](cairo_t* cr, int w, int h) {
        cairo_rectangle(cr, 0, 0, w, h);
        setColour(cr, trackFill);
        cairo_fill(cr);
        cairo_rectangle(cr, 0, 0, 1, h);
        setColour(cr, trackLine);
        cairo_fill(cr);
    });
    k.single(8001007, [=](cairo_t* cr, int w, int h) {
        cairo_rectangle(cr, 0, 0, w, h);
        setColour(cr, trackFill);
        cairo_fill(cr);
        cairo_rectangle(cr, 0, 0, w, 1);
        setColour(cr, trackLine);
        cairo_fill(cr);
    });
    const auto scrollArrow = [](double angle, bool held) {
        return [=](cairo_t* cr, int w, int h) {
            roundRect(cr, 0.5, 0.5, w - 1, h - 1, 3);
            setColour(cr, held ? Rgb{185, 202, 198} : Rgb{221, 230, 228});
            cairo_fill_preserve(cr);
            setColour(cr, Rgb{194, 207, 204});
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
            const double s = held ? 1 : 0;
            inIconBox(cr, 1 + s, 1 + s, w - 2, h - 2, [=](cairo_t* c) { icon::triangle(c, ink, angle); });
        };
    };
    const double up = -M_PI / 2, down = M_PI / 2, left = M_PI, right = 0;
    k.single(8001018, scrollArrow(up, false));
    k.single(8001019, scrollArrow(up, true));
    k.single(8001005, scrollArrow(down, false));
    k.single(8001006, scrollArrow(down, true));
    k.single(8001011, scrollArrow(left, false));
    k.single(8001012, scrollArrow(left, true));
    k.single(8001013, scrollArrow(right, false));
    k.single(8001014, scrollArrow(right, true));
    // The thumb is 8 pixels across, centred in its 14-pixel pieces; the caps round its ends
    // by leaving the outer corner pixels half covered.
    const auto thumbPiece = [=](bool vertical, int cap) {  // cap: -1 leading, 0 middle, 1 trailing
        return [=](cairo_t* cr, int w, int h) {
            const int along = vertical ? h : w;
            for (int a = 0; a < along; ++a) {
                const bool end = (cap == -1 && a == 0) || (cap == 1 && a == along - 1);
                for (int c = 3; c <= 10; ++c) {
                    const double alpha = end && (c == 3 || c == 10) ? 0.0 : end && (c == 4 || c == 9) ? 0.6 : 1.0;
                    if (alpha == 0.0) continue;
                    cairo_rectangle(cr, vertical ? c : a, vertical ? a : c, 1, 1);
                    setColour(cr, thumb, alpha);
                    cairo_fill(cr);
                }
            }
        };
    };
    k.single(8001015, thumbPiece(true, -1));
    k.single(8001016, thumbPiece(true, 0));
    k.single(8001017, thumbPiece(true, 1));
    k.single(8001008, thumbPiece(false, -1));
    k.single(8001009, thumbPiece(false, 0));
    k.single(8001010, thumbPiece(false, 1));

    // Frames.
    k.ninePatch(run(4001001), [](cairo_t* cr, int w, int h) { field(cr, w, h, white, border, 2.5); });
    k.ninePatch(run(4002001), [](cairo_t* cr, int w, int h) {
        field(cr, w, h, Rgb{238, 242, 241}, Rgb{199, 209, 207}, 2.5);
    });
    k.ninePatch(run(11004001), [](cairo_t*, int, int) {});
    k.ninePatch(run(12001001), [](cairo_t* cr, int w, int h) {
        roundRect(cr, 0.5, 0.5, w - 1, h - 1, 2.5);
        setColour(cr, Rgb{255, 249, 227});
        cairo_fill_preserve(cr);
        setColour(cr, Rgb{205, 187, 138});
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    });
    k.ninePatch(run(14004001), windowFrame);
    k.strip({16001103, 16001104, 16001105}, titleBand);
    k.ninePatch(run(16001094), screenFrame);
    k.ninePatch({16001075, 16001067, 16001068, 16001069, 16001070, 16001071, 16001072, 16001073, 16001074},
                screenFrame);

    // Logo and the About picture.
    k.single(16001109, [](cairo_t* cr, int, int h) {
        cairo_arc(cr, 22, h / 2.0, 20, 0, 2 * M_PI);
        verticalGradient(cr, 2, h - 2, accentLight, accentDark);
        cairo_fill(cr);
        smiley(cr, 22, h / 2.0, 13, Rgb{255, 226, 196});
        text(cr, "Likenex", 50, 31, 27, ink, true);
    });
    k.single(16001110, [](cairo_t* cr, int w, int h) {
        cairo_save(cr);
        cairo_translate(cr, w / 2.0, h - 5);
        cairo_scale(cr, 1, 0.12);
        cairo_arc(cr, 0, 0, w / 2.0 - 6, 0, 2 * M_PI);
        cairo_restore(cr);
        setColour(cr, accentPale);
        cairo_fill(cr);
        smiley(cr, w / 2.0 - 58, 33, 17, Rgb{241, 194, 160});
        smiley(cr, w / 2.0 + 58, 33, 17, Rgb{196, 140, 104});
        smiley(cr, w / 2.0, 29, 22, Rgb{255, 226, 196});
        cairo_arc(cr, w / 2.0 - 58, 14, 7, M_PI, 2 * M_PI);
        setColour(cr, coral);
        cairo_fill(cr);
        cairo_arc(cr, w / 2.0 + 58, 14, 7, M_PI, 2 * M_PI);
        setColour(cr, accent);
        cairo_fill(cr);
    });

    // Toolbar.
    const auto iconIn = [](double x, double y, double size, std::function<void(cairo_t*)> glyph) {
        return [=](cairo_t* cr, int, int) { inIconBox(cr, x, y, size, size, glyph); };
    };
    k.button(16001041, 16001040, Face::light, 7, iconIn(6, 5, 20, [](cairo_t* c) { icon::plusSheet(c, ink, accent); }));
    k.button(16001053, 16001052, Face::light, 7, iconIn(6, 5, 20, [](cairo_t* c) { icon::magnifier(c, ink, accent); }));
    k.button(16001047, 16001046, Face::light, 7, iconIn(6, 5, 20, [](cairo_t* c) { icon::speech(c, ink, accent); }));
    k.button(16001002, 16001001, Face::light, 7, iconIn(6, 5, 20, [](cairo_t* c) { icon::info(c, ink, accent); }));

    // Page tabs: rounded on top, open at the bottom where they meet the page.
    const auto tab = [&](std::uint32_t normal, std::uint32_t pressed, std::function<void(cairo_t*)> glyph) {
        for (std::uint32_t id : {normal, pressed})
            k.single(id, [=](cairo_t* cr, int w, int h) {
                const bool down = id == pressed;
                topRoundRect(cr, 0.5, 0.5, w - 1, h - 0.5, 7);
                if (down) setColour(cr, Rgb{190, 228, 222});
                else verticalGradient(cr, 0, h, white, Rgb{228, 240, 237});
                cairo_fill_preserve(cr);
                setColour(cr, down ? accent : border);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);
                const double s = down ? 1 : 0;
                inIconBox(cr, 12 + s, 5 + s, 22, 22, glyph);
            });
    };
    tab(16001016, 16001015, [](cairo_t* c) { icon::face(c, ink, coral); });
    tab(16001020, 16001019, [](cairo_t* c) { icon::hat(c, ink, accent); });
    tab(16001030, 16001029, [](cairo_t* c) { icon::dress(c, ink, gold); });
    tab(16001022, 16001021, [](cairo_t* c) { icon::shirt(c, ink, accent); });
    tab(16001024, 16001023, [](cairo_t* c) { icon::trousers(c, ink, gold); });
    tab(16001026, 16001025, [](cairo_t* c) { icon::shoe(c, ink, coral); });
    tab(16001028, 16001027, [](cairo_t* c) { icon::star(c, ink, accent); });
    tab(16001014, 16001013, [](cairo_t* c) { icon::script(c, ink, accent); });
    tab(16001018, 16001017, [](cairo_t* c) { icon::cloudUp(c, ink, accent); });

    // Editor buttons.
    k.button(16001043, 16001042, Face::accent, 6, [](cairo_t* cr, int w, int h) {
        inIconBox(cr, 0, 0, w, h - 2, [](cairo_t* c) { icon::arrow(c, white, 0); });
    });
    k.button(16001066, 16001065, Face::accent, 5, [](cairo_t* cr, int w, int h) {
        inIconBox(cr, 1, 1, w - 2, h - 4, [](cairo_t* c) { icon::plus(c, white, 3.2); });
    });
    const auto small = [](std::function<void(cairo_t*)> glyph) {
        return [glyph](cairo_t* cr, int w, int h) { inIconBox(cr, 2, 1.5, w - 4, h - 4, glyph); };
    };
    k.button(16001003, 16001004, Face::light, 4, small([](cairo_t* c) { icon::arrow(c, accentDark, -M_PI / 2); }));
    k.button(16001010, 16001009, Face::light, 4, small([](cairo_t* c) { icon::arrow(c, accentDark, M_PI / 2); }));
    k.button(16001008, 16001007, Face::light, 4, small([](cairo_t* c) { icon::cross(c, coral, 3); }));
    k.button(16001006, 16001005, Face::accent, 5, [](cairo_t* cr, int w, int h) {
        inIconBox(cr, 3, 2, w - 6, h - 5, [](cairo_t* c) { icon::play(c, white); });
    });
    k.button(16001203, 16001204, Face::light, 4, small([](cairo_t* c) { icon::eraser(c, ink, coral); }));
    k.button(16001205, 16001206, Face::light, 4, small([](cairo_t* c) { icon::turn(c, accentDark); }));
    const auto tiny = [](std::function<void(cairo_t*)> glyph) {
        return [glyph](cairo_t* cr, int w, int h) { inIconBox(cr, 1.5, 1, w - 3, h - 3, glyph); };
    };
    k.button(16001113, 16001114, Face::light, 3, tiny([](cairo_t* c) { icon::personPlus(c, ink, accent); }));
    k.button(16001120, 16001119, Face::light, 3, tiny([](cairo_t* c) { icon::key(c, ink); }));

    // Palettes: cells in the base colours of the sets, so they always match the tables.
    const SkinRow& skins = k.row(16001201);
    checkPaletteSize(skins, k.palettes().skin.size());
    k.single(16001201, [&](cairo_t* cr, int w, int h) { palette(cr, w, h, k.palettes().skin); });
    const SkinRow& colours = k.row(16001202);
    checkPaletteSize(colours, k.palettes().colour.size());
    k.single(16001202, [&](cairo_t* cr, int w, int h) { palette(cr, w, h, k.palettes().colour); });

    // Picture screen.
    k.button(16001092, 16001093, Face::light, 4, small([](cairo_t* c) { icon::globe(c, ink, accent); }));
    k.button(16001077, 16001076, Face::light, 4, small([](cairo_t* c) { icon::copy(c, ink, accent); }));
    k.button(16001106, 16001107, Face::light, 3, tiny([](cairo_t* c) { icon::folder(c, ink, accent); }));
    k.button(16001118, 16001117, Face::light, 7, iconIn(13, 5, 20, [](cairo_t* c) { icon::globe(c, ink, accent); }));
    k.button(16001116, 16001115, Face::accent, 7, iconIn(13, 5, 20, [](cairo_t* c) { icon::check(c, white, 3.2); }));
    k.single(16001090, [](cairo_t* cr, int w, int h) {
        roundRect(cr, 0.5, 0.5, w - 1, h - 1, 8);
        cairo_pattern_t* p = cairo_pattern_create_radial(w / 2.0, h * 0.45, 10, w / 2.0, h * 0.45, h * 0.7);
        cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
        cairo_pattern_add_color_stop_rgb(p, 1, accentPale.r / 255.0, accentPale.g / 255.0, accentPale.b / 255.0);
        cairo_set_source(cr, p);
        cairo_pattern_destroy(p);
        cairo_fill_preserve(cr);
        setColour(cr, border);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_translate(cr, w / 2.0, h - 28);
        cairo_scale(cr, 1, 0.18);
        cairo_arc(cr, 0, 0, 62, 0, 2 * M_PI);
        cairo_restore(cr);
        setColour(cr, ink, 0.10);
        cairo_fill(cr);
    });
    k.single(16001121, [](cairo_t* cr, int w, int h) {
        roundRect(cr, 1, 1, w - 2, h - 2, 10);
        setColour(cr, accent);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_arc(cr, w - 13, h - 13, 10, 0, 2 * M_PI);
        setColour(cr, accent);
        cairo_fill(cr);
        inIconBox(cr, w - 21, h - 21, 16, 16, [](cairo_t* c) {
            roundRect(c, 3, 4, 14, 9, 3);
            cairo_move_to(c, 6, 13);
            cairo_line_to(c, 5, 17);
            cairo_line_to(c, 10, 13);
            setColour(c, white);
            cairo_fill(c);
        });
    });
    k.single(5006008, [](cairo_t* cr, int w, int h) {
        cairo_arc(cr, w / 2.0, h / 2.0, 7, 0, 2 * M_PI);
        setColour(cr, gold);
        cairo_fill_preserve(cr);
        setColour(cr, Rgb{176, 126, 24});
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_arc(cr, w / 2.0, h / 2.0, 4.5, 0, 2 * M_PI);
        setColour(cr, Rgb{255, 226, 140});
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        inIconBox(cr, 4, 4, 8, 8, [](cairo_t* c) { icon::plus(c, Rgb{150, 104, 16}, 4); });
    });
}

}  // namespace

InterfaceArt drawInterface(const std::vector<SkinRow>& rows, const PaletteColours& palettes) {
    Kitchen kitchen(rows, palettes);
    cook(kitchen);
    return kitchen.serve(rows);
}

}  // namespace likenex::iart
