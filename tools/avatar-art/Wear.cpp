#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/avatar-art/Art.h"

namespace likenex::art {

namespace {

constexpr double kPi = std::numbers::pi;

double azimuthOf(const Vec3& n) { return std::atan2(n.l, n.f); }
double elevationOf(const Vec3& n) { return std::asin(std::clamp(n.u, -1.0, 1.0)); }

// Hides what lies behind the head: the part of the shape drawn so far that the head covers
// and that is farther from the viewer than the head's surface there.
void hideBehindHead(LabelCanvas& c, const View& v, double depthOfDrawing) {
    const Projected h = v.project(kHeadCentre);
    if (depthOfDrawing >= h.depth) return;
    pathCircle(c.path(), h.point(), kHeadRadius - 0.6);
    c.erase();
}

void fillPoints(LabelCanvas& c, const std::vector<Point>& points, Label base, Label shadow, double shift = 2) {
    pathHull(c.path(), points);
    c.fillShaded(base, shadow, shift);
    pathHull(c.path(), points);
    c.stroke(label::line, 1.1);
}

std::vector<Point> rings(const View& v, std::initializer_list<std::tuple<double, double, double, double>> specs) {
    std::vector<Point> all;
    for (auto [u, rl, rf, f] : specs) {
        auto r = ring(v, {0, u, f}, rl, rf);
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

// The side of a band around the body that faces the viewer, between heights u and u + height:
// a hull of two whole rings would also take in the far side and fill far too tall a band.
void frontBand(LabelCanvas& c, const View& v, double u, double height, double rl, double rf, double f = 0) {
    // The ring's outward normal at angle a is (cos a, 0, sin a) in (l, f); it faces the
    // viewer most at a0, and the visible half runs a quarter turn either side of it.
    const double a0 = std::atan2(v.toView({0, 0, 1}).f, v.toView({1, 0, 0}).f);
    constexpr int kSteps = 32;
    std::vector<Point> outline;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = a0 - kPi / 2 + kPi * i / kSteps;
        outline.push_back(v.project({rl * std::cos(a), u, rf * std::sin(a) + f}).point());
    }
    for (int i = kSteps; i >= 0; --i) {
        const double a = a0 - kPi / 2 + kPi * i / kSteps;
        outline.push_back(v.project({rl * std::cos(a), u + height, rf * std::sin(a) + f}).point());
    }
    pathPolygon(c.path(), outline.data(), outline.size());
}

// The near side of a sloping band (a brim or a skirt) between a ring of radius r1 at
// height u1 and one of radius r2 at height u2, as a path.
void frustumFront(LabelCanvas& c, const View& v, double u1, double r1, double u2, double r2) {
    const double a0 = std::atan2(v.toView({0, 0, 1}).f, v.toView({1, 0, 0}).f);
    constexpr int kSteps = 32;
    std::vector<Point> outline;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = a0 - kPi / 2 + kPi * i / kSteps;
        outline.push_back(v.project({r1 * std::cos(a), u1, r1 * std::sin(a)}).point());
    }
    for (int i = kSteps; i >= 0; --i) {
        const double a = a0 - kPi / 2 + kPi * i / kSteps;
        outline.push_back(v.project({r2 * std::cos(a), u2, r2 * std::sin(a)}).point());
    }
    pathPolygon(c.path(), outline.data(), outline.size());
}

// Erases the places of the eyes and the mouth: the head group paints hair over the face
// options, so no lock or fringe may reach them. The places are those where the face
// options are drawn (eyes at azimuth 0.42 and elevation -0.1, the mouth at -0.47, drawn
// a little nearer the middle of the face and squeezed as the face turns away).
void keepFaceFree(LabelCanvas& c, const View& v) {
    const Projected centre = v.project(kHeadCentre);
    auto clear = [&](double az, double el, double rx, double ry) {
        const Vec3 n{std::sin(az) * std::cos(el), std::sin(el), std::cos(az) * std::cos(el)};
        const double facing = v.toView(n).f;
        if (facing <= 0.28) return;
        const double squash = std::clamp(facing, 0.45, 1.0);
        const Point on = v.project(kHeadCentre + n * (kHeadRadius - 0.5)).point();
        pathEllipse(c.path(), {centre.x + (on.x - centre.x) * 0.84, on.y}, rx * squash, ry);
        c.erase();
    };
    for (int side : {1, -1}) clear(side * 0.42, -0.1, 5.6, 6);
    clear(0, -0.47, 6, 4.6);
}

// A dome over the head: the points of a sphere a little larger than the skull whose
// elevation lies above `edge(azimuth)`.
void dome(LabelCanvas& c, const View& v, double grow, const std::function<double(double)>& edge, bool shiny = false) {
    fillSphere(c, v, kHeadCentre, kHeadRadius + grow, [&](const Vec3& n, const Vec3& vn, double e) {
        if (elevationOf(n) < edge(azimuthOf(n))) return label::none;
        return celShade(vn, e, shiny);
    });
}

void ball(LabelCanvas& c, const View& v, Vec3 at, double r, bool shiny = true) {
    fillSphere(c, v, at, r, [&](const Vec3&, const Vec3& vn, double e) { return celShade(vn, e, shiny); });
}

Vec3 onHead(double az, double el, double grow = 0) {
    return kHeadCentre +
           Vec3{std::sin(az) * std::cos(el), std::sin(el), std::cos(az) * std::cos(el)} * (kHeadRadius + grow);
}

}  // namespace

void drawHat(LabelCanvas& c, const View& v, const std::string& kind) {
    const bool facing = v.frontness() > 0;
    if (kind == "cap") {
        auto brim = [&] {
            auto pts = ring(v, {0, 100, 13}, 13, 11);
            fillPoints(c, pts, label::soft, label::shadow, 1.5);
        };
        const double brimDepth = v.project({0, 100, 15}).depth;
        if (brimDepth < v.project(kHeadCentre).depth) brim();
        dome(c, v, 1.8, [](double) { return 0.42; });
        if (brimDepth >= v.project(kHeadCentre).depth) brim();
        ball(c, v, onHead(0, 1.45, 2.2), 2.2);
    } else if (kind == "beanie") {
        dome(c, v, 2.4, [](double) { return 0.25; });
        fillSphere(c, v, kHeadCentre, kHeadRadius + 2.8, [&](const Vec3& n, const Vec3& vn, double e) {
            const double el = elevationOf(n);
            if (el < 0.2 || el > 0.45) return label::none;
            return e < 1.1 ? label::line : (vn.l * -0.5 + vn.u * 0.5 > 0 ? label::light : label::soft);
        });
        ball(c, v, onHead(0, 1.57, 5), 5);
    } else if (kind == "sunhat") {
        auto pts = ring(v, {0, 99, 0}, 31, 31);
        fillPoints(c, pts, label::base, label::soft, 2.5);
        dome(c, v, 2.2, [](double) { return 0.5; });
        fillSphere(c, v, kHeadCentre, kHeadRadius + 2.6, [&](const Vec3& n, const Vec3&, double e) {
            const double el = elevationOf(n);
            return el > 0.5 && el < 0.68 ? (e < 1 ? label::line : label::red) : label::none;
        });
    } else if (kind == "tophat") {
        fillPoints(c, ring(v, {0, 101, 0}, 20, 20), label::soft, label::shadow, 1.5);
        auto crown = rings(v, {{101, 13, 13, 0}, {121, 14, 14, 0}});
        fillPoints(c, crown, label::base, label::shadow, 2.5);
        auto band = rings(v, {{102, 13.3, 13.3, 0}, {106, 13.4, 13.4, 0}});
        pathHull(c.path(), band);
        c.fillInside(label::highlight);
        pathHull(c.path(), ring(v, {0, 121, 0}, 14, 14));
        c.fill(label::soft);
        pathHull(c.path(), ring(v, {0, 121, 0}, 14, 14));
        c.stroke(label::line, 1);
    } else if (kind == "catears" || kind == "bunny") {
        // A head band with two ears; the ears face the way the figure does.
        fillSphere(c, v, kHeadCentre, kHeadRadius + 1.5, [&](const Vec3& n, const Vec3& vn, double e) {
            const double along = std::abs(n.f);
            return along < 0.16 && n.u > 0.1 ? celShade(vn, e) : label::none;
        });
        for (int side : {1, -1}) {
            const Vec3 root = onHead(side * kPi / 2 * 0.45, 1.0, 0);
            if (kind == "catears") {
                const Point a = v.project(root + Vec3{-side * 1.0 - 5, 0, 0}).point();
                const Point b = v.project(root + Vec3{side * 6.0 - 5 * 0 + 4, 0, 0}).point();
                const Point tip = v.project(root + Vec3{side * 4.0, 13, 0}).point();
                const Point pts[] = {a, tip, b};
                pathPolygon(c.path(), pts, 3);
                c.fillShaded(label::base, label::soft, 1.5);
                pathPolygon(c.path(), pts, 3);
                c.stroke(label::line, 1.1);
                const Point inner[] = {v.project(root + Vec3{-side * 0.5 - 2, 1.5, 0.5}).point(),
                                       v.project(root + Vec3{side * 3.5, 10, 0.5}).point(),
                                       v.project(root + Vec3{side * 4.5 + 1, 1.5, 0.5}).point()};
                if (facing) {
                    pathPolygon(c.path(), inner, 3);
                    c.fill(label::pink);
                }
            } else {
                // Rooted a little lower than the cat's ears and leaning a little outwards, so that the
                // far ear's tip keeps clear of the frame's top edge in every direction.
                const Vec3 low = onHead(side * kPi / 2 * 0.45, 0.9, 0);
                const Point base = v.project(low).point();
                const Point tip = v.project(low + Vec3{side * 3.5, 12.5, -2}).point();
                limb(c, base, 3.6, tip, 4.0, label::base, label::soft, label::line);
                if (facing) {
                    pathCapsule(c.path(), v.project(low + Vec3{0, 4, 1}).point(), 1.4,
                                v.project(low + Vec3{side * 3.0, 11, -1}).point(), 2.2);
                    c.fill(label::pink);
                }
            }
        }
    } else if (kind == "flowers") {
        // A circlet of flowers: the far ones first.
        struct Bloom {
            double az, depth;
        };
        std::vector<Bloom> blooms;
        for (int i = 0; i < 9; ++i) {
            const double az = 2 * kPi * i / 9;
            blooms.push_back({az, v.project(onHead(az, 0.62, 1)).depth});
        }
        std::sort(blooms.begin(), blooms.end(), [](const Bloom& a, const Bloom& b) { return a.depth < b.depth; });
        fillSphere(c, v, kHeadCentre, kHeadRadius + 1.2, [&](const Vec3& n, const Vec3& vn, double e) {
            const double el = elevationOf(n);
            return el > 0.56 && el < 0.68
                       ? (e < 1 ? label::greenShade : (vn.u > 0.5 ? label::green : label::greenShade))
                       : label::none;
        });
        for (const Bloom& b : blooms) {
            const Point p = v.project(onHead(b.az, 0.62, 1.5)).point();
            for (int k = 0; k < 5; ++k) {
                const double a = 2 * kPi * k / 5 + b.az;
                pathCircle(c.path(), {p.x + 2.6 * std::cos(a), p.y + 2.3 * std::sin(a)}, 2.2);
            }
            c.fillShaded(label::light, label::soft, 1);
            pathCircle(c.path(), p, 1.4);
            c.fill(label::gold);
        }
    } else if (kind == "party") {
        // The pompom on the tip stays a few pixels below the frame's top edge; the bands
        // narrow a little faster than the cone so that they stay inside it.
        const double apex = 120, taper = 9 / (apex - 104) * 0.88;
        std::vector<Point> cone = ring(v, {0, 104, -2}, 9, 9);
        cone.push_back(v.project({2, apex, -3}).point());
        fillPoints(c, cone, label::base, label::soft, 2);
        const Point tip = v.project({2, apex - 1, -3}).point();
        for (double u : {107.5, 112.5}) {
            std::vector<Point> band = ring(v, {0, u, -2}, 9 - (u - 104) * taper, 9 - (u - 104) * taper);
            auto upper = ring(v, {0, u + 2.2, -2}, 9 - (u + 2.2 - 104) * taper, 9 - (u + 2.2 - 104) * taper);
            band.insert(band.end(), upper.begin(), upper.end());
            pathHull(c.path(), band);
            c.fillInside(label::highlight);
        }
        pathCircle(c.path(), tip, 3);
        c.fill(label::gold);
        pathCircle(c.path(), tip, 3);
        c.stroke(label::goldShade, 0.9);
    } else if (kind == "beret") {
        auto pts = rings(v, {{100, 21, 20, -2}, {106, 20, 19, -3}});
        fillPoints(c, pts, label::base, label::soft, 2.5);
        pathHull(c.path(), ring(v, {0, 100, -2}, 17, 16));
        c.fillInside(label::shadow);
        const Point stem = v.project({0, 107.5, -3}).point();
        limb(c, stem, 1.2, {stem.x + 1, stem.y - 3}, 1.0, label::line, label::line, label::line, 0.5);
    } else if (kind == "crown") {
        auto band = rings(v, {{101, 14, 14, 0}, {107, 14.5, 14.5, 0}});
        pathHull(c.path(), band);
        c.fillShaded(label::gold, label::goldShade, 2);
        for (int k = 0; k < 8; ++k) {
            const double a = 2 * kPi * k / 8;
            const Vec3 at{14 * std::sin(a), 107, 14 * std::cos(a)};
            if (v.project(at).depth < v.project({0, 107, 0}).depth - 6) continue;
            const Point base1 = v.project(at + Vec3{-3 * std::cos(a), 0, 3 * std::sin(a)}).point();
            const Point base2 = v.project(at + Vec3{3 * std::cos(a), 0, -3 * std::sin(a)}).point();
            const Point tip = v.project(at + Vec3{0, 8, 0}).point();
            const Point pts[] = {base1, tip, base2};
            pathPolygon(c.path(), pts, 3);
            c.fill(label::gold);
            pathCircle(c.path(), tip, 1.4);
            c.fill(label::red);
        }
        pathHull(c.path(), band);
        c.stroke(label::goldShade, 1);
    } else if (kind == "bucket") {
        // The brim slopes down all round: its far half goes behind the crown, its near
        // half is drawn again over the crown.
        auto brim = rings(v, {{97, 22, 22, 0}, {91.5, 27.5, 27.5, 0}});
        fillPoints(c, brim, label::base, label::soft, 2.5);
        dome(c, v, 2.6, [](double) { return 0.3; });
        frustumFront(c, v, 97, 22.5, 91.5, 27.5);
        c.fillShaded(label::base, label::soft, 1.5);
        frustumFront(c, v, 97, 22.5, 91.5, 27.5);
        c.stroke(label::line, 1.1);
        frontBand(c, v, 97.5, 3, 23.2, 23.2);
        c.fillInside(label::shadow);
    } else if (kind == "headband") {
        fillSphere(c, v, kHeadCentre, kHeadRadius + 2.2, [&](const Vec3& n, const Vec3& vn, double e) {
            const double el = elevationOf(n);
            if (el < 0.3 || el > 0.56) return label::none;
            if (e < 1.1 || el < 0.33 || el > 0.53) return label::line;
            if (el > 0.42 && el < 0.46) return label::highlight;
            return vn.l * -0.5 + vn.u * 0.5 > 0 ? label::light : label::base;
        });
    } else if (kind == "bow") {
        // A bow on the left of the crown, hidden where the head stands in front of it.
        const double az = 0.75;
        const Vec3 knot = onHead(az, 0.95, 2.5);
        const Vec3 across{std::cos(az), 0, -std::sin(az)};
        for (int side : {1, -1}) {
            const Vec3 wing = knot + across * (side * 10.0);
            const Point pts[] = {v.project(knot).point(), v.project(wing + Vec3{0, 5.5, 0}).point(),
                                 v.project(wing + across * (side * 1.5)).point(),
                                 v.project(wing + Vec3{0, -5.5, 0}).point()};
            pathPolygon(c.path(), pts, 4);
            c.fillShaded(label::base, label::soft, 1.5);
            pathPolygon(c.path(), pts, 4);
            c.stroke(label::line, 1.1);
        }
        ball(c, v, knot, 3.2);
        hideBehindHead(c, v, v.project(knot).depth + 4);
    } else if (kind == "headphones") {
        // Ear cups beside the head over a band across the crown; a cup behind the head
        // is drawn first and hidden where the head covers it.
        const double headDepth = v.project(kHeadCentre).depth;
        auto cup = [&](int side) {
            const Vec3 inner = kHeadCentre + Vec3{side * (kHeadRadius - 1.0), -3, -1};
            const Vec3 outer = inner + Vec3{side * 5.5, 0, 0};
            limb(c, v.project(inner).point(), 7, v.project(outer).point(), 6.6, label::base, label::soft, label::line);
            if (v.project(outer).depth > v.project(inner).depth) {
                pathCircle(c.path(), v.project(outer).point(), 3);
                c.fillInside(label::light);
            }
        };
        std::vector<int> near;
        for (int side : {1, -1}) {
            if (v.project(kHeadCentre + Vec3{side * 1.0, 0, 0}).depth < headDepth - 0.5) cup(side);
            else near.push_back(side);
        }
        hideBehindHead(c, v, headDepth - 1);
        fillSphere(c, v, kHeadCentre, kHeadRadius + 3.2, [&](const Vec3& n, const Vec3& vn, double e) {
            if (std::abs(n.f) > 0.17 || n.u < 0.3) return label::none;
            return e < 1.1 || std::abs(n.f) > 0.14 ? label::line : celShade(vn, e, true);
        });
        for (int side : near) cup(side);
    } else if (kind == "hood") {
        // A hood round the head with the face left open and its rim turned out a little.
        fillSphere(c, v, kHeadCentre + Vec3{0, 0.5, -1}, kHeadRadius + 4, [&](const Vec3& n, const Vec3& vn, double e) {
            const double az = azimuthOf(n) / 1.12, el = std::max(0.0, elevationOf(n)) / 0.66;
            if (elevationOf(n) < -0.62) return label::none;
            const double opening = az * az + el * el;  // below 1 inside the face opening
            if (opening < 1) return label::none;
            if (e < 1.1 || opening < 1.12) return label::line;
            return opening < 1.45 ? label::soft : celShade(vn, e);
        });
        for (int side : {1, -1}) {
            const Vec3 from = onHead(side * 0.95, -0.55, 3);
            // Only the cords on the side facing the viewer show.
            if (v.toView(from - kHeadCentre).f > 12)
                limb(c, v.project(from).point(), 0.9, v.project(from + Vec3{0, -9, 2}).point(), 0.9, label::highlight,
                     label::highlight, label::line, 0.6);
        }
    } else if (kind == "helmet") {
        // A cycling helmet: a shiny shell with vents running front to back.
        fillSphere(c, v, kHeadCentre + Vec3{0, 1, -0.5}, kHeadRadius + 3.4, [&](const Vec3& n, const Vec3& vn, double e) {
            const double az = azimuthOf(n), el = elevationOf(n);
            const double edge = 0.38 + (-0.15 - 0.38) * (1 - std::cos(az)) / 2;
            if (el < edge) return label::none;
            if (e < 1.1 || el < edge + 0.05) return label::line;
            if (el > 0.55 && (std::abs(n.l) < 0.05 || std::abs(std::abs(n.l) - 0.3) < 0.05)) return label::shadow;
            return celShade(vn, e, true);
        });
    } else if (kind == "boater") {
        fillPoints(c, ring(v, {0, 97, 0}, 28.5, 28.5), label::light, label::soft, 2.5);
        auto crown = rings(v, {{97, 20.8, 20.8, 0}, {107, 19.8, 19.8, 0}});
        fillPoints(c, crown, label::base, label::soft, 2.5);
        frontBand(c, v, 97.5, 4, 21.1, 21.1);
        c.fillInside(label::red);
        frontBand(c, v, 97.5, 0.8, 21.1, 21.1);
        c.fillInside(label::redShade);
        pathHull(c.path(), ring(v, {0, 107, 0}, 19.8, 19.8));
        c.fill(label::light);
        pathHull(c.path(), ring(v, {0, 107, 0}, 19.8, 19.8));
        c.stroke(label::line, 1);
    } else if (kind == "witch") {
        // A wide brim and a tall crown whose tip bends back.
        fillPoints(c, ring(v, {0, 99, 0}, 28, 28), label::base, label::soft, 2.5);
        auto cone = ring(v, {0, 100, -1}, 15, 15);
        auto waist = ring(v, {0, 114, -3}, 6, 6);
        cone.insert(cone.end(), waist.begin(), waist.end());
        fillPoints(c, cone, label::base, label::soft, 2.5);
        auto tip = ring(v, {0, 114, -3}, 5.7, 5.7);
        tip.push_back(v.project({-4, 122, -10}).point());
        fillPoints(c, tip, label::base, label::soft, 1.5);
        frontBand(c, v, 100.3, 3.2, 14.6, 14.6, -1);
        c.fillInside(label::purple);
        if (v.frontness() > 0.2) {
            const Point b = v.project({0, 102, 14}).point();
            cairo_rectangle(c.path(), b.x - 2, b.y - 2, 4, 4);
            c.stroke(label::gold, 1.2);
        }
    } else {
        dome(c, v, 2, [](double) { return 0.4; });
    }
}

void drawHair(LabelCanvas& c, const View& v, const std::string& kind) {
    const double headDepth = v.project(kHeadCentre).depth;
    // Back pieces first, hidden where the head stands in front of them.
    auto strand = [&](Vec3 from, double r0, Vec3 to, double r1) {
        limb(c, v.project(from).point(), r0, v.project(to).point(), r1, label::base, label::soft, label::line);
    };
    // Hair that falls behind the head down to `bottom` on both sides.
    auto curtain = [&](double bottom) {
        for (int side : {1, -1}) {
            std::vector<Point> pts;
            for (double az = 0.9; az <= kPi + 0.01; az += 0.25)
                for (double el : {0.3, -0.2}) pts.push_back(v.project(onHead(side * az, el, 2.5)).point());
            pts.push_back(v.project({side * 17.0, bottom, -4}).point());
            pts.push_back(v.project({side * 6.0, bottom, -12}).point());
            pts.push_back(v.project({side * 14.0, bottom + 3, 5}).point());
            fillPoints(c, pts, label::base, label::soft, 2.5);
        }
    };
    if (kind == "long" || kind == "bob") {
        curtain(kind == "long" ? 48 : 72);
        hideBehindHead(c, v, v.project({0, 70, -10}).depth);
    } else if (kind == "wavy" || kind == "hime" || kind == "shoulder" || kind == "bangs") {
        curtain(kind == "shoulder" ? 60 : kind == "bangs" ? 66 : 48);
        for (int side : {1, -1}) {
            if (kind == "wavy") {
                // Waves along the outer edge, and wavy lines of shade down the hair.
                for (int k = 0; k < 4; ++k) ball(c, v, {side * (19.5 - k * 0.4), 80.0 - k * 8, -5}, 4.6, false);
                for (double l : {9.0, 14.5})
                    for (double u = 80; u > 50; u -= 0.5)
                        pathCircle(c.path(), v.project({side * (l + 1.6 * std::sin(u / 3.2)), u, -6}).point(), 0.55);
                c.fillInside(label::soft);
            }
        }
        hideBehindHead(c, v, v.project({0, 70, -10}).depth);
    } else if (kind == "braids") {
        for (int side : {1, -1}) {
            const Vec3 from = onHead(side * 1.95, -0.15, 1), to{side * 13.5, 49, -1};
            for (int k = 0; k <= 6; ++k) ball(c, v, from + (to - from) * (k / 6.0), 4.2 - k * 0.15, false);
            const Point tie = v.project(to + Vec3{0, -3.5, 0}).point();
            pathCircle(c.path(), tie, 2.2);
            c.fill(label::red);
            pathCircle(c.path(), tie, 2.2);
            c.stroke(label::redShade, 0.8);
            limb(c, v.project(to + Vec3{0, -5.5, 0}).point(), 2.4, v.project(to + Vec3{side * 0.5, -8, 0}).point(),
                 1.6, label::base, label::soft, label::line);
        }
        hideBehindHead(c, v, v.project(kHeadCentre + Vec3{0, 0, -18}).depth);
    } else if (kind == "locs") {
        // Locs all round the back and sides; those behind the head first, then hidden by it.
        for (int side : {1, -1})
            for (double az = 1.05; az <= kPi + 0.01; az += 0.26) {
                const Vec3 root = onHead(side * az, -0.05, 1.5);
                if (v.project(root).depth >= headDepth) continue;
                const Vec3 end{root.l * 1.08, 52.0 + 3 * std::cos(az * 5), root.f * 0.9};
                limb(c, v.project(root).point(), 2.6, v.project(end).point(), 2.1, label::base, label::soft,
                     label::line);
            }
        hideBehindHead(c, v, headDepth - 1);
    } else if (kind == "ponytail") {
        strand(onHead(kPi, 0.3, 2), 4.5, kHeadCentre + Vec3{0, -12, -30}, 3.5);
        hideBehindHead(c, v, v.project(kHeadCentre + Vec3{0, 0, -22}).depth);
    } else if (kind == "twintails") {
        for (int side : {1, -1}) {
            strand(onHead(side * 1.9, 0.35, 1), 4.5, kHeadCentre + Vec3{side * 31.0, -18, -4}, 4);
            ball(c, v, onHead(side * 1.9, 0.35, 1), 3, false);
        }
        hideBehindHead(c, v, v.project(kHeadCentre + Vec3{0, 0, -18}).depth);
    } else if (kind == "bun") {
        ball(c, v, onHead(kPi, 0.95, 5), 7.5, true);
        hideBehindHead(c, v, v.project(onHead(kPi, 0.9, 6)).depth);
    } else if (kind == "afro") {
        // Curls along the upper rim give the outline its bumps; the ball covers their inner halves.
        // It sits low enough that the top curls keep clear of the frame's top edge.
        const Vec3 middle = kHeadCentre + Vec3{0, 2.5, -2};
        const Projected centre = v.project(middle);
        const double rim = kHeadRadius + 6;
        for (int k = 0; k < 15; ++k) {
            const double a = -0.45 + k * (kPi + 0.9) / 14;
            const Point p{centre.x + rim * std::cos(a), centre.y - rim * std::sin(a)};
            limb(c, p, 5.2, p, 5.2, std::sin(a) > 0.55 ? label::light : label::base, label::soft, label::line);
        }
        fillSphere(c, v, middle, kHeadRadius + 8, [&](const Vec3& n, const Vec3& vn, double e) {
            (void)n;
            return celShade(vn, e);
        });
        // The face stays free.
        const Projected h = v.project(kHeadCentre);
        pathCircle(c.path(), h.point(), kHeadRadius);
        c.eraseWhere([&](double x, double y) {
            const double dx = (x - h.x) / kHeadRadius, dy = (h.y - y) / kHeadRadius;
            const double rr = dx * dx + dy * dy;
            if (rr >= 0.98) return false;
            const Vec3 n = v.fromView(dx, dy, std::sqrt(1 - rr));
            return std::abs(azimuthOf(n)) < 1.25 && elevationOf(n) < 0.32;
        });
    }
    // Volumes on top of the head: drawn before the cap when they lie behind the head's
    // middle, so that the cap covers them there, and after it otherwise.
    auto topVolume = [&] {
        if (kind == "highbun") {
            ball(c, v, onHead(0, 1.2, 3.5), 9.5);
        } else if (kind == "quiff") {
            // The front swept up into a raised roll.
            fillSphere(c, v, kHeadCentre + Vec3{0, 6, 3}, kHeadRadius + 1.5, [&](const Vec3& n, const Vec3& vn, double e) {
                if (elevationOf(n) < 0.45 || std::abs(azimuthOf(n)) > 1.0) return label::none;
                return celShade(vn, e, true);
            });
        }
    };
    if (kind == "hime") {
        // Side locks cut straight at the chin, in front of the ears; the cap covers their tops.
        for (int side : {1, -1}) {
            if (v.project(onHead(side * 1.3, 0, 0)).depth < headDepth - 4) continue;
            std::vector<Point> pts;
            for (double az : {1.08, 1.5})
                for (double el : {0.1, -0.2}) pts.push_back(v.project(onHead(side * az, el, 2.5)).point());
            pts.push_back(v.project({side * 21.5, 69, 7}).point());
            pts.push_back(v.project({side * 17.5, 69, 12}).point());
            fillPoints(c, pts, label::base, label::soft, 1.5);
        }
    }
    const bool volumeBehind = v.project(onHead(0, 0.85, 4)).depth < headDepth;
    if (volumeBehind) topVolume();
    // The cap of hair over the skull; its edge depends on the style.
    double front = 0.34, back = -0.55, grow = 2;
    bool shiny = true;
    if (kind == "bob") back = -0.95;
    if (kind == "long") back = -1.2;
    if (kind == "crop" || kind == "spiky" || kind == "mohawk") front = 0.42, back = -0.45;
    if (kind == "afro") front = 0.33, back = -1.0;
    // The newer styles reach low enough at the front and back to hide the figure's own hair.
    if (kind == "pixie" || kind == "quiff" || kind == "undercut") front = 0.3, back = -0.72;
    if (kind == "buzz" || kind == "cornrows") front = 0.27, back = -0.72, grow = 1.1, shiny = false;
    if (kind == "braids" || kind == "highbun" || kind == "locs") front = 0.27, back = -0.8;
    if (kind == "wavy" || kind == "hime") front = 0.27, back = -1.2;
    if (kind == "shoulder" || kind == "bangs") front = 0.27, back = -1.0;
    fillSphere(c, v, kHeadCentre + Vec3{0, 0.6, -0.4}, kHeadRadius + grow, [&](const Vec3& n, const Vec3& vn, double e) {
        const double az = azimuthOf(n), el = elevationOf(n);
        double edge = front + (back - front) * (1 - std::cos(az)) / 2;
        if (kind == "sidepart" && az > -0.2 && az < 1.2) edge -= 0.25 * std::sin((az + 0.2) / 1.4 * kPi);
        if (kind == "curls") edge -= 0.06 * std::cos(az * 14);
        if (kind == "bob" && std::abs(az) < 0.9) edge = 0.3;
        // A jagged fringe; a straight one; curtains parted in the middle; one swept to the left.
        if (kind == "pixie" && std::abs(az) < 1.3) edge += 0.08 * std::abs(std::sin(az * 7));
        if (kind == "hime" && std::abs(az) < 1.1) edge = 0.27;
        if (kind == "shoulder" && std::abs(az) < 1.2) edge = 0.34 - 0.22 * std::abs(std::sin(az));
        if (kind == "bangs" && az > -0.4 && az < 1.3) edge -= 0.2 * std::sin((az + 0.4) / 1.7 * kPi);
        if (el < edge) return label::none;
        if (kind == "mohawk" && std::abs(n.l) > 0.22) return el > 0.2 ? label::shadow : label::none;
        if (kind == "undercut" && std::abs(n.l) > 0.62) return e < 1.1 ? label::line : label::shadow;
        if (kind == "buzz" && e >= 1.1) {
            // Stubble: matt, with a sparse grain of darker dots.
            const int px = static_cast<int>(std::floor(vn.l * kHeadRadius)), py = static_cast<int>(std::floor(vn.u * kHeadRadius));
            if (((px + 2 * py) % 3 + 3) % 3 == 0 && (py % 2 + 2) % 2 == 0) return label::soft;
            const Label l = celShade(vn, e, false);
            return l == label::light ? label::base : l;
        }
        if (kind == "highbun" && e >= 1.1 && el > 0.35) {
            // Combed back towards the bun.
            const double lane = azimuthOf(n) / 0.3;
            if (std::abs(n.f) > 0.25 && std::abs(lane - std::round(lane)) < 0.06) return label::soft;
        }
        if (kind == "cornrows" && e >= 1.1) {
            // Rows from the brow to the nape.
            const double across = std::atan2(n.l, n.u) / 0.24;
            if (std::abs(across - std::round(across)) < 0.14) return label::shadow;
        }
        if (kind == "braids" && std::abs(n.l) < 0.03 && n.f > 0.2) return label::soft;  // the parting
        return celShade(vn, e, shiny);
    });
    if (!volumeBehind) topVolume();
    // Locks in front of the head.
    if (kind == "locs")
        for (int side : {1, -1})
            for (double az = 1.05; az <= kPi + 0.01; az += 0.26) {
                const Vec3 root = onHead(side * az, -0.05, 1.5);
                if (v.project(root).depth < headDepth) continue;
                const Vec3 end{root.l * 1.08, 52.0 + 3 * std::cos(az * 5), root.f * 0.9};
                limb(c, v.project(root).point(), 2.6, v.project(end).point(), 2.1, label::base, label::soft,
                     label::line);
            }
    if (kind == "undercut") {
        // The long top stands above the shaved sides.
        fillSphere(c, v, kHeadCentre + Vec3{-1, 2, 0}, kHeadRadius + 3, [&](const Vec3& n, const Vec3& vn, double e) {
            if (elevationOf(n) < 0.42 || std::abs(n.l) > 0.6) return label::none;
            return celShade(vn, e, true);
        });
    }
    if (kind == "pixie" && v.project(onHead(0, 0.3, 0)).depth > headDepth - 4) {
        // Wisps over the forehead.
        for (double az : {-0.75, -0.35, 0.05, 0.45, 0.85}) {
            const Point pts[] = {v.project(onHead(az - 0.18, 0.33, 2.2)).point(),
                                 v.project(onHead(az + 0.18, 0.33, 2.2)).point(),
                                 v.project(onHead(az + 0.1, 0.13, 2)).point()};
            if (v.project(onHead(az, 0.3, 0)).depth < headDepth) continue;
            // Outlined only along its lower edges, so that it grows out of the cap.
            pathPolygon(c.path(), pts, 3);
            c.fillShaded(label::base, label::soft, 1);
            cairo_move_to(c.path(), pts[0].x, pts[0].y);
            cairo_line_to(c.path(), pts[2].x, pts[2].y);
            cairo_line_to(c.path(), pts[1].x, pts[1].y);
            c.stroke(label::line, 0.9);
        }
    }
    if (kind == "spiky" || kind == "mohawk") {
        const int count = kind == "spiky" ? 9 : 6;
        for (int k = 0; k < count; ++k) {
            const double az = kind == "spiky" ? 2 * kPi * k / count : 0.0;
            const double el = kind == "spiky" ? 0.75 : 0.2 + 1.2 * k / (count - 1) - 0.1;
            const double azk = kind == "mohawk" ? (k < 3 ? 0.0 : kPi) : az;
            const double elk = kind == "mohawk" ? (k < 3 ? 0.6 + 0.35 * k : 0.6 + 0.35 * (k - 3)) : el;
            const Vec3 root = onHead(azk, elk, 0);
            const Vec3 out = (root - kHeadCentre).unit();
            const Point a = v.project(root + Vec3{out.f * 3.5, 0, -out.l * 3.5}).point();
            const Point b = v.project(root - Vec3{out.f * 3.5, 0, -out.l * 3.5}).point();
            const Point tip = v.project(root + out * 9).point();
            const Point pts[] = {a, tip, b};
            if (v.project(root).depth < headDepth - 12) continue;
            pathPolygon(c.path(), pts, 3);
            c.fillShaded(label::base, label::soft, 1.2);
            pathPolygon(c.path(), pts, 3);
            c.stroke(label::line, 1);
        }
    }
    if (kind == "curls") {
        for (int k = 0; k < 10; ++k) {
            const double az = 2 * kPi * k / 10;
            if (std::abs(std::remainder(az, 2 * kPi)) < 0.8) continue;
            const Vec3 at = onHead(az, -0.2, 1);
            if (v.project(at).depth < headDepth - 8) continue;
            ball(c, v, at, 4.2, false);
        }
    }
    keepFaceFree(c, v);
}

void drawTopBody(LabelCanvas& c, const View& v, const TopStyle& s) {
    const double hem = s.pattern == "gown" ? 36 : s.pattern == "doctor" ? 27 : 33;
    if (s.neck == "hood") {
        auto hood = rings(v, {{64, 9, 5, -6}, {72, 8, 4, -9}});
        fillPoints(c, hood, label::soft, label::shadow, 1.5);
        hideBehindHead(c, v, v.project({0, 70, -8}).depth);
    }
    auto body = rings(v, {{hem, 11.8, 8.4, 0}, {48, 11.9, 8.9, 0}, {61.8, 13.8, 8.3, 0}});
    // A baseball tee has a white body and coloured sleeves.
    if (s.pattern == "raglan") fillPoints(c, body, label::offWhite, label::offWhiteShade, 2.6);
    else fillPoints(c, body, label::base, label::soft, 2.6);
    const double front = v.frontness();
    const bool frontVisible = front > 0.25;
    auto frontPoint = [&](double l, double u) { return v.project({l, u, 8.6}).point(); };
    auto squash = std::max(0.3, front);
    if (s.pattern == "stripes" || s.pattern == "pyjama" || s.pattern == "cheer") {
        const double step = s.pattern == "pyjama" ? 7 : 5.5;
        for (double u = hem + 2.5; u < 60; u += step) {
            frontBand(c, v, u, s.pattern == "pyjama" ? 1.2 : 2.2, 13, 10);
            c.fillInside(label::highlight);
            if (s.pattern == "cheer") break;
        }
    }
    if (s.pattern == "knit") {
        for (double l = -10; l <= 10; l += 3.3) {
            pathCapsule(c.path(), v.project({l, hem + 1, 9}).point(), 0.35, v.project({l, 60, 9}).point(), 0.35);
            c.fillInside(label::soft);
        }
    }
    if (s.pattern == "checked") {
        for (double k = -60; k < 60; k += 4) {
            cairo_rectangle(c.path(), 64 + k, 20, 0.9, 60);
            cairo_rectangle(c.path(), 0, 60 + k, 128, 0.9);
        }
        c.fillInside(label::shadow);
    }
    if (s.pattern == "puffer") {
        for (double u = hem + 5; u < 60; u += 6) {
            frontBand(c, v, u, 0.8, 13, 10);
            c.fillInside(label::soft);
        }
    }
    if (s.pattern == "snowflake") {
        for (double u : {hem + 2.0, 53.0}) {
            frontBand(c, v, u, 2.4, 13, 10);
            c.fillInside(label::highlight);
        }
    }
    if (s.pattern == "obi" || s.pattern == "sash") {
        const bool obi = s.pattern == "obi";
        frontBand(c, v, obi ? 38 : 42, obi ? 7 : 3, 13, 10);
        c.fillInside(obi ? label::gold : label::highlight);
        frontBand(c, v, obi ? 41 : 43, 1, 13, 10);
        c.fillInside(obi ? label::goldShade : label::soft);
    }
    if (s.pattern == "stars" || s.pattern == "varsity") {
        frontBand(c, v, hem + 0.5, 2, 12.5, 9.5);
        c.fillInside(s.pattern == "stars" ? label::gold : label::highlight);
    }
    if (s.pattern == "gown") {
        frontBand(c, v, hem + 1, 4, 12.5, 9.5);
        c.fillInside(label::highlight);
    }
    if (frontVisible) {
        auto centreLine = [&](Label l, double width) {
            cairo_move_to(c.path(), frontPoint(0, 60).x, frontPoint(0, 60).y);
            cairo_line_to(c.path(), frontPoint(0, hem).x, frontPoint(0, hem).y);
            c.stroke(l, width);
        };
        if (s.pattern == "star") {
            const Point p = frontPoint(0, 48);
            cairo_t* cr = c.path();
            for (int i = 0; i < 10; ++i) {
                const double a = -kPi / 2 + i * kPi / 5, r = i % 2 ? 2.4 : 5.8;
                const double x = p.x + squash * r * std::cos(a), y = p.y + r * std::sin(a);
                if (i == 0) cairo_move_to(cr, x, y);
                else cairo_line_to(cr, x, y);
            }
            cairo_close_path(cr);
            c.fill(label::gold);
        } else if (s.pattern == "heart") {
            const Point p = frontPoint(0, 48);
            cairo_t* cr = c.path();
            cairo_move_to(cr, p.x, p.y + 4.5);
            cairo_curve_to(cr, p.x - 6.5 * squash, p.y, p.x - 4.5 * squash, p.y - 6, p.x, p.y - 2.5);
            cairo_curve_to(cr, p.x + 4.5 * squash, p.y - 6, p.x + 6.5 * squash, p.y, p.x, p.y + 4.5);
            cairo_close_path(cr);
            c.fill(label::red);
        } else if (s.pattern == "number") {
            const Point p = frontPoint(0, 48);
            cairo_t* cr = c.path();
            cairo_move_to(cr, p.x - 3.5 * squash, p.y - 5);
            cairo_line_to(cr, p.x + 3.5 * squash, p.y - 5);
            cairo_line_to(cr, p.x - 1 * squash, p.y + 5);
            c.stroke(label::highlight, 2.2);
        } else if (s.pattern == "buttons" || s.pattern == "blazer" || s.pattern == "pyjama" || s.pattern == "chef") {
            centreLine(label::shadow, 0.8);
            for (double u : {56.0, 49.0, 42.0}) {
                for (double l : s.pattern == "chef" ? std::vector<double>{-4, 4} : std::vector<double>{1.5}) {
                    pathCircle(c.path(), frontPoint(l, u), 1.1);
                    c.fill(s.pattern == "blazer" ? label::gold : label::ink);
                }
            }
        } else if (s.pattern == "zip" || s.pattern == "jacket") {
            centreLine(s.pattern == "zip" ? label::steel : label::shadow, 1.2);
            if (s.pattern == "jacket")
                for (int side : {1, -1}) {
                    pathCircle(c.path(), frontPoint(side * 6.5, 52), 1.6);
                    c.fillInside(label::shadow);
                }
        } else if (s.pattern == "pocket") {
            const Point a = frontPoint(-6, 43), b = frontPoint(6, 43), d = frontPoint(-7, hem + 2),
                        e = frontPoint(7, hem + 2);
            const Point pts[] = {a, b, e, d};
            pathPolygon(c.path(), pts, 4);
            c.fillInside(label::soft);
            pathPolygon(c.path(), pts, 4);
            c.stroke(label::line, 0.8);
        } else if (s.pattern == "tie") {
            const Point pts[] = {frontPoint(-1.6, 60), frontPoint(1.6, 60), frontPoint(2.6, 44), frontPoint(0, 40),
                                 frontPoint(-2.6, 44)};
            pathPolygon(c.path(), pts, 5);
            c.fill(label::red);
            pathPolygon(c.path(), pts, 5);
            c.stroke(label::redShade, 0.8);
        } else if (s.pattern == "space") {
            const Point p = frontPoint(-5, 52);
            pathCircle(c.path(), p, 2.6);
            c.fill(label::red);
            cairo_rectangle(c.path(), frontPoint(2, 55).x, frontPoint(2, 55).y, 6 * squash, 4);
            c.fill(label::sky);
        } else if (s.pattern == "cheer") {
            const Point p = frontPoint(0, 49);
            pathCircle(c.path(), p, 4);
            c.fill(label::white);
        }
        auto star = [&](Point p, double r, Label l) {
            cairo_t* cr = c.path();
            for (int i = 0; i < 10; ++i) {
                const double a = -kPi / 2 + i * kPi / 5, rr = i % 2 ? r * 0.42 : r;
                const double x = p.x + squash * rr * std::cos(a), y = p.y + rr * std::sin(a);
                if (i == 0) cairo_move_to(cr, x, y);
                else cairo_line_to(cr, x, y);
            }
            cairo_close_path(cr);
            c.fillInside(l);
        };
        if (s.pattern == "frill") {
            // A ruffle down the middle of a blouse.
            for (double u = 57; u > hem + 2; u -= 3.4) {
                pathCircle(c.path(), frontPoint(0, u), 2.1);
                c.fill(label::highlight);
                pathCircle(c.path(), frontPoint(0, u), 2.1);
                c.stroke(label::soft, 0.7);
            }
        } else if (s.pattern == "snowflake") {
            const Point p = frontPoint(0, 45);
            for (int k = 0; k < 3; ++k) {
                const double a = k * kPi / 3;
                cairo_move_to(c.path(), p.x - 4.2 * squash * std::cos(a), p.y - 4.2 * std::sin(a));
                cairo_line_to(c.path(), p.x + 4.2 * squash * std::cos(a), p.y + 4.2 * std::sin(a));
            }
            c.stroke(label::highlight, 1.1);
        } else if (s.pattern == "rainbow") {
            const Point p = frontPoint(0, 42);
            const Label colours[] = {label::red, label::gold, label::green, label::sky};
            for (int k = 0; k < 4; ++k) {
                cairo_save(c.path());
                cairo_translate(c.path(), p.x, p.y);
                cairo_scale(c.path(), squash, 1);
                cairo_arc(c.path(), 0, 0, 7.5 - k * 1.5, kPi, 2 * kPi);
                cairo_restore(c.path());
                c.stroke(colours[k], 1.5);
            }
        } else if (s.pattern == "stars") {
            star(frontPoint(-5.5, 51), 3.2, label::gold);
            star(frontPoint(4.5, 43), 2.6, label::gold);
            star(frontPoint(-2, 37.5), 2, label::gold);
        } else if (s.pattern == "varsity") {
            // A letter patch on the left of the chest.
            const Point a = frontPoint(4, 54), b = frontPoint(4, 47.5), d = frontPoint(8, 47.5);
            cairo_move_to(c.path(), a.x, a.y);
            cairo_line_to(c.path(), b.x, b.y);
            cairo_line_to(c.path(), d.x, d.y);
            c.stroke(label::offWhite, 1.6);
            centreLine(label::shadow, 0.8);
            for (double u : {56.0, 50.0, 44.0, 38.0}) {
                pathCircle(c.path(), frontPoint(0.8, u), 0.9);
                c.fill(label::offWhite);
            }
        } else if (s.pattern == "kit") {
            // A number on the chest and a side panel of the lighter shade.
            const Point p = frontPoint(0, 47);
            cairo_move_to(c.path(), p.x - 1.5 * squash, p.y - 3.5);
            cairo_line_to(c.path(), p.x, p.y - 5);
            cairo_line_to(c.path(), p.x, p.y + 5);
            c.stroke(label::highlight, 2.2);
        } else if (s.pattern == "doctor") {
            // A white coat: buttons, pockets and a stethoscope round the neck.
            centreLine(label::soft, 0.8);
            for (double u : {52.0, 44.0, 36.0}) {
                pathCircle(c.path(), frontPoint(1.2, u), 0.9);
                c.fill(label::shadow);
            }
            for (int side : {1, -1}) {
                const Point a = frontPoint(side * 3.5, 35), b = frontPoint(side * 9, 35), e = frontPoint(side * 9, 29.5),
                            f = frontPoint(side * 3.5, 29.5);
                const Point pts[] = {a, b, e, f};
                pathPolygon(c.path(), pts, 4);
                c.stroke(label::soft, 0.8);
            }
            cairo_move_to(c.path(), frontPoint(-5, 61).x, frontPoint(-5, 61).y);
            cairo_curve_to(c.path(), frontPoint(-6, 52).x, frontPoint(-6, 52).y, frontPoint(-1, 48).x,
                           frontPoint(-1, 48).y, frontPoint(-2, 46).x, frontPoint(-2, 46).y);
            cairo_move_to(c.path(), frontPoint(5, 61).x, frontPoint(5, 61).y);
            cairo_curve_to(c.path(), frontPoint(6, 52).x, frontPoint(6, 52).y, frontPoint(0, 50).x,
                           frontPoint(0, 50).y, frontPoint(-2, 46).x, frontPoint(-2, 46).y);
            c.stroke(label::ink, 0.8);
            pathCircle(c.path(), frontPoint(-2, 45), 1.8);
            c.fill(label::steel);
            pathCircle(c.path(), frontPoint(-2, 45), 1.8);
            c.stroke(label::steelShade, 0.6);
        }
        // Necklines.
        if (s.neck == "wrap") {
            // The left panel crosses over the right one down to the waist.
            const Point pts[] = {frontPoint(-5.5, 62.5), frontPoint(-2.2, 62.5), frontPoint(6.5, hem + 6),
                                 frontPoint(3.2, hem + 5)};
            pathPolygon(c.path(), pts, 4);
            c.fillInside(label::highlight);
            pathPolygon(c.path(), pts, 4);
            c.stroke(label::line, 0.8);
            const Point inner[] = {frontPoint(2.5, 62.5), frontPoint(4.5, 62.5), frontPoint(0.5, 55)};
            pathPolygon(c.path(), inner, 3);
            c.fillInside(label::highlight);
        } else if (s.neck == "v" || s.neck == "collar" || s.neck == "sailor") {
            const Point pts[] = {frontPoint(-4.5, 62.5), frontPoint(4.5, 62.5), frontPoint(0, 54.5)};
            pathPolygon(c.path(), pts, 3);
            c.fill(s.neck == "sailor" ? label::redShade : label::soft);
            if (s.neck == "collar" || s.neck == "sailor") {
                for (int side : {1, -1}) {
                    const Point col[] = {frontPoint(side * 0.5, 62.5), frontPoint(side * 6.5, 62.5),
                                         frontPoint(side * 4, 55.5)};
                    pathPolygon(c.path(), col, 3);
                    c.fill(s.neck == "sailor" ? label::highlight : label::light);
                    pathPolygon(c.path(), col, 3);
                    c.stroke(label::line, 0.8);
                }
            }
            if (s.neck == "sailor") {
                const Point knot[] = {frontPoint(-2.5, 55.5), frontPoint(2.5, 55.5), frontPoint(0, 50)};
                pathPolygon(c.path(), knot, 3);
                c.fill(label::red);
            }
        } else if (s.neck == "hood") {
            for (int side : {1, -1}) {
                cairo_move_to(c.path(), frontPoint(side * 3, 61).x, frontPoint(side * 3, 61).y);
                cairo_line_to(c.path(), frontPoint(side * 3.4, 53).x, frontPoint(side * 3.4, 53).y);
                c.stroke(label::highlight, 0.9);
            }
        } else {
            std::vector<Point> neck = ring(v, {0, 61.8, 0.4}, 5.6, 4.6, 16);
            std::vector<Point> front;
            for (const Point& p : neck) front.push_back(p);
            pathHull(c.path(), front);
            c.fill(label::soft);
        }
    }
    if (s.neck == "stand") {
        // Tall enough to show above a top worn over it.
        auto tube = rings(v, {{59, 6.2, 5.4, -0.4}, {65.5, 5.7, 5.0, -0.4}});
        fillPoints(c, tube, label::base, label::shadow, 1.5);
    }
    if (s.neck == "turtle") {
        auto tube = rings(v, {{59, 5.8, 5.2, -0.4}, {67, 5.4, 4.9, -0.4}});
        fillPoints(c, tube, label::light, label::soft, 1.5);
    }
    if (s.neck == "sailor" && !frontVisible) {
        std::vector<Point> flap = {v.project({-9, 62, -8}).point(), v.project({9, 62, -8}).point(),
                                   v.project({8, 51, -9}).point(), v.project({-8, 51, -9}).point()};
        pathPolygon(c.path(), flap.data(), flap.size());
        c.fill(label::shadow);
        pathPolygon(c.path(), flap.data(), flap.size());
        c.stroke(label::highlight, 1);
    }
}

void drawTopSleeve(LabelCanvas& c, const View& v, int side, const ArmPose& pose, const TopStyle& s) {
    const ArmJoints j = armJoints(pose, side);
    const Point sh = v.project(j.shoulder).point(), el = v.project(j.elbow).point();
    if (s.sleeves == "none") {
        // Straps over the shoulder only.
        pathCircle(c.path(), sh, 3.0);
        c.fillShaded(label::base, label::soft, 1);
        pathCircle(c.path(), sh, 3.0);
        c.stroke(label::line, 0.9);
        return;
    }
    if (s.sleeves == "puff") {
        ball(c, v, j.shoulder + (j.elbow - j.shoulder) * 0.25, 6.2, true);
        return;
    }
    if (s.sleeves == "short") {
        const Point end = v.project(j.shoulder + (j.elbow - j.shoulder) * 0.62).point();
        limb(c, sh, 5.2, end, 4.8, label::base, label::soft, label::line);
        if (s.pattern == "stripes") {
            pathCapsule(c.path(), v.project(j.shoulder + (j.elbow - j.shoulder) * 0.4).point(), 5, end, 4.6);
            c.fillInside(label::highlight);
        } else if (s.pattern == "kit") {
            pathCircle(c.path(), end, 4.7);
            c.fillInside(label::highlight);
        } else if (s.pattern == "checked") {
            for (double k = -60; k < 60; k += 4) {
                cairo_rectangle(c.path(), 64 + k, 20, 0.9, 60);
                cairo_rectangle(c.path(), 0, 60 + k, 128, 0.9);
            }
            c.fillInside(label::shadow);
        }
        return;
    }
    if (s.sleeves == "wide") {
        // A wide sleeve that hangs below the forearm whichever way the arm points.
        const Point wrist = v.project(j.elbow + (j.hand - j.elbow) * 0.8).point();
        const Point hang = v.project(j.elbow + (j.hand - j.elbow) * 0.55 + Vec3{0, -6, 0}).point();
        limbs(c, {{sh, 5.4, el, 5.6}, {el, 5.8, wrist, 6.6}, {hang, 5.2, wrist, 6.2}}, label::base, label::soft,
              label::line);
        pathCircle(c.path(), wrist, 5.4);
        c.fillInside(s.pattern == "stars" ? label::gold : label::highlight);
        pathCircle(c.path(), wrist, 3.6);
        c.fillInside(label::shadow);
        return;
    }
    const Point wrist = v.project(j.elbow + (j.hand - j.elbow) * 0.86).point();
    // A varsity jacket's sleeves are white; the rest take the colour.
    if (s.pattern == "varsity")
        limbs(c, {{sh, 5.2, el, 4.7}, {el, 4.6, wrist, 4.2}}, label::offWhite, label::offWhiteShade, label::line);
    else limbs(c, {{sh, 5.2, el, 4.7}, {el, 4.6, wrist, 4.2}}, label::base, label::soft, label::line);
    pathCircle(c.path(), wrist, 4.0);
    c.fillInside(s.pattern == "space" || s.pattern == "varsity" ? label::highlight : label::soft);
    if (s.pattern == "puffer") {
        for (double t : {0.5}) {
            pathCircle(c.path(), v.project(j.shoulder + (j.elbow - j.shoulder) * t).point(), 5);
            c.fillInside(label::soft);
            pathCircle(c.path(), v.project(j.shoulder + (j.elbow - j.shoulder) * t).point(), 4.2);
            c.fillInside(label::base);
        }
    }
    if (s.pattern == "checked") {
        for (double k = -60; k < 60; k += 4) {
            cairo_rectangle(c.path(), 64 + k, 20, 0.9, 60);
            cairo_rectangle(c.path(), 0, 60 + k, 128, 0.9);
        }
        c.fillInside(label::shadow);
        pathCircle(c.path(), wrist, 3.0);
        c.fillInside(label::soft);
    }
    if (s.pattern == "stripes" || s.pattern == "pyjama") {
        for (double t : {0.3, 0.7}) {
            pathCircle(c.path(), v.project(j.shoulder + (j.elbow - j.shoulder) * t).point(), 5);
            c.fillInside(label::highlight);
        }
    }
}

void drawTrouserLeg(LabelCanvas& c, const View& v, int side, const LegPose& pose, const TrouserStyle& s) {
    const LegJoints j = legJoints(pose, side);
    const Point hip = v.project(j.hip).point(), knee = v.project(j.knee).point();
    // Leg widths at the hip, the knee and the hem, and how far down the shin the hem comes.
    struct Cut {
        double hip, knee, hem, reach;
    };
    Cut cut{6.6, 5.5, 4.9, s.length == "shorts" ? 0.7 : s.length == "capri" ? 0.55 : 0.9};
    // A wide hem ends above the ankle so that its round end stays above the frame's
    // bottom edge.
    if (s.length == "wide") cut = {6.9, 6.4, 7.0, 0.8};
    if (s.length == "flare") cut = {6.5, 5.0, 6.5, 0.82};
    if (s.length == "leggings") cut = {6.1, 4.8, 3.9, 0.95};
    if (s.length == "tapered") cut = {6.8, 5.6, 4.3, 0.9};
    // Scrubs are blue whatever the coat over them is.
    const Label fill = s.pattern == "scrubs" ? label::sky : label::base;
    const Label shade = s.pattern == "scrubs" ? label::skyShade : label::soft;
    std::vector<Point> seat;
    for (auto& r : {ring(v, {side * 4.8, 38.5, 0}, 7.0, 8.0), ring(v, {side * 1.5, 35.5, 0}, 4.3, 8.0)})
        seat.insert(seat.end(), r.begin(), r.end());
    pathHull(c.path(), seat);
    c.fillShaded(fill, shade, 2);
    if (s.length == "shorts") {
        const Point end = v.project(j.hip + (j.knee - j.hip) * cut.reach).point();
        limb(c, hip, 6.6, end, 6.0, fill, shade, label::line);
        if (s.pattern == "kit") {
            const Vec3 out{side * 5.8, 0, 0};
            pathCapsule(c.path(), v.project(j.hip + out).point(), 1.1,
                        v.project(j.hip + (j.knee - j.hip) * cut.reach + out).point(), 1.1);
            c.fillInside(label::highlight);
        }
    } else {
        const Point end = v.project(j.knee + (j.ankle - j.knee) * cut.reach).point();
        limbs(c, {{hip, cut.hip, knee, cut.knee}, {knee, cut.knee - 0.1, end, cut.hem}}, fill, shade, label::line);
        if (s.pattern == "cuffs" || s.pattern == "jeans" || s.pattern == "pyjama") {
            pathCircle(c.path(), end, std::max(5.0, cut.hem + 0.1));
            c.fillInside(label::light);
        }
    }
    pathHull(c.path(), seat);
    c.fillShaded(fill, shade, 2);
    pathHull(c.path(), seat);
    c.stroke(label::line, 1);
    // The waistband on this side.
    frontBand(c, v, 36.5, 2.5, 11.4, 8.2);
    c.fillInside(s.pattern == "space" ? label::highlight : s.pattern == "scrubs" ? label::skyShade : label::shadow);
    if (s.pattern == "stripe") {
        const Vec3 out{side * 5.6, 0, 0};
        cairo_move_to(c.path(), v.project(j.hip + out).x, v.project(j.hip + out).y);
        cairo_line_to(c.path(), v.project(j.knee + out).x, v.project(j.knee + out).y);
        cairo_line_to(c.path(), v.project(j.ankle + out * 0.85).x, v.project(j.ankle + out * 0.85).y);
        c.stroke(label::highlight, 1.6);
    } else if (s.pattern == "cargo") {
        const Point p = v.project(j.hip + (j.knee - j.hip) * 0.6 + Vec3{side * 5.5, 0, 0}).point();
        cairo_rectangle(c.path(), p.x - 2.5, p.y - 2.5, 5, 5);
        c.fillInside(label::soft);
    } else if (s.pattern == "checked" || s.pattern == "chef") {
        for (double k = -60; k < 60; k += 4) {
            cairo_move_to(c.path(), hip.x + k, 20);
            cairo_line_to(c.path(), hip.x + k + 0.01, 128);
            cairo_move_to(c.path(), 0, 60 + k);
            cairo_line_to(c.path(), 128, 60 + k + 0.01);
        }
        cairo_set_line_width(c.path(), 1);
        cairo_stroke_preserve(c.path());
        cairo_new_path(c.path());
        // The lines above only set up the grid; paint it inside the trousers.
        for (double k = -60; k < 60; k += 4) {
            cairo_rectangle(c.path(), hip.x + k, 20, 0.9, 108);
            cairo_rectangle(c.path(), 0, 60 + k, 128, 0.9);
        }
        c.fillInside(s.pattern == "chef" ? label::shadow : label::soft);
    } else if (s.pattern == "jeans" || s.pattern == "crease") {
        cairo_move_to(c.path(), hip.x, hip.y + 3);
        cairo_line_to(c.path(), knee.x, knee.y);
        c.stroke(s.pattern == "jeans" ? label::light : label::soft, 0.7);
    } else if (s.pattern == "space") {
        pathCircle(c.path(), knee, 4.2);
        c.fillInside(label::soft);
    }
}

void drawSkirt(LabelCanvas& c, const View& v, const LegPose& left, const LegPose& right, const SkirtStyle& s) {
    const LegJoints a = legJoints(left, 1), b = legJoints(right, -1);
    const double hemHeight = s.length == "short" ? 23 : s.length == "knee" ? 15 : 5;
    const double flare = s.pattern == "tutu" ? 19 : s.pattern == "gown" ? 20 : s.length == "long" ? 15 : 14.5;
    // The hem follows the knees when the legs bend.
    const Vec3 knees = (a.knee + b.knee) * 0.5;
    const double bend = std::clamp(knees.f / 10, 0.0, 1.2);
    const double hemU = std::max(hemHeight, std::min(hemHeight + bend * 12, knees.u - 2));
    const double hemF = bend * 8;
    const double waist = s.pattern == "gown" ? 34 : 38.5;
    const double hemL = flare + bend * 3, hemR = 11 + bend * 5;
    auto shape = rings(v, {{waist, 11.2, 8.0, 0}, {hemU, hemL, hemR, hemF}});
    if (s.pattern == "tiers") {
        // Three tiers, the lowest first, each flaring out a little past the line of the skirt.
        for (int k = 2; k >= 0; --k) {
            const double t0 = k == 0 ? 0 : k / 3.0 - 0.06, t1 = (k + 1) / 3.0, out = 1.8;
            auto at = [&](double t, double extra) {
                return std::tuple{waist + (hemU - waist) * t, 11.2 + (hemL - 11.2) * t + extra,
                                  8.0 + (hemR - 8.0) * t + extra * 0.7, hemF * t};
            };
            fillPoints(c, rings(v, {at(t0, k == 0 ? 0 : out * 0.3), at(t1, out)}), label::base, label::soft, 2.2);
        }
    } else {
        fillPoints(c, shape, label::base, label::soft, 2.8);
    }
    if (s.pattern == "dots") {
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 20; ++col) {
                pathCircle(c.path(), {20 + col * 4.6 + (row % 2) * 2.3, 70 + row * 4.2}, 0.95);
            }
        c.fillInside(label::highlight);
    }
    if ((s.pattern == "wrap" || s.pattern == "stars") && v.frontness() > -0.2) {
        frontBand(c, v, hemU, 2.2, hemL - 0.3, hemR - 0.3, hemF);
        c.fillInside(s.pattern == "stars" ? label::gold : label::highlight);
    }
    if (s.pattern == "wrap" && v.frontness() > 0.2) {
        // The edge of the overlapping panel, slanting across the front.
        const Point pts[] = {v.project({3.2, waist, 8.4}).point(), v.project({4.2, waist, 8.4}).point(),
                             v.project({-3.0, hemU, hemR + hemF + 0.4}).point(),
                             v.project({-4.0, hemU, hemR + hemF + 0.4}).point()};
        pathPolygon(c.path(), pts, 4);
        c.fillInside(label::line);
    }
    if (s.pattern == "stars") {
        const double places[][2] = {{0.4, 0.45}, {1.2, 0.8}, {1.9, 0.35}, {2.7, 0.7}, {3.6, 0.5},
                                    {4.4, 0.8}, {5.1, 0.35}, {5.8, 0.7}};
        for (const auto& [a, t] : places) {
            if (v.toView({std::cos(a), 0, std::sin(a)}).f < 0.25) continue;
            const double rl = 11.2 + (hemL - 11.2) * t, rf = 8.0 + (hemR - 8.0) * t;
            const Point p = v.project({rl * std::cos(a), waist + (hemU - waist) * t, rf * std::sin(a) + hemF * t}).point();
            cairo_t* cr = c.path();
            for (int i = 0; i < 10; ++i) {
                const double b = -kPi / 2 + i * kPi / 5, r = i % 2 ? 1.1 : 2.6;
                if (i == 0) cairo_move_to(cr, p.x + r * std::cos(b), p.y + r * std::sin(b));
                else cairo_line_to(cr, p.x + r * std::cos(b), p.y + r * std::sin(b));
            }
            cairo_close_path(cr);
            c.fillInside(label::gold);
        }
    }
    if (s.pattern == "pleats" || s.pattern == "tutu" || s.pattern == "gown") {
        for (int k = 0; k < 12; ++k) {
            const double ang = 2 * kPi * k / 12;
            const Vec3 top{11 * std::cos(ang), waist - 1, 7.8 * std::sin(ang)};
            const Vec3 bottom{(flare + bend * 3) * std::cos(ang), hemU + 1, (11 + bend * 5) * std::sin(ang) + hemF};
            if (v.project(bottom).depth < v.project({0, hemU, hemF}).depth) continue;
            cairo_move_to(c.path(), v.project(top).x, v.project(top).y);
            cairo_line_to(c.path(), v.project(bottom).x, v.project(bottom).y);
            c.stroke(s.pattern == "gown" ? label::light : label::soft, 0.7);
        }
    }
    if (s.pattern == "tutu") {
        for (int k = 0; k < 16; ++k) {
            const double ang = 2 * kPi * k / 16;
            const Vec3 p{(flare + 1) * std::cos(ang), hemU + 1.5, (12 + bend * 5) * std::sin(ang) + hemF};
            pathCircle(c.path(), v.project(p).point(), 2.6);
        }
        c.fill(label::light);
    }
    if (s.pattern == "checked") {
        for (double k = -60; k < 60; k += 4) {
            cairo_rectangle(c.path(), 64 + k, 40, 0.9, 100);
            cairo_rectangle(c.path(), 0, 90 + k, 128, 0.9);
        }
        c.fillInside(label::soft);
    }
    if (s.pattern == "denim") {
        const Point top = v.project({0, waist - 1, 8.2}).point(), bottom = v.project({0, hemU + 1, 11}).point();
        if (v.frontness() > 0.2) {
            cairo_move_to(c.path(), top.x, top.y);
            cairo_line_to(c.path(), bottom.x, bottom.y);
            c.stroke(label::light, 0.7);
        }
    }
    frontBand(c, v, waist, 2.5, 11.6, 8.4);
    c.fillInside(s.pattern == "gown" ? label::highlight : label::shadow);
}

void drawShoe(LabelCanvas& c, const View& v, int side, const LegPose& pose, const std::string& kind) {
    const LegJoints j = legJoints(pose, side);
    const Point ankle = v.project(j.ankle).point(), toe = v.project(j.toe).point();
    if (kind == "clog") {
        // A thick wooden sole under a rounded upper, kept above the frame's bottom edge.
        limb(c, {ankle.x, ankle.y + 0.9}, 3.3, {toe.x, toe.y + 0.9}, 3.2, label::brown, label::brownShade,
             label::cardboardLine);
        limb(c, {ankle.x, ankle.y - 1}, 4.5, {toe.x, toe.y - 1}, 4.3, label::base, label::soft, label::line);
        pathCircle(c.path(), {toe.x, toe.y - 2.2}, 1.3);
        c.fillInside(label::highlight);
        return;
    }
    // A slipper is a little fuller than a shoe, but not so full that its heel reaches the
    // frame's bottom edge.
    const double r0 = kind == "slipper" ? 4.3 : 4.2, r1 = kind == "slipper" ? 4.3 : 3.8;
    const double shaft = kind == "boot"        ? 0.55
                         : kind == "rainboot"  ? 0.75
                         : kind == "hightop"   ? 0.28
                         : kind == "ankleboot" ? 0.3
                         : kind == "hiking"    ? 0.38
                                               : 0;
    if (shaft > 0) {
        const Point top = v.project(j.ankle + (j.knee - j.ankle) * shaft).point();
        limbs(c, {{ankle, 4.6, top, 4.8}, {ankle, r0, toe, r1}}, label::base, label::soft, label::line);
    }
    if (kind == "sandal") {
        for (double t : {0.2, 0.75}) {
            const Point p{ankle.x + (toe.x - ankle.x) * t, ankle.y + (toe.y - ankle.y) * t};
            pathCircle(c.path(), p, 3.8);
        }
        c.fillInside(label::base);
        limb(c, {ankle.x, ankle.y + 2.6}, 1.6, {toe.x, toe.y + 2.6}, 1.6, label::soft, label::shadow, label::line, 0.8);
        return;
    }
    if (shaft == 0) limb(c, ankle, r0, toe, r1, label::base, label::soft, label::line);
    const bool sole = kind == "sneaker" || kind == "hightop" || kind == "loafer" || kind == "boot" ||
                      kind == "rainboot" || kind == "runner" || kind == "ankleboot" || kind == "hiking" ||
                      kind == "maryjane";
    if (sole) {
        const bool white = kind == "sneaker" || kind == "hightop" || kind == "runner";
        pathCapsule(c.path(), {ankle.x, ankle.y + 2.4}, kind == "hiking" ? 2.4 : 2.0, {toe.x, toe.y + 2.4},
                    kind == "hiking" ? 2.4 : 2.0);
        c.fillInside(white ? label::offWhite : kind == "hiking" ? label::brownShade : label::shadow);
    }
    if (kind == "runner" && std::hypot(toe.x - ankle.x, toe.y - ankle.y) > 3) {
        // A swoosh along the side of a running shoe.
        cairo_move_to(c.path(), ankle.x, ankle.y - 0.5);
        cairo_curve_to(c.path(), (ankle.x + toe.x) / 2, (ankle.y + toe.y) / 2 + 1.5, (ankle.x + toe.x) / 2,
                       (ankle.y + toe.y) / 2 + 1.5, toe.x, toe.y - 1.5);
        c.stroke(label::offWhite, 1.3);
    } else if (kind == "maryjane") {
        // A strap across the instep and a shine on the toe.
        const double dx = toe.x - ankle.x, dy = toe.y - ankle.y, d = std::max(0.5, std::hypot(dx, dy));
        const Point m{ankle.x + dx * 0.3, ankle.y + dy * 0.3};
        const double nx = -dy / d, ny = dx / d;
        const Point strap[] = {{m.x + nx * 6 - dx / d * 0.8, m.y + ny * 6 - dy / d * 0.8},
                               {m.x + nx * 6 + dx / d * 0.8, m.y + ny * 6 + dy / d * 0.8},
                               {m.x - nx * 6 + dx / d * 0.8, m.y - ny * 6 + dy / d * 0.8},
                               {m.x - nx * 6 - dx / d * 0.8, m.y - ny * 6 - dy / d * 0.8}};
        pathPolygon(c.path(), strap, 4);
        c.fillInside(label::line);
        pathCircle(c.path(), {toe.x - 1, toe.y - 1.5}, 1.2);
        c.fillInside(label::highlight);
    } else if (kind == "hiking" && v.project(j.ankle + Vec3{0, 0, 3}).depth > v.project(j.ankle).depth) {
        // Laces up the front.
        for (double t : {0.15, 0.45, 0.75}) {
            const Point p = v.project(j.ankle + (j.knee - j.ankle) * (shaft * t) + Vec3{0, 0, 3.5}).point();
            pathCircle(c.path(), p, 0.9);
            c.fillInside(label::offWhite);
        }
    } else if (kind == "ankleboot") {
        const Point top = v.project(j.ankle + (j.knee - j.ankle) * shaft).point();
        pathCircle(c.path(), top, 4.6);
        c.fillInside(label::soft);
    }
    if (kind == "sneaker" || kind == "hightop") {
        const Point mid{(ankle.x + toe.x) / 2, (ankle.y + toe.y) / 2 - 2};
        pathCircle(c.path(), mid, 1.8);
        c.fillInside(label::highlight);
    } else if (kind == "flat") {
        pathCircle(c.path(), toe, 1.6);
        c.fill(label::pink);
    } else if (kind == "rainboot" || kind == "loafer") {
        pathCircle(c.path(), {toe.x - 1, toe.y - 1.5}, 1.2);
        c.fillInside(label::highlight);
    } else if (kind == "slipper") {
        pathCircle(c.path(), {toe.x, toe.y - 1}, 2.6);
        c.fillInside(label::highlight);
    }
}

}  // namespace likenex::art
