#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/avatar-art/Art.h"

namespace likenex::art {

namespace {

constexpr double kPi = std::numbers::pi;

void outlined(LabelCanvas& c, const std::function<void(cairo_t*)>& build, Label base, Label shade, Label line,
              double shift = 1.5, double width = 1.0) {
    build(c.path());
    c.fillShaded(base, shade, shift);
    build(c.path());
    c.stroke(line, width);
}

void star(cairo_t* cr, Point p, double outer, double inner, double turn = 0) {
    for (int i = 0; i < 10; ++i) {
        const double a = -kPi / 2 + turn + i * kPi / 5, r = i % 2 ? inner : outer;
        if (i == 0) cairo_move_to(cr, p.x + r * std::cos(a), p.y + r * std::sin(a));
        else cairo_line_to(cr, p.x + r * std::cos(a), p.y + r * std::sin(a));
    }
    cairo_close_path(cr);
}

void heart(cairo_t* cr, Point p, double s) {
    cairo_move_to(cr, p.x, p.y + 0.9 * s);
    cairo_curve_to(cr, p.x - 1.3 * s, p.y, p.x - 0.9 * s, p.y - 1.1 * s, p.x, p.y - 0.45 * s);
    cairo_curve_to(cr, p.x + 0.9 * s, p.y - 1.1 * s, p.x + 1.3 * s, p.y, p.x, p.y + 0.9 * s);
    cairo_close_path(cr);
}

// A small animal sitting on the ground: body, head, ears and face, in fixed colours.
void animal(LabelCanvas& c, Point ground, const std::string& kind, int phase, double facing) {
    Label fur = label::brown, furShade = label::brownShade;
    if (kind == "kitten") fur = label::gold, furShade = label::goldShade;
    if (kind == "bunny") fur = label::offWhite, furShade = label::offWhiteShade;
    const double bob = phase == 2 ? -1 : 0;
    const Point body{ground.x, ground.y - 7};
    const Point head{ground.x + 3 * facing, ground.y - 17 + bob};
    // Tail, wagging with the phase.
    const Point tail{ground.x - 8 * facing, ground.y - (phase == 2 ? 12 : 9)};
    outlined(
        c, [&](cairo_t* cr) { pathCapsule(cr, body, 2.2, tail, 1.6); }, fur, furShade, label::hairLine);
    outlined(
        c, [&](cairo_t* cr) { pathEllipse(cr, body, 8, 7); }, fur, furShade, label::hairLine, 2);
    if (kind == "bunny") {
        for (int s : {-1, 1})
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathEllipse(cr, {head.x + 3 * s, head.y - 10}, 2.2, 6.5, 0.15 * s);
                },
                fur, furShade, label::hairLine);
    }
    outlined(
        c, [&](cairo_t* cr) { pathCircle(cr, head, 7); }, fur, furShade, label::hairLine, 2);
    for (int s : {-1, 1}) {
        if (kind == "kitten") {
            const Point pts[] = {
                {head.x + 6.5 * s, head.y - 2}, {head.x + 5.5 * s, head.y - 10}, {head.x + 1 * s, head.y - 6}};
            outlined(
                c, [&](cairo_t* cr) { pathPolygon(cr, pts, 3); }, fur, furShade, label::hairLine, 1);
        } else if (kind == "puppy" || kind == "teddy") {
            const Point ear{head.x + 6 * s, head.y - (kind == "teddy" ? 5.5 : 2)};
            outlined(
                c,
                [&](cairo_t* cr) {
                    if (kind == "teddy") pathCircle(cr, ear, 2.8);
                    else pathEllipse(cr, ear, 2.4, 4.5, 0.3 * s);
                },
                furShade, furShade, label::hairLine);
        }
        pathCircle(c.path(), {head.x + 2.6 * s + 1.2 * facing, head.y - 0.5}, 1.1);
        c.fill(label::ink);
    }
    pathEllipse(c.path(), {head.x + 1.5 * facing, head.y + 3}, kind == "teddy" ? 3 : 2.4, 2);
    c.fill(kind == "bunny" ? label::pink : label::offWhite);
    pathCircle(c.path(), {head.x + 1.5 * facing, head.y + 2.2}, 0.9);
    c.fill(label::ink);
}

}  // namespace

void drawBodyPart(LabelCanvas& c, const View& v, const std::string& kind, int side, int phase) {
    if (phase == 0) return;
    const double facing = v.frontness() >= 0 ? (v.leftness() >= 0 ? -1 : 1) : (v.leftness() >= 0 ? -1 : 1);
    const Point ground = v.project({side * 26.0, 0, 6}).point();
    const Point air = v.project({side * 27.0, 64, -2}).point();
    const double bob = phase == 2 ? -1.5 : 0;
    if (kind == "puppy" || kind == "kitten" || kind == "bunny" || kind == "teddy") {
        animal(c, ground, kind, phase, facing);
    } else if (kind == "balloon" || kind == "starballoon") {
        const Point hand = v.project({side * 15.0, 40, 3}).point();
        const Point b{air.x, air.y - 10 + bob};
        cairo_move_to(c.path(), hand.x, hand.y);
        cairo_curve_to(c.path(), hand.x + 2, hand.y - 12, b.x - 2, b.y + 14, b.x, b.y + 9);
        c.stroke(label::ink, 0.6);
        if (kind == "balloon") {
            outlined(
                c, [&](cairo_t* cr) { pathEllipse(cr, b, 8, 9.5); }, label::red, label::redShade, label::redShade, 2.5);
            pathEllipse(c.path(), {b.x - 3, b.y - 4}, 1.6, 2.6, 0.4);
            c.fill(label::white);
        } else {
            outlined(
                c, [&](cairo_t* cr) { star(cr, b, 10, 5, phase == 2 ? 0.1 : 0); }, label::gold, label::goldShade,
                label::goldShade, 2);
            pathCircle(c.path(), {b.x - 2.5, b.y - 3}, 1.3);
            c.fill(label::white);
        }
    } else if (kind == "ghost") {
        const Point g{air.x, air.y + 8 + bob};
        outlined(
            c,
            [&](cairo_t* cr) {
                cairo_move_to(cr, g.x - 8, g.y + 9);
                cairo_line_to(cr, g.x - 8, g.y);
                cairo_arc(cr, g.x, g.y, 8, kPi, 2 * kPi);
                cairo_line_to(cr, g.x + 8, g.y + 9);
                for (int k = 0; k < 4; ++k)
                    cairo_line_to(cr, g.x + 8 - 4 * k - 2, g.y + (k % 2 ? 9 : 6) + (phase == 2 ? 1 : 0));
                cairo_close_path(cr);
            },
            label::offWhite, label::offWhiteShade, label::skyShade, 2);
        for (int s : {-1, 1}) {
            pathEllipse(c.path(), {g.x + 3 * s + facing, g.y - 1}, 1.3, 1.9);
            c.fill(label::ink);
        }
        pathEllipse(c.path(), {g.x + facing, g.y + 3.5}, 1.5, 1.2);
        c.fill(label::pinkShade);
    } else if (kind == "fairy" || kind == "butterfly") {
        const Point f{air.x, air.y + bob};
        const double open = phase == 2 ? 0.55 : 1.0;
        const Label wing = kind == "fairy" ? label::sky : label::purple;
        const Label wingShade = kind == "fairy" ? label::skyShade : label::purpleShade;
        for (int s : {-1, 1}) {
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathEllipse(cr, {f.x + 5 * s * open, f.y - 3}, 5 * open, 6, 0.4 * s);
                },
                wing, wingShade, wingShade, 1);
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathEllipse(cr, {f.x + 3.5 * s * open, f.y + 4}, 3.5 * open, 4, -0.4 * s);
                },
                wing, wingShade, wingShade, 1);
        }
        if (kind == "fairy") {
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathCircle(cr, {f.x, f.y - 5}, 3.5);
                },
                label::pink, label::pinkShade, label::pinkShade, 1);
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathEllipse(cr, {f.x, f.y + 2}, 2.5, 4.5);
                },
                label::pink, label::pinkShade, label::pinkShade, 1);
            pathCircle(c.path(), {f.x + 4, f.y - 10}, 1.5);
            c.fill(label::gold);
        } else {
            limb(c, {f.x, f.y - 6}, 1.3, {f.x, f.y + 7}, 1.1, label::ink, label::ink, label::ink, 0.5);
        }
    } else if (kind == "flower") {
        const Point pot{ground.x, ground.y - 5};
        const Point pts[] = {
            {pot.x - 6, pot.y - 5}, {pot.x + 6, pot.y - 5}, {pot.x + 4.5, pot.y + 5}, {pot.x - 4.5, pot.y + 5}};
        outlined(
            c, [&](cairo_t* cr) { pathPolygon(cr, pts, 4); }, label::cardboardShade, label::brownShade,
            label::cardboardLine, 1.5);
        const Point top{pot.x + (phase == 2 ? 1 : 0), pot.y - 24};
        cairo_move_to(c.path(), pot.x, pot.y - 5);
        cairo_curve_to(c.path(), pot.x, pot.y - 12, top.x, top.y + 8, top.x, top.y);
        c.stroke(label::greenShade, 1.6);
        outlined(
            c,
            [&](cairo_t* cr) {
                pathEllipse(cr, {pot.x + 3.5, pot.y - 12}, 3.5, 1.6, -0.5);
            },
            label::green, label::greenShade, label::greenShade);
        for (int k = 0; k < 6; ++k) {
            const double a = 2 * kPi * k / 6;
            pathCircle(c.path(), {top.x + 3.6 * std::cos(a), top.y + 3.6 * std::sin(a)}, 2.8);
        }
        c.fillShaded(label::pink, label::pinkShade, 1.5);
        pathCircle(c.path(), top, 2.2);
        c.fill(label::gold);
    } else if (kind == "parrot") {
        const Point p{air.x, air.y + 4 + bob};
        outlined(
            c,
            [&](cairo_t* cr) {
                const Point tail[] = {
                    {p.x - 2 * facing, p.y + 4}, {p.x - 7 * facing, p.y + 14}, {p.x - 3 * facing, p.y + 14}};
                pathPolygon(cr, tail, 3);
            },
            label::sky, label::skyShade, label::skyShade);
        outlined(
            c, [&](cairo_t* cr) { pathEllipse(cr, p, 5, 6.5, -0.3 * facing); }, label::red, label::redShade,
            label::redShade, 1.5);
        outlined(
            c,
            [&](cairo_t* cr) {
                pathCircle(cr, {p.x + 2 * facing, p.y - 7}, 4.2);
            },
            label::red, label::redShade, label::redShade, 1.5);
        // The wing beats with the phase.
        const double lift = phase == 2 ? -7 : 0;
        outlined(
            c,
            [&](cairo_t* cr) {
                pathEllipse(cr, {p.x - 1.5 * facing, p.y + 1 + lift * 0.5}, 3, 5.5, (phase == 2 ? 0.9 : -0.3) * facing);
            },
            label::green, label::greenShade, label::greenShade);
        const Point beak[] = {
            {p.x + 5.5 * facing, p.y - 8}, {p.x + 9 * facing, p.y - 6}, {p.x + 5.5 * facing, p.y - 4.5}};
        outlined(
            c, [&](cairo_t* cr) { pathPolygon(cr, beak, 3); }, label::gold, label::goldShade, label::goldShade, 1, 0.8);
        pathCircle(c.path(), {p.x + 3.2 * facing, p.y - 8}, 1);
        c.fill(label::ink);
    } else if (kind == "robot") {
        const Point b{ground.x, ground.y - 7};
        for (int s : {-1, 1})
            outlined(
                c, [&](cairo_t* cr) { cairo_rectangle(cr, b.x + 2.5 * s - 1.5, b.y + 3, 3, 4); }, label::steelShade,
                label::steelShade, label::ink);
        outlined(
            c, [&](cairo_t* cr) { cairo_rectangle(cr, b.x - 6, b.y - 6 + bob * 0.5, 12, 10); }, label::steel,
            label::steelShade, label::ink, 1.5);
        const Point h{b.x, b.y - 13 + bob};
        cairo_move_to(c.path(), h.x, h.y - 5);
        cairo_line_to(c.path(), h.x + facing, h.y - 10);
        c.stroke(label::ink, 0.8);
        pathCircle(c.path(), {h.x + facing, h.y - 10.5}, 1.6);
        c.fill(phase == 2 ? label::red : label::gold);
        outlined(
            c,
            [&](cairo_t* cr) {
                cairo_new_sub_path(cr);
                cairo_arc(cr, h.x - 4, h.y - 2.5, 2, kPi, 1.5 * kPi);
                cairo_arc(cr, h.x + 4, h.y - 2.5, 2, 1.5 * kPi, 2 * kPi);
                cairo_arc(cr, h.x + 4, h.y + 2.5, 2, 0, 0.5 * kPi);
                cairo_arc(cr, h.x - 4, h.y + 2.5, 2, 0.5 * kPi, kPi);
                cairo_close_path(cr);
            },
            label::steel, label::steelShade, label::ink, 1.5);
        for (int s : {-1, 1}) {
            pathCircle(c.path(), {h.x + 2.6 * s + 1.2 * facing, h.y - 0.5}, 1.3);
            c.fill(label::sky);
        }
        pathCircle(c.path(), {b.x + facing, b.y - 1 + bob * 0.5}, 1.6);
        c.fill(label::red);
    } else if (kind == "duckling") {
        const Point b{ground.x, ground.y - 5};
        outlined(
            c, [&](cairo_t* cr) { pathEllipse(cr, b, 7, 5); }, label::gold, label::goldShade, label::goldShade, 1.5);
        const Point h{b.x + 3 * facing, b.y - 8 + bob};
        outlined(
            c, [&](cairo_t* cr) { pathCircle(cr, h, 4.5); }, label::gold, label::goldShade, label::goldShade, 1.5);
        outlined(
            c,
            [&](cairo_t* cr) {
                pathEllipse(cr, {b.x - 1.5 * facing, b.y - 0.5}, 3.5, 2.2, (phase == 2 ? -0.5 : 0.2) * facing);
            },
            label::gold, label::goldShade, label::goldShade);
        outlined(
            c,
            [&](cairo_t* cr) {
                pathEllipse(cr, {h.x + 4.5 * facing, h.y + 1}, 2.6, 1.3);
            },
            label::red, label::redShade, label::redShade, 1, 0.6);
        pathCircle(c.path(), {h.x + 1.8 * facing, h.y - 1}, 0.9);
        c.fill(label::ink);
        if (v.frontness() > 0.5) {
            pathCircle(c.path(), {h.x - 1.2 * facing, h.y - 1}, 0.9);
            c.fill(label::ink);
        }
    } else if (kind == "lantern") {
        const Point l{air.x, air.y + bob};
        const double swing = phase == 2 ? 1.5 : -1.5;
        cairo_move_to(c.path(), l.x - swing, l.y - 16);
        cairo_line_to(c.path(), l.x, l.y - 8);
        c.stroke(label::ink, 0.7);
        outlined(
            c, [&](cairo_t* cr) { pathEllipse(cr, l, 7, 7.5); }, label::red, label::redShade, label::redShade, 2);
        for (double k : {-3.5, 0.0, 3.5}) {
            cairo_move_to(c.path(), l.x + k, l.y - 7);
            cairo_curve_to(c.path(), l.x + k * 1.6, l.y - 2, l.x + k * 1.6, l.y + 2, l.x + k, l.y + 7);
        }
        c.stroke(label::redShade, 0.6);
        pathEllipse(c.path(), {l.x - 2, l.y - 1}, 2, 3);
        c.fill(label::gold);
        for (int s : {-1, 1}) {
            cairo_rectangle(c.path(), l.x - 3.5, l.y + s * 7.5 - 1.2, 7, 2.4);
            c.fill(label::goldShade);
        }
        cairo_move_to(c.path(), l.x, l.y + 8.5);
        cairo_line_to(c.path(), l.x + swing * 0.6, l.y + 14);
        c.stroke(label::gold, 1.2);
    } else if (kind == "cloud") {
        const Point k = v.project({side * 33.0, 90 - bob, -2}).point();
        outlined(
            c,
            [&](cairo_t* cr) {
                pathCircle(cr, {k.x - 5, k.y + 1}, 4.5);
                pathCircle(cr, {k.x + 1, k.y - 2}, 6);
                pathCircle(cr, {k.x + 6, k.y + 1.5}, 4);
                pathEllipse(cr, {k.x, k.y + 3}, 9, 3.5);
            },
            label::white, label::offWhiteShade, label::skyShade, 2.5);
        for (int s : {-1, 1}) {
            pathEllipse(c.path(), {k.x + 2.5 * s + facing, k.y}, 0.9, 1.3);
            c.fill(label::ink);
        }
        pathEllipse(c.path(), {k.x + facing, k.y + 3}, 1.4, 0.8);
        c.fill(label::pinkShade);
        // Rain falls in the second phase.
        const double drop = phase == 2 ? 4 : 0;
        for (int d = -1; d <= 1; ++d) {
            cairo_move_to(c.path(), k.x + 4 * d, k.y + 9 + drop + (d == 0 ? 2 : 0));
            cairo_line_to(c.path(), k.x + 4 * d - 0.6, k.y + 11.5 + drop + (d == 0 ? 2 : 0));
        }
        c.stroke(label::skyShade, 1.2);
    } else if (kind == "penguin") {
        const Point b{ground.x, ground.y - 9 + bob * 0.5};
        for (int s : {-1, 1})
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathEllipse(cr, {ground.x + 3 * s, ground.y - 1}, 2.6, 1.4);
                },
                label::gold, label::goldShade, label::goldShade, 1, 0.6);
        outlined(
            c, [&](cairo_t* cr) { pathEllipse(cr, b, 7, 9.5); }, label::ink, label::ink, label::ink, 1, 0.6);
        if (v.frontness() > -0.3)
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathEllipse(cr, {b.x + 1.5 * facing, b.y + 2}, 4.6, 6.5);
                },
                label::offWhite, label::offWhiteShade, label::offWhiteShade, 1.5, 0.5);
        const double flap = phase == 2 ? 0.9 : 0.3;
        for (int s : {-1, 1})
            outlined(
                c,
                [&](cairo_t* cr) {
                    pathEllipse(cr, {b.x + 6.5 * s, b.y + 1}, 1.8, 5, flap * s);
                },
                label::ink, label::ink, label::ink, 1, 0.6);
        for (int s : {-1, 1}) {
            pathCircle(c.path(), {b.x + 2.2 * s + 1.8 * facing, b.y - 5}, 1.4);
            c.fill(label::white);
            pathCircle(c.path(), {b.x + 2.2 * s + 2.1 * facing, b.y - 5}, 0.7);
            c.fill(label::ink);
        }
        const Point beak[] = {
            {b.x + 1 * facing - 1.6, b.y - 2.6}, {b.x + 1 * facing + 1.6, b.y - 2.6}, {b.x + 2.6 * facing, b.y - 0.4}};
        pathPolygon(c.path(), beak, 3);
        c.fill(label::gold);
    } else if (kind == "dragonfly") {
        const Point d{air.x, air.y + 2 + bob};
        const double spread = phase == 2 ? 0.35 : 1.0;
        for (int s : {-1, 1})
            for (int row : {0, 1})
                outlined(
                    c,
                    [&](cairo_t* cr) {
                        pathEllipse(cr, {d.x + s * 7, d.y - 3 + row * 4 + (1 - spread) * -3}, 6.5, 1.9 + spread * 0.4,
                                    s * (row ? 0.35 : -0.25) * spread);
                    },
                    label::white, label::offWhiteShade, label::skyShade, 1, 0.6);
        limb(c, {d.x, d.y - 4}, 1.8, {d.x, d.y + 12}, 1.0, label::green, label::greenShade, label::greenShade, 0.6);
        pathCircle(c.path(), {d.x, d.y - 5.5}, 2.6);
        c.fill(label::green);
        for (int s : {-1, 1}) {
            pathCircle(c.path(), {d.x + 1.4 * s, d.y - 6}, 1.1);
            c.fill(label::ink);
        }
    } else if (kind == "kite") {
        const Point hand = v.project({side * 15.0, 40, 3}).point();
        const Point k = v.project({side * 34.0, 84 - bob, -4}).point();
        cairo_move_to(c.path(), hand.x, hand.y);
        cairo_curve_to(c.path(), hand.x, hand.y - 10, k.x, k.y + 20, k.x, k.y + 9);
        c.stroke(label::ink, 0.5);
        const Point kite[] = {{k.x, k.y - 10}, {k.x + 7, k.y - 2}, {k.x, k.y + 9}, {k.x - 7, k.y - 2}};
        outlined(
            c, [&](cairo_t* cr) { pathPolygon(cr, kite, 4); }, label::red, label::redShade, label::redShade, 2);
        const Point upper[] = {{k.x, k.y - 10}, {k.x + 7, k.y - 2}, {k.x, k.y - 2}};
        pathPolygon(c.path(), upper, 3);
        c.fill(label::gold);
        cairo_move_to(c.path(), k.x, k.y - 10);
        cairo_line_to(c.path(), k.x, k.y + 9);
        cairo_move_to(c.path(), k.x - 7, k.y - 2);
        cairo_line_to(c.path(), k.x + 7, k.y - 2);
        c.stroke(label::redShade, 0.6);
        // The tail ripples with the phase, with bows along it.
        const double w = phase == 2 ? 2.5 : -2.5;
        cairo_move_to(c.path(), k.x, k.y + 9);
        cairo_curve_to(c.path(), k.x + w, k.y + 13, k.x - w, k.y + 17, k.x + w * 0.5, k.y + 21);
        c.stroke(label::ink, 0.5);
        for (auto [dx, dy] : {std::pair{w * 0.35, 13.5}, {-w * 0.2, 18.0}}) {
            const Point bow[] = {{k.x + dx - 2.2, k.y + dy - 1.2},
                                 {k.x + dx + 2.2, k.y + dy + 1.2},
                                 {k.x + dx + 2.2, k.y + dy - 1.2},
                                 {k.x + dx - 2.2, k.y + dy + 1.2}};
            pathPolygon(c.path(), bow, 4);
            c.fill(label::sky);
        }
    } else if (kind == "hedgehog") {
        const Point b{ground.x, ground.y - 5};
        outlined(
            c,
            [&](cairo_t* cr) {
                const int spikes = 9;
                for (int k = 0; k <= 2 * spikes; ++k) {
                    const double a = kPi + kPi * k / (2 * spikes);
                    const double r = k % 2 ? 10.5 : 8;
                    const Point q{b.x - 1.5 * facing + r * std::cos(a), b.y + 3 + 0.85 * r * std::sin(a)};
                    if (k == 0) cairo_move_to(cr, q.x, q.y);
                    else cairo_line_to(cr, q.x, q.y);
                }
                cairo_close_path(cr);
            },
            label::brownShade, label::brownShade, label::hairLine, 1, 0.8);
        const Point h{b.x + 6 * facing, b.y + 0.5 + bob * 0.5};
        outlined(
            c, [&](cairo_t* cr) { pathEllipse(cr, h, 4.5, 3.6, -0.3 * facing); }, label::cardboard,
            label::cardboardShade, label::cardboardLine, 1);
        pathCircle(c.path(), {h.x + 3.8 * facing, h.y + 0.6}, 1);
        c.fill(label::ink);
        pathCircle(c.path(), {h.x + 0.6 * facing, h.y - 1}, 0.8);
        c.fill(label::ink);
    } else if (kind == "cactus") {
        const Point pot{ground.x, ground.y - 4};
        const Point pts[] = {
            {pot.x - 5.5, pot.y - 4}, {pot.x + 5.5, pot.y - 4}, {pot.x + 4, pot.y + 4}, {pot.x - 4, pot.y + 4}};
        outlined(
            c, [&](cairo_t* cr) { pathPolygon(cr, pts, 4); }, label::red, label::redShade, label::redShade, 1.5);
        const double sway = phase == 2 ? 1 : 0;
        limbs(c,
              {{{pot.x, pot.y - 4}, 4.2, {pot.x + sway, pot.y - 17}, 4.2},
               {{pot.x - 3, pot.y - 10}, 1.8, {pot.x - 7, pot.y - 12}, 1.8},
               {{pot.x - 7, pot.y - 12}, 1.8, {pot.x - 7 + sway, pot.y - 16}, 1.8},
               {{pot.x + 3, pot.y - 8}, 1.8, {pot.x + 7, pot.y - 10}, 1.8},
               {{pot.x + 7, pot.y - 10}, 1.8, {pot.x + 7 + sway, pot.y - 13}, 1.8}},
              label::green, label::greenShade, label::greenShade, 0.9);
        for (int s : {-1, 1}) {
            pathCircle(c.path(), {pot.x + 1.6 * s + facing + sway, pot.y - 13}, 0.8);
            c.fill(label::ink);
        }
        for (int k = 0; k < 5; ++k) {
            const double a = 2 * kPi * k / 5;
            pathCircle(c.path(), {pot.x + sway + 2 * std::cos(a), pot.y - 21.5 + 2 * std::sin(a)}, 1.4);
        }
        c.fill(phase == 2 ? label::pink : label::pinkShade);
        pathCircle(c.path(), {pot.x + sway, pot.y - 21.5}, 0.9);
        c.fill(label::gold);
    } else if (kind == "badge") {
        const Point b = v.project({side * 20.0, 82, 4}).point();
        outlined(
            c,
            [&](cairo_t* cr) {
                star(cr, {b.x, b.y + bob}, 7, 3.4);
            },
            label::gold, label::goldShade, label::goldShade);
    }
}

void drawBodyPartThumbnail(LabelCanvas& c, const std::string& kind, int side) {
    drawBodyPart(c, View(7), kind, side, 1);
}

void drawFramePicture(LabelCanvas& c, const std::string& kind, int x, int y) {
    const Point p{static_cast<double>(x), static_cast<double>(y)};
    if (kind == "heart") {
        outlined(
            c,
            [&](cairo_t* cr) {
                heart(cr, {p.x + 7, p.y + 7}, 7);
            },
            label::red, label::redShade, label::redShade, 2);
        pathEllipse(c.path(), {p.x + 4, p.y + 4}, 1.4, 1, -0.5);
        c.fill(label::white);
    } else if (kind == "note" || kind == "note2") {
        const bool two = kind == "note2";
        const Label l = two ? label::purple : label::skyShade;
        pathEllipse(c.path(), {p.x + 3.5, p.y + 13}, 3.5, 2.6, -0.4);
        if (two) pathEllipse(c.path(), {p.x + 11.5, p.y + 11}, 3.5, 2.6, -0.4);
        c.fill(l);
        cairo_move_to(c.path(), p.x + 6.4, p.y + 12.5);
        cairo_line_to(c.path(), p.x + 6.4, p.y + 1);
        if (two) {
            cairo_line_to(c.path(), p.x + 14.4, p.y - 1);
            cairo_line_to(c.path(), p.x + 14.4, p.y + 10.5);
        } else {
            cairo_curve_to(c.path(), p.x + 9, p.y + 3, p.x + 11, p.y + 4, p.x + 10, p.y + 8);
        }
        c.stroke(l, 1.5);
    } else if (kind == "zzz" || kind == "z") {
        const int count = kind == "zzz" ? 3 : 1;
        for (int k = 0; k < count; ++k) {
            const double s = 4 + 2 * k;
            const Point o{p.x + 8 * k, p.y + 14 - 8 * k};
            cairo_move_to(c.path(), o.x, o.y);
            cairo_line_to(c.path(), o.x + s, o.y);
            cairo_line_to(c.path(), o.x, o.y + s);
            cairo_line_to(c.path(), o.x + s, o.y + s);
            c.stroke(label::skyShade, 1.8);
        }
    } else if (kind == "tears") {
        for (int s : {0, 1}) {
            const Point t{p.x + s * 42, p.y + 4};
            outlined(
                c,
                [&](cairo_t* cr) {
                    cairo_move_to(cr, t.x, t.y - 4);
                    cairo_curve_to(cr, t.x + 3.5, t.y + 1, t.x + 3, t.y + 4, t.x, t.y + 4);
                    cairo_curve_to(cr, t.x - 3, t.y + 4, t.x - 3.5, t.y + 1, t.x, t.y - 4);
                    cairo_close_path(cr);
                },
                label::tear, label::tear, label::tearLine);
        }
    } else if (kind == "sweat") {
        outlined(
            c,
            [&](cairo_t* cr) {
                cairo_move_to(cr, p.x + 3, p.y);
                cairo_curve_to(cr, p.x + 7, p.y + 6, p.x + 6.5, p.y + 10, p.x + 3, p.y + 10);
                cairo_curve_to(cr, p.x - 0.5, p.y + 10, p.x - 1, p.y + 6, p.x + 3, p.y);
                cairo_close_path(cr);
            },
            label::tear, label::tear, label::tearLine);
    } else if (kind == "anger") {
        for (int k = 0; k < 4; ++k) {
            const double a = kPi / 4 + k * kPi / 2;
            const Point q{p.x + 8 + 5 * std::cos(a), p.y + 8 + 5 * std::sin(a)};
            cairo_move_to(c.path(), q.x - 3 * std::sin(a), q.y + 3 * std::cos(a));
            cairo_curve_to(c.path(), q.x - 1 * std::cos(a), q.y - 1 * std::sin(a), q.x - 1 * std::cos(a),
                           q.y - 1 * std::sin(a), q.x + 3 * std::sin(a), q.y - 3 * std::cos(a));
        }
        c.stroke(label::red, 2.2);
    } else if (kind == "sparkle") {
        for (auto [dx, dy, s] : {std::tuple{0.0, 6.0, 6.0}, {70.0, 0.0, 5.0}, {80.0, 30.0, 3.5}, {6.0, 30.0, 3.0}}) {
            const Point q{p.x + dx + 6, p.y + dy + 6};
            cairo_t* cr = c.path();
            cairo_move_to(cr, q.x, q.y - s);
            cairo_curve_to(cr, q.x + s * 0.15, q.y - s * 0.15, q.x + s * 0.15, q.y - s * 0.15, q.x + s, q.y);
            cairo_curve_to(cr, q.x + s * 0.15, q.y + s * 0.15, q.x + s * 0.15, q.y + s * 0.15, q.x, q.y + s);
            cairo_curve_to(cr, q.x - s * 0.15, q.y + s * 0.15, q.x - s * 0.15, q.y + s * 0.15, q.x - s, q.y);
            cairo_curve_to(cr, q.x - s * 0.15, q.y - s * 0.15, q.x - s * 0.15, q.y - s * 0.15, q.x, q.y - s);
            cairo_close_path(cr);
            c.fill(label::gold);
        }
    } else if (kind == "question" || kind == "exclaim") {
        outlined(
            c,
            [&](cairo_t* cr) {
                pathCircle(cr, {p.x + 9, p.y + 10}, 9);
            },
            label::white, label::offWhiteShade, label::ink, 2, 1.2);
        if (kind == "question") {
            cairo_move_to(c.path(), p.x + 5.5, p.y + 7);
            cairo_curve_to(c.path(), p.x + 5.5, p.y + 2.5, p.x + 12.5, p.y + 2.5, p.x + 12.5, p.y + 6.5);
            cairo_curve_to(c.path(), p.x + 12.5, p.y + 9, p.x + 9, p.y + 9, p.x + 9, p.y + 12);
            c.stroke(label::skyShade, 2);
        } else {
            cairo_move_to(c.path(), p.x + 9, p.y + 4);
            cairo_line_to(c.path(), p.x + 9, p.y + 11.5);
            c.stroke(label::red, 2.4);
        }
        pathCircle(c.path(), {p.x + 9, p.y + 15}, 1.3);
        c.fill(kind == "question" ? label::skyShade : label::red);
    } else if (kind == "box_front" || kind == "box_back") {
        const bool front = kind == "box_front";
        const double w = 68, h = front ? 50 : 14;
        outlined(
            c, [&](cairo_t* cr) { cairo_rectangle(cr, p.x, p.y, w, h); },
            front ? label::cardboard : label::cardboardShade, label::cardboardShade, label::cardboardLine,
            front ? 3 : 1, 1.2);
        if (front) {
            // Flaps folded outwards and a strip of tape.
            for (int s : {0, 1}) {
                const double x0 = p.x + s * w;
                const Point flap[] = {
                    {x0, p.y}, {x0 + (s ? 12 : -12), p.y - 6}, {x0 + (s ? 8 : -8), p.y - 10}, {x0, p.y - 3}};
                outlined(
                    c, [&](cairo_t* cr) { pathPolygon(cr, flap, 4); }, label::cardboardShade, label::cardboardShade,
                    label::cardboardLine);
            }
            cairo_rectangle(c.path(), p.x + w / 2 - 4, p.y + 1, 8, 16);
            c.fill(label::cardboardShade);
            heart(c.path(), {p.x + w / 2, p.y + 32}, 6);
            c.fill(label::red);
        }
    } else if (kind == "ball") {
        const Point q{p.x + 9, p.y + 9};
        outlined(
            c, [&](cairo_t* cr) { pathCircle(cr, q, 8.5); }, label::gold, label::goldShade, label::brownShade, 2.5);
        cairo_move_to(c.path(), q.x - 8.5, q.y);
        cairo_line_to(c.path(), q.x + 8.5, q.y);
        cairo_move_to(c.path(), q.x, q.y - 8.5);
        cairo_line_to(c.path(), q.x, q.y + 8.5);
        cairo_move_to(c.path(), q.x - 5.5, q.y - 6.5);
        cairo_curve_to(c.path(), q.x - 2.4, q.y - 2, q.x - 2.4, q.y + 2, q.x - 5.5, q.y + 6.5);
        cairo_move_to(c.path(), q.x + 5.5, q.y - 6.5);
        cairo_curve_to(c.path(), q.x + 2.4, q.y - 2, q.x + 2.4, q.y + 2, q.x + 5.5, q.y + 6.5);
        c.stroke(label::brownShade, 0.7);
    } else if (kind == "burst") {
        for (int k = 0; k < 8; ++k) {
            const double a = k * kPi / 4;
            const Point q{p.x + 38, p.y + 10};
            cairo_move_to(c.path(), q.x + 20 * std::cos(a), q.y + 6 * std::sin(a));
            cairo_line_to(c.path(), q.x + 34 * std::cos(a), q.y + 11 * std::sin(a));
        }
        c.stroke(label::gold, 1.8);
    }
}

void drawGroundShadow(LabelCanvas& c, bool small) {
    pathEllipse(c.path(), {64, 100}, small ? 18 : 28, small ? 4.5 : 6.5);
    c.fill(label::shadowGround);
}

void drawBubblePiece(LabelCanvas& c, int piece, bool twoLines, bool warm) {
    const double h = twoLines ? 35 : 21;
    const Label body = warm ? label::bubbleWarm : label::bubble;
    const Label line = warm ? label::bubbleWarmLine : label::bubbleLine;
    // Pieces are drawn at the canvas's left edge, from row 0, and cut to their columns;
    // the caller sets their offsets.
    auto pill = [&](double x0, double width) {
        cairo_t* cr = c.path();
        const double r = 8, y0 = 0.5, y1 = h - 0.5;
        cairo_new_sub_path(cr);
        cairo_arc(cr, x0 + r, y0 + r, r, kPi, 1.5 * kPi);
        cairo_arc(cr, x0 + width - r, y0 + r, r, 1.5 * kPi, 2 * kPi);
        cairo_arc(cr, x0 + width - r, y1 - r, r, 0, 0.5 * kPi);
        cairo_arc(cr, x0 + r, y1 - r, r, 0.5 * kPi, kPi);
        cairo_close_path(cr);
    };
    switch (piece) {
    case 0:  // left cap: 8 columns, the rounded left end
    case 1:  // right cap: 8 columns, the rounded right end
        pill(piece == 0 ? 0 : -24, 32);
        c.fill(body);
        pill(piece == 0 ? 0 : -24, 32);
        c.stroke(line, 1.2);
        if (piece == 0) {
            cairo_rectangle(c.path(), 8, -2, 40, h + 4);
            c.erase();
        }
        break;
    case 2:  // middle strip: 2 columns of body between the top and bottom lines
        cairo_rectangle(c.path(), 0, 0, 2, h);
        c.fill(body);
        cairo_rectangle(c.path(), 0, 0, 2, 1);
        cairo_rectangle(c.path(), 0, h - 1, 2, 1);
        c.fill(line);
        break;
    default: {  // tail: the body's columns and a point below it
        cairo_rectangle(c.path(), 0, 0, 7, h - 1);
        c.fill(body);
        cairo_rectangle(c.path(), 0, 0, 7, 1);
        c.fill(line);
        cairo_t* cr = c.path();
        cairo_move_to(cr, 0, h - 1.2);
        cairo_line_to(cr, 7, h - 1.2);
        cairo_line_to(cr, 3.5, h + 6);
        cairo_close_path(cr);
        c.fill(body);
        cairo_move_to(cr, 0, h - 0.6);
        cairo_line_to(cr, 3.5, h + 6);
        cairo_line_to(cr, 7, h - 0.6);
        c.stroke(line, 1.1);
        break;
    }
    }
}

}  // namespace likenex::art
