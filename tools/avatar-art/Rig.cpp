#include "tools/avatar-art/Rig.h"

#include <algorithm>
#include <numbers>
#include <vector>

namespace likenex::art {

View::View(int direction) : direction_(direction), yaw_(((direction + 1) % 8) * std::numbers::pi / 4) {}

Vec3 View::toView(const Vec3& v) const {
    const double c = std::cos(yaw_), s = std::sin(yaw_);
    const double x = v.l * c - v.f * s;
    const double z = v.l * s + v.f * c;
    const double cp = std::cos(kPitch), sp = std::sin(kPitch);
    return {x, v.u * cp - z * sp, z * cp + v.u * sp};
}

Vec3 View::fromView(double x, double y, double z) const {
    const double cp = std::cos(kPitch), sp = std::sin(kPitch);
    const double u = y * cp + z * sp;
    const double zz = z * cp - y * sp;
    const double c = std::cos(yaw_), s = std::sin(yaw_);
    return {x * c + zz * s, u, -x * s + zz * c};
}

Projected View::project(const Vec3& p) const {
    const Vec3 v = toView(p);
    return {kCentreColumn + v.l, kGroundRow - v.u, v.f};
}

void applyPosture(cairo_t* cr, const View& view, const Posture& posture) {
    if (posture.upright()) return;
    const double turn = (view.direction() <= 3 ? 1 : -1) * posture.roll * std::numbers::pi / 180;
    cairo_translate(cr, posture.pivot.x, posture.pivot.y);
    cairo_rotate(cr, turn);
    cairo_scale(cr, posture.scale, posture.scale);
    cairo_translate(cr, -posture.pivot.x, -posture.pivot.y);
}

ArmJoints armJoints(const ArmPose& pose, int side) {
    ArmJoints j;
    j.shoulder = {side * kShoulderSpan, kShoulderHeight, 0};
    const Vec3 upper = Vec3{side * pose.upper.l, pose.upper.u, pose.upper.f}.unit();
    const Vec3 fore = Vec3{side * pose.fore.l, pose.fore.u, pose.fore.f}.unit();
    j.elbow = j.shoulder + upper * kUpperArm;
    j.hand = j.elbow + fore * kForearm;
    return j;
}

LegJoints legJoints(const LegPose& pose, int side) {
    LegJoints j;
    j.hip = {side * kHipSpan, kHipHeight, 0};
    const Vec3 thigh = Vec3{side * pose.thigh.l, pose.thigh.u, pose.thigh.f}.unit();
    const Vec3 shin = Vec3{side * pose.shin.l, pose.shin.u, pose.shin.f}.unit();
    j.knee = j.hip + thigh * kThigh;
    j.ankle = j.knee + shin * kShin;
    // The foot points forward and stays level unless the shin points forward (a kick).
    const Vec3 along = std::abs(shin.f) > 0.7 ? Vec3{0, 0.6, 0.8 * (shin.f > 0 ? 1 : -1)} : Vec3{0, 0, 1};
    j.toe = j.ankle + along * 6.5;
    return j;
}

void pathCircle(cairo_t* cr, Point c, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, c.x, c.y, r, 0, 2 * std::numbers::pi);
    cairo_close_path(cr);
}

void pathEllipse(cairo_t* cr, Point c, double rx, double ry, double angle) {
    if (rx <= 0.01 || ry <= 0.01) return;
    cairo_save(cr);
    cairo_translate(cr, c.x, c.y);
    cairo_rotate(cr, angle);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void pathCapsule(cairo_t* cr, Point a, double ra, Point b, double rb) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double d = std::hypot(dx, dy);
    if (d <= std::abs(ra - rb) + 0.01) {
        pathCircle(cr, d < 0.01 || ra >= rb ? a : b, std::max(ra, rb));
        return;
    }
    const double base = std::atan2(dy, dx);
    const double t = std::acos((ra - rb) / d);
    cairo_new_sub_path(cr);
    cairo_arc(cr, a.x, a.y, ra, base + t, base - t + 2 * std::numbers::pi);
    cairo_arc(cr, b.x, b.y, rb, base - t, base + t);
    cairo_close_path(cr);
}

void pathPolygon(cairo_t* cr, const Point* points, std::size_t count) {
    if (count == 0) return;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, points[0].x, points[0].y);
    for (std::size_t i = 1; i < count; ++i) cairo_line_to(cr, points[i].x, points[i].y);
    cairo_close_path(cr);
}

void pathHull(cairo_t* cr, std::vector<Point> p) {
    if (p.size() < 3) return;
    std::sort(p.begin(), p.end(),
              [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    auto cross = [](const Point& o, const Point& a, const Point& b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<Point> hull(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p[i]) <= 0) --k;
        hull[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], p[i - 1]) <= 0) --k;
        hull[k++] = p[i - 1];
    }
    pathPolygon(cr, hull.data(), k - 1);
}

std::vector<Point> ring(const View& view, Vec3 centre, double rl, double rf, int steps) {
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(steps));
    for (int i = 0; i < steps; ++i) {
        const double a = 2 * std::numbers::pi * i / steps;
        points.push_back(view.project(centre + Vec3{rl * std::cos(a), 0, rf * std::sin(a)}).point());
    }
    return points;
}

}  // namespace likenex::art
