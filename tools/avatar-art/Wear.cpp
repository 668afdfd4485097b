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
                const Point base = v.project(root).point();
                const Point tip = v.project(root + Vec3{side * 5.0, 24, -2}).point();
                limb(c, base, 3.6, tip, 4.6, label::base, label::soft, label::line);
                if (facing) {
                    pathCapsule(c.path(), v.project(root + Vec3{0, 5, 1}).point(), 1.5,
                                v.project(root + Vec3{side * 4.5, 22, -1}).point(), 2.5);
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
        std::vector<Point> cone = ring(v, {0, 104, -2}, 9, 9);
        cone.push_back(v.project({2, 128 - 3, -3}).point());
        fillPoints(c, cone, label::base, label::soft, 2);
        const Point tip = v.project({2, 125, -3}).point();
        for (double u : {108.0, 114.0})
            for (auto p : {ring(v, {0, u, -2}, 7.5 - (u - 104) * 0.3, 7.5 - (u - 104) * 0.3)}) {
                (void)p;
                std::vector<Point> band = ring(v, {0, u, -2}, 9 - (u - 104) * 0.38, 9 - (u - 104) * 0.38);
                auto upper = ring(v, {0, u + 2.4, -2}, 9 - (u + 2.4 - 104) * 0.38, 9 - (u + 2.4 - 104) * 0.38);
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
    if (kind == "long" || kind == "bob") {
        const double bottom = kind == "long" ? 48 : 72;
        for (int side : {1, -1}) {
            std::vector<Point> pts;
            for (double az = 0.9; az <= kPi + 0.01; az += 0.25)
                for (double el : {0.3, -0.2}) pts.push_back(v.project(onHead(side * az, el, 2.5)).point());
            pts.push_back(v.project({side * 17.0, bottom, -4}).point());
            pts.push_back(v.project({side * 6.0, bottom, -12}).point());
            pts.push_back(v.project({side * 14.0, bottom + 3, 5}).point());
            fillPoints(c, pts, label::base, label::soft, 2.5);
        }
        hideBehindHead(c, v, v.project({0, 70, -10}).depth);
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
        const Projected centre = v.project(kHeadCentre + Vec3{0, 5, -2});
        const double rim = kHeadRadius + 6;
        for (int k = 0; k < 15; ++k) {
            const double a = -0.45 + k * (kPi + 0.9) / 14;
            const Point p{centre.x + rim * std::cos(a), centre.y - rim * std::sin(a)};
            limb(c, p, 5.2, p, 5.2, std::sin(a) > 0.55 ? label::light : label::base, label::soft, label::line);
        }
        fillSphere(c, v, kHeadCentre + Vec3{0, 5, -2}, kHeadRadius + 8, [&](const Vec3& n, const Vec3& vn, double e) {
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
    (void)headDepth;
    // The cap of hair over the skull; its edge depends on the style.
    double front = 0.34, back = -0.55;
    if (kind == "bob") back = -0.95;
    if (kind == "long") back = -1.2;
    if (kind == "crop" || kind == "spiky" || kind == "mohawk") front = 0.42, back = -0.45;
    if (kind == "afro") front = 0.33, back = -1.0;
    fillSphere(c, v, kHeadCentre + Vec3{0, 0.6, -0.4}, kHeadRadius + 2, [&](const Vec3& n, const Vec3& vn, double e) {
        const double az = azimuthOf(n);
        double edge = front + (back - front) * (1 - std::cos(az)) / 2;
        if (kind == "sidepart" && az > -0.2 && az < 1.2) edge -= 0.25 * std::sin((az + 0.2) / 1.4 * kPi);
        if (kind == "curls") edge -= 0.06 * std::cos(az * 14);
        if (kind == "bob" && std::abs(az) < 0.9) edge = 0.3;
        if (elevationOf(n) < edge) return label::none;
        if (kind == "mohawk" && std::abs(n.l) > 0.22) return elevationOf(n) > 0.2 ? label::shadow : label::none;
        return celShade(vn, e, true);
    });
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
}

void drawTopBody(LabelCanvas& c, const View& v, const TopStyle& s) {
    const double hem = s.pattern == "gown" ? 36 : 33;
    if (s.neck == "hood") {
        auto hood = rings(v, {{64, 9, 5, -6}, {72, 8, 4, -9}});
        fillPoints(c, hood, label::soft, label::shadow, 1.5);
        hideBehindHead(c, v, v.project({0, 70, -8}).depth);
    }
    auto body = rings(v, {{hem, 11.8, 8.4, 0}, {48, 11.9, 8.9, 0}, {61.8, 13.8, 8.3, 0}});
    fillPoints(c, body, label::base, label::soft, 2.6);
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
        // Necklines.
        if (s.neck == "v" || s.neck == "collar" || s.neck == "sailor") {
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
        }
        return;
    }
    const Point wrist = v.project(j.elbow + (j.hand - j.elbow) * 0.86).point();
    limbs(c, {{sh, 5.2, el, 4.7}, {el, 4.6, wrist, 4.2}}, label::base, label::soft, label::line);
    pathCircle(c.path(), wrist, 4.0);
    c.fillInside(s.pattern == "space" ? label::highlight : label::soft);
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
    const double reach = s.length == "shorts" ? 0.7 : s.length == "capri" ? 0.55 : 0.9;
    std::vector<Point> seat;
    for (auto& r : {ring(v, {side * 4.8, 38.5, 0}, 7.0, 8.0), ring(v, {side * 1.5, 35.5, 0}, 4.3, 8.0)})
        seat.insert(seat.end(), r.begin(), r.end());
    pathHull(c.path(), seat);
    c.fillShaded(label::base, label::soft, 2);
    if (s.length == "shorts") {
        const Point end = v.project(j.hip + (j.knee - j.hip) * reach).point();
        limb(c, hip, 6.6, end, 6.0, label::base, label::soft, label::line);
    } else {
        const Point end = v.project(j.knee + (j.ankle - j.knee) * reach).point();
        limbs(c, {{hip, 6.6, knee, 5.5}, {knee, 5.4, end, 4.9}}, label::base, label::soft, label::line);
        if (s.pattern == "cuffs" || s.pattern == "jeans" || s.pattern == "pyjama") {
            pathCircle(c.path(), end, 5);
            c.fillInside(label::light);
        }
    }
    pathHull(c.path(), seat);
    c.fillShaded(label::base, label::soft, 2);
    pathHull(c.path(), seat);
    c.stroke(label::line, 1);
    // The waistband on this side.
    frontBand(c, v, 36.5, 2.5, 11.4, 8.2);
    c.fillInside(s.pattern == "space" ? label::highlight : label::shadow);
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
    auto shape = rings(v, {{waist, 11.2, 8.0, 0}, {hemU, flare + bend * 3, 11 + bend * 5, hemF}});
    fillPoints(c, shape, label::base, label::soft, 2.8);
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
    const double r0 = kind == "slipper" ? 4.8 : 4.2, r1 = kind == "slipper" ? 4.4 : 3.8;
    const double shaft = kind == "boot" ? 0.55 : kind == "rainboot" ? 0.75 : kind == "hightop" ? 0.28 : 0;
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
    const bool sole =
        kind == "sneaker" || kind == "hightop" || kind == "loafer" || kind == "boot" || kind == "rainboot";
    if (sole) {
        pathCapsule(c.path(), {ankle.x, ankle.y + 2.4}, 2.0, {toe.x, toe.y + 2.4}, 2.0);
        c.fillInside(kind == "sneaker" || kind == "hightop" ? label::offWhite : label::shadow);
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
