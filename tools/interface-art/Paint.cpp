#include "tools/interface-art/Paint.h"

#include <algorithm>
#include <cmath>

namespace likenex::iart {

namespace {
constexpr double kPi = 3.14159265358979323846;

void strokeWith(cairo_t* cr, Rgb c, double width) {
    setColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void fillWith(cairo_t* cr, Rgb c, double alpha = 1.0) {
    setColour(cr, c, alpha);
    cairo_fill(cr);
}
}  // namespace

void setColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

Rgb mix(Rgb a, Rgb b, double t) {
    auto one = [t](std::uint8_t x, std::uint8_t y) { return static_cast<std::uint8_t>(std::lround(x + (y - x) * t)); };
    return {one(a.r, b.r), one(a.g, b.g), one(a.b, b.b)};
}

void roundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void topRoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_line_to(cr, x + w, y + h);
    cairo_line_to(cr, x, y + h);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void verticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(p, 0, top.r / 255.0, top.g / 255.0, top.b / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.r / 255.0, bottom.g / 255.0, bottom.b / 255.0);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void paintButton(cairo_t* cr, int w, int h, bool pressed, Face face, double radius,
                 const std::function<void(cairo_t*)>& content, bool flat) {
    if (face != Face::plain) {
        const bool accent = face != Face::light;
        const bool slate = face == Face::slate;
        const Rgb bottom = slate ? theme::slate : accent ? theme::accent : Rgb{234, 242, 240};
        const Rgb edge = slate ? theme::slateDark : accent ? theme::accentDark : theme::border;
        const Rgb lip = slate ? Rgb{58, 71, 78} : accent ? Rgb{24, 96, 88} : Rgb{196, 208, 206};
        const Rgb light = slate ? Rgb{126, 144, 152} : accent ? theme::accentLight : theme::white;
        const Rgb top = flat ? mix(light, bottom, 0.5) : light;
        if (!pressed) {
            roundRect(cr, 0, 1, w, h - 1, radius);
            fillWith(cr, lip);
            roundRect(cr, 0.5, 0.5, w - 1, h - 2.5, radius - 0.5);
            verticalGradient(cr, 0, h - 2, top, flat ? top : bottom);
            cairo_fill_preserve(cr);
            strokeWith(cr, edge, 1);
            cairo_move_to(cr, radius, 1.5);
            cairo_line_to(cr, w - radius, 1.5);
            setColour(cr, theme::white, accent ? 0.35 : 0.9);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        } else {
            roundRect(cr, 0.5, 1.5, w - 1, h - 2, radius - 0.5);
            verticalGradient(cr, 1, h, mix(bottom, edge, 0.35), flat ? mix(bottom, edge, 0.35) : mix(top, edge, 0.2));
            cairo_fill_preserve(cr);
            strokeWith(cr, edge, 1);
            cairo_move_to(cr, radius, 2.5);
            cairo_line_to(cr, w - radius, 2.5);
            setColour(cr, Rgb{0, 0, 0}, 0.12);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        }
    }
    cairo_save(cr);
    if (pressed) cairo_translate(cr, 1, 1);
    content(cr);
    cairo_restore(cr);
}

void inIconBox(cairo_t* cr, double x, double y, double w, double h, const std::function<void(cairo_t*)>& draw) {
    const double s = std::min(w, h) / 20.0;
    cairo_save(cr);
    cairo_translate(cr, x + (w - 20 * s) / 2, y + (h - 20 * s) / 2);
    cairo_scale(cr, s, s);
    draw(cr);
    cairo_restore(cr);
}

namespace icon {

void plusSheet(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_move_to(cr, 4, 2);
    cairo_line_to(cr, 12, 2);
    cairo_line_to(cr, 16, 6);
    cairo_line_to(cr, 16, 18);
    cairo_line_to(cr, 4, 18);
    cairo_close_path(cr);
    setColour(cr, theme::white);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.6);
    cairo_move_to(cr, 12, 2);
    cairo_line_to(cr, 12, 6);
    cairo_line_to(cr, 16, 6);
    strokeWith(cr, ink, 1.2);
    cairo_arc(cr, 14, 14, 5, 0, 2 * kPi);
    fillWith(cr, accent);
    cairo_move_to(cr, 14, 11.5);
    cairo_line_to(cr, 14, 16.5);
    cairo_move_to(cr, 11.5, 14);
    cairo_line_to(cr, 16.5, 14);
    strokeWith(cr, theme::white, 1.8);
}

void magnifier(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_arc(cr, 8.5, 8.5, 5.5, 0, 2 * kPi);
    setColour(cr, accent, 0.25);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 2.2);
    cairo_move_to(cr, 12.8, 12.8);
    cairo_line_to(cr, 17.5, 17.5);
    strokeWith(cr, ink, 3);
}

void speech(cairo_t* cr, Rgb ink, Rgb accent) {
    roundRect(cr, 1.5, 2.5, 11, 8, 2.5);
    cairo_move_to(cr, 4, 10.5);
    cairo_line_to(cr, 3.5, 13.5);
    cairo_line_to(cr, 7, 10.5);
    setColour(cr, accent);
    cairo_fill(cr);
    roundRect(cr, 7.5, 8.5, 11, 8, 2.5);
    cairo_move_to(cr, 15, 16.5);
    cairo_line_to(cr, 16.5, 19);
    cairo_line_to(cr, 12.5, 16.5);
    setColour(cr, theme::white);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.4);
    // "A" in the first bubble, two lines of text in the second.
    cairo_move_to(cr, 4.6, 9);
    cairo_line_to(cr, 7, 4);
    cairo_line_to(cr, 9.4, 9);
    cairo_move_to(cr, 5.6, 7.3);
    cairo_line_to(cr, 8.4, 7.3);
    strokeWith(cr, theme::white, 1.2);
    cairo_move_to(cr, 10.5, 11.5);
    cairo_line_to(cr, 15.5, 11.5);
    cairo_move_to(cr, 10.5, 13.8);
    cairo_line_to(cr, 14, 13.8);
    strokeWith(cr, ink, 1.2);
}

void info(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_arc(cr, 10, 10, 8, 0, 2 * kPi);
    setColour(cr, accent);
    cairo_fill(cr);
    cairo_arc(cr, 10, 6, 1.4, 0, 2 * kPi);
    fillWith(cr, theme::white);
    cairo_move_to(cr, 10, 9);
    cairo_line_to(cr, 10, 15);
    strokeWith(cr, theme::white, 2.2);
    (void)ink;
}

void cross(cairo_t* cr, Rgb ink, double width) {
    cairo_move_to(cr, 5, 5);
    cairo_line_to(cr, 15, 15);
    cairo_move_to(cr, 15, 5);
    cairo_line_to(cr, 5, 15);
    strokeWith(cr, ink, width);
}

void bar(cairo_t* cr, Rgb ink) {
    cairo_move_to(cr, 5, 14);
    cairo_line_to(cr, 15, 14);
    strokeWith(cr, ink, 2.6);
}

void face(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_arc(cr, 10, 10, 8, 0, 2 * kPi);
    setColour(cr, Rgb{255, 214, 170});
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.5);
    cairo_arc(cr, 7, 8, 1.2, 0, 2 * kPi);
    cairo_arc(cr, 13, 8, 1.2, 0, 2 * kPi);
    fillWith(cr, ink);
    cairo_arc(cr, 10, 10.5, 4.2, 0.15 * kPi, 0.85 * kPi);
    strokeWith(cr, accent, 1.6);
}

void hat(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_move_to(cr, 5, 13);
    cairo_curve_to(cr, 5, 4, 15, 4, 15, 13);
    cairo_close_path(cr);
    setColour(cr, accent);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.3);
    roundRect(cr, 2, 12.5, 16, 3.5, 1.7);
    setColour(cr, theme::accentDark);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.3);
}

void dress(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_move_to(cr, 7.5, 2);
    cairo_line_to(cr, 12.5, 2);
    cairo_line_to(cr, 12, 8);
    cairo_line_to(cr, 17, 18);
    cairo_line_to(cr, 3, 18);
    cairo_line_to(cr, 8, 8);
    cairo_close_path(cr);
    setColour(cr, theme::coral);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.3);
    cairo_move_to(cr, 8, 8);
    cairo_line_to(cr, 12, 8);
    strokeWith(cr, accent, 1.6);
}

void shirt(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_move_to(cr, 7, 3);
    cairo_line_to(cr, 2, 6);
    cairo_line_to(cr, 4, 10);
    cairo_line_to(cr, 6, 9);
    cairo_line_to(cr, 6, 17);
    cairo_line_to(cr, 14, 17);
    cairo_line_to(cr, 14, 9);
    cairo_line_to(cr, 16, 10);
    cairo_line_to(cr, 18, 6);
    cairo_line_to(cr, 13, 3);
    cairo_curve_to(cr, 12, 5, 8, 5, 7, 3);
    cairo_close_path(cr);
    setColour(cr, accent);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.3);
}

void trousers(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_move_to(cr, 5, 2.5);
    cairo_line_to(cr, 15, 2.5);
    cairo_line_to(cr, 16, 18);
    cairo_line_to(cr, 11.5, 18);
    cairo_line_to(cr, 10, 8);
    cairo_line_to(cr, 8.5, 18);
    cairo_line_to(cr, 4, 18);
    cairo_close_path(cr);
    setColour(cr, Rgb{88, 116, 168});
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.3);
    cairo_move_to(cr, 5, 5);
    cairo_line_to(cr, 15, 5);
    strokeWith(cr, accent, 1.2);
}

void shoe(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_move_to(cr, 3, 6);
    cairo_line_to(cr, 8, 6);
    cairo_curve_to(cr, 9, 9, 11, 10, 15, 11);
    cairo_curve_to(cr, 18, 11.5, 18, 15, 17, 15);
    cairo_line_to(cr, 3, 15);
    cairo_close_path(cr);
    setColour(cr, accent);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.3);
    cairo_move_to(cr, 3, 15.5);
    cairo_line_to(cr, 17, 15.5);
    strokeWith(cr, ink, 2);
}

void star(cairo_t* cr, Rgb ink, Rgb accent) {
    for (int k = 0; k < 10; ++k) {
        const double a = -kPi / 2 + k * kPi / 5;
        const double r = k % 2 == 0 ? 8.5 : 3.8;
        const double x = 10 + r * std::cos(a), y = 10.5 + r * std::sin(a);
        if (k == 0) cairo_move_to(cr, x, y);
        else cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    setColour(cr, theme::gold);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.2);
    (void)accent;
}

void script(cairo_t* cr, Rgb ink, Rgb accent) {
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 2.5, 4 + 5 * i);
        cairo_line_to(cr, 3.5, 4 + 5 * i);
        cairo_move_to(cr, 6, 4 + 5 * i);
        cairo_line_to(cr, i == 2 ? 9 : 12, 4 + 5 * i);
    }
    strokeWith(cr, ink, 1.8);
    cairo_move_to(cr, 12, 10);
    cairo_line_to(cr, 18.5, 14);
    cairo_line_to(cr, 12, 18);
    cairo_close_path(cr);
    setColour(cr, accent);
    cairo_fill(cr);
}

void cloudUp(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, 6, 11, 3.5, kPi / 2, 3 * kPi / 2);
    cairo_arc(cr, 10.5, 7.5, 4.5, kPi, 2 * kPi);
    cairo_arc(cr, 15, 11, 3.5, 3 * kPi / 2, kPi / 2);
    cairo_close_path(cr);
    setColour(cr, theme::white);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.3);
    cairo_move_to(cr, 10.5, 18);
    cairo_line_to(cr, 10.5, 10);
    cairo_move_to(cr, 7.5, 13);
    cairo_line_to(cr, 10.5, 10);
    cairo_line_to(cr, 13.5, 13);
    strokeWith(cr, accent, 2);
}

void arrow(cairo_t* cr, Rgb ink, double angle) {
    cairo_save(cr);
    cairo_translate(cr, 10, 10);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, -6, 0);
    cairo_line_to(cr, 6, 0);
    cairo_move_to(cr, 1, -5);
    cairo_line_to(cr, 6, 0);
    cairo_line_to(cr, 1, 5);
    cairo_restore(cr);
    strokeWith(cr, ink, 2.6);
}

void plus(cairo_t* cr, Rgb ink, double width) {
    cairo_move_to(cr, 10, 4);
    cairo_line_to(cr, 10, 16);
    cairo_move_to(cr, 4, 10);
    cairo_line_to(cr, 16, 10);
    strokeWith(cr, ink, width);
}

void play(cairo_t* cr, Rgb ink) {
    cairo_move_to(cr, 6.5, 4);
    cairo_line_to(cr, 16, 10);
    cairo_line_to(cr, 6.5, 16);
    cairo_close_path(cr);
    setColour(cr, ink);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 1.5);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

void eraser(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_save(cr);
    cairo_translate(cr, 10, 10);
    cairo_rotate(cr, -kPi / 4);
    roundRect(cr, -8, -4, 16, 8, 1.5);
    setColour(cr, theme::white);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.5);
    roundRect(cr, -8, -4, 7, 8, 1.5);
    setColour(cr, accent);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.5);
    cairo_restore(cr);
}

void turn(cairo_t* cr, Rgb ink) {
    cairo_arc(cr, 10, 10, 6.5, -0.35 * kPi, 1.35 * kPi);
    strokeWith(cr, ink, 2.2);
    // Arrow head at the start of the arc, pointing along a clockwise turn.
    const double a = -0.35 * kPi, x = 10 + 6.5 * std::cos(a), y = 10 + 6.5 * std::sin(a);
    cairo_move_to(cr, x + 3.8, y - 2.2);
    cairo_line_to(cr, x - 0.8, y - 3.8);
    cairo_line_to(cr, x + 0.8, y + 1.6);
    cairo_close_path(cr);
    setColour(cr, ink);
    cairo_fill(cr);
}

void personPlus(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_arc(cr, 8, 6, 3.8, 0, 2 * kPi);
    fillWith(cr, ink);
    cairo_move_to(cr, 1.5, 18);
    cairo_curve_to(cr, 1.5, 10, 14.5, 10, 14.5, 18);
    cairo_close_path(cr);
    fillWith(cr, ink);
    cairo_move_to(cr, 16, 4);
    cairo_line_to(cr, 16, 11);
    cairo_move_to(cr, 12.5, 7.5);
    cairo_line_to(cr, 19.5, 7.5);
    strokeWith(cr, accent, 2.6);
}

void key(cairo_t* cr, Rgb ink) {
    cairo_arc(cr, 6.5, 7, 4.3, 0, 2 * kPi);
    strokeWith(cr, ink, 2.6);
    cairo_move_to(cr, 9.5, 10);
    cairo_line_to(cr, 17, 17.5);
    cairo_move_to(cr, 14.5, 15);
    cairo_line_to(cr, 17, 12.5);
    strokeWith(cr, ink, 2.6);
}

void globe(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_arc(cr, 10, 10, 8, 0, 2 * kPi);
    setColour(cr, accent, 0.3);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.6);
    cairo_save(cr);
    cairo_translate(cr, 10, 10);
    cairo_scale(cr, 3.6 / 8, 1);
    cairo_arc(cr, 0, 0, 8, 0, 2 * kPi);
    cairo_restore(cr);
    strokeWith(cr, ink, 1.2);
    cairo_move_to(cr, 2, 10);
    cairo_line_to(cr, 18, 10);
    cairo_move_to(cr, 3.5, 5.8);
    cairo_line_to(cr, 16.5, 5.8);
    cairo_move_to(cr, 3.5, 14.2);
    cairo_line_to(cr, 16.5, 14.2);
    strokeWith(cr, ink, 1.1);
}

void copy(cairo_t* cr, Rgb ink, Rgb accent) {
    roundRect(cr, 2.5, 2.5, 10, 12, 1.5);
    setColour(cr, accent, 0.35);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.5);
    roundRect(cr, 7.5, 6.5, 10, 12, 1.5);
    setColour(cr, theme::white);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.5);
}

void folder(cairo_t* cr, Rgb ink, Rgb accent) {
    cairo_move_to(cr, 1.5, 4);
    cairo_line_to(cr, 7.5, 4);
    cairo_line_to(cr, 9.5, 6);
    cairo_line_to(cr, 18.5, 6);
    cairo_line_to(cr, 18.5, 17);
    cairo_line_to(cr, 1.5, 17);
    cairo_close_path(cr);
    setColour(cr, theme::gold);
    cairo_fill_preserve(cr);
    strokeWith(cr, ink, 1.4);
    cairo_move_to(cr, 1.5, 9);
    cairo_line_to(cr, 18.5, 9);
    strokeWith(cr, mix(theme::gold, ink, 0.4), 1.2);
    (void)accent;
}

void check(cairo_t* cr, Rgb ink, double width) {
    cairo_move_to(cr, 4, 10.5);
    cairo_line_to(cr, 8.5, 15);
    cairo_line_to(cr, 16.5, 5.5);
    strokeWith(cr, ink, width);
}

void chevronDown(cairo_t* cr, Rgb ink) {
    cairo_move_to(cr, 5, 7.5);
    cairo_line_to(cr, 10, 12.5);
    cairo_line_to(cr, 15, 7.5);
    strokeWith(cr, ink, 2.6);
}

void triangle(cairo_t* cr, Rgb ink, double angle) {
    cairo_save(cr);
    cairo_translate(cr, 10, 10);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, 4.5, 0);
    cairo_line_to(cr, -3, -5.5);
    cairo_line_to(cr, -3, 5.5);
    cairo_close_path(cr);
    cairo_restore(cr);
    setColour(cr, ink);
    cairo_fill(cr);
}

}  // namespace icon

}  // namespace likenex::iart
