#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/avatar-art/Art.h"

namespace likenex::art {

namespace {
const Vec3 kLight = Vec3{-0.5, 0.62, 0.6}.unit();

Label hairShade(const Vec3& vn) {
    const double s = vn.l * kLight.l + vn.u * kLight.u + vn.f * kLight.f;
    return s > 0.55 ? label::hairMid : label::hairDark;
}
}  // namespace

void fillSphere(LabelCanvas& c, const View& v, Vec3 centre, double radius,
                const std::function<Label(const Vec3&, const Vec3&, double)>& shade) {
    const Projected p = v.project(centre);
    pathCircle(c.path(), p.point(), radius);
    c.fillWith([&](double x, double y) {
        const double dx = (x - p.x) / radius, dy = (p.y - y) / radius;
        const double rr = dx * dx + dy * dy;
        if (rr >= 1) return label::none;
        const double dz = std::sqrt(1 - rr);
        return shade(v.fromView(dx, dy, dz), Vec3{dx, dy, dz}, (1 - std::sqrt(rr)) * radius);
    });
}

Label celShade(const Vec3& n, double edge, bool shiny) {
    if (edge < 1.15) return label::line;
    const double s = n.l * kLight.l + n.u * kLight.u + n.f * kLight.f;
    if (shiny && s > 0.93) return label::highlight;
    if (s > 0.8) return label::light;
    if (s > 0.2) return label::base;
    if (s > -0.15) return label::soft;
    return label::shadow;
}

void limbs(LabelCanvas& c, std::initializer_list<Segment> segments, Label base, Label shadow, Label line,
           double lineWidth) {
    // The outline is stroked wide first and the fill then covers its inner half, so only
    // the outside of the whole shape keeps a line.
    double thinnest = 100;
    for (const Segment& s : segments) {
        pathCapsule(c.path(), s.a, s.ra, s.b, s.rb);
        thinnest = std::min({thinnest, s.ra, s.rb});
    }
    c.stroke(line, lineWidth * 1.6);
    for (const Segment& s : segments) pathCapsule(c.path(), s.a, s.ra, s.b, s.rb);
    c.fillShaded(base, shadow, thinnest * 0.45);
}

void drawHead(LabelCanvas& c, const View& v, HeadFace face) {
    // Ears first: they stick out beside the head unless they face the viewer.
    auto earPoint = [&](int side) { return kHeadCentre + Vec3{side * kHeadRadius * 0.96, -3, -1}; };
    std::vector<int> front;
    for (int side : {1, -1}) {
        const Vec3 normal{static_cast<double>(side), 0, 0};
        if (v.toView(normal).f > 0.35) {
            front.push_back(side);
            continue;
        }
        const Point e = v.project(earPoint(side)).point();
        pathEllipse(c.path(), e, 4.2, 5.2);
        c.fillShaded(label::base, label::soft, 1.2);
        pathEllipse(c.path(), e, 4.2, 5.2);
        c.stroke(label::line, 1.1);
    }
    // The figure's own short hair sits a little outside the skull.
    auto hairline = [](const Vec3& n) {
        const double az = std::atan2(n.l, n.f);
        const double el = std::asin(std::clamp(n.u, -1.0, 1.0));
        const double fringe = 0.05 * std::cos(az * 9);
        return el > 0.3 - 0.95 * (1 - std::cos(az)) / 2 + (std::abs(az) < 1.2 ? fringe : 0);
    };
    fillSphere(c, v, kHeadCentre + Vec3{0, 1.2, -0.8}, kHeadRadius + 1.2,
               [&](const Vec3& n, const Vec3& vn, double edge) {
                   if (!hairline(n) || n.u < -0.2) return label::none;
                   if (edge < 1.2) return label::hairLine;
                   return hairShade(vn);
               });
    fillSphere(c, v, kHeadCentre, kHeadRadius, [&](const Vec3& n, const Vec3& vn, double edge) {
        if (hairline(n)) {
            if (edge < 1.2) return label::hairLine;
            return hairShade(vn);
        }
        return celShade(vn, edge);
    });
    for (int side : front) {
        const Point e = v.project(earPoint(side)).point();
        pathEllipse(c.path(), e, 2.6, 5);
        c.fillShaded(label::base, label::soft, 1);
        pathEllipse(c.path(), e, 2.6, 5);
        c.stroke(label::line, 1);
    }
    if (face != HeadFace::none) drawHeadExpression(c, v, face);
}

void drawTorso(LabelCanvas& c, const View& v) {
    // Neck, then the body as the hull of three rings, with a plain vest over the chest.
    const Point neckTop = v.project({0, 67, -0.5}).point();
    const Point neckBottom = v.project({0, 58, -0.5}).point();
    limb(c, neckBottom, 4.6, neckTop, 4.4, label::soft, label::shadow, label::line);
    std::vector<Point> body;
    for (auto& r : {ring(v, {0, 36, 0}, 10.5, 7), ring(v, {0, 48, 0}, 10.5, 7.5), ring(v, {0, 60.5, 0}, 12.5, 7)})
        body.insert(body.end(), r.begin(), r.end());
    pathHull(c.path(), body);
    c.fillShaded(label::base, label::soft, 2.4);
    pathHull(c.path(), body);
    c.stroke(label::line, 1.2);
    std::vector<Point> vest;
    for (auto& r : {ring(v, {0, 36, 0}, 10.9, 7.4), ring(v, {0, 48, 0}, 10.9, 7.9), ring(v, {0, 57.5, 0}, 11.4, 7.4)})
        vest.insert(vest.end(), r.begin(), r.end());
    pathHull(c.path(), vest);
    c.fillShaded(label::vest, label::vestShade, 2.4);
    pathHull(c.path(), vest);
    c.stroke(label::ink, 1);
}

void drawArm(LabelCanvas& c, const View& v, int side, const ArmPose& pose) {
    const ArmJoints j = armJoints(pose, side);
    const Point s = v.project(j.shoulder).point(), e = v.project(j.elbow).point(), h = v.project(j.hand).point();
    limbs(c, {{s, 3.9, e, 3.4}, {e, 3.4, h, 3.0}, {h, 3.9, h, 3.9}}, label::base, label::soft, label::line);
}

void drawLeg(LabelCanvas& c, const View& v, int side, const LegPose& pose) {
    const LegJoints j = legJoints(pose, side);
    const Point hip = v.project(j.hip).point(), knee = v.project(j.knee).point();
    const Point ankle = v.project(j.ankle).point(), toe = v.project(j.toe).point();
    limbs(c, {{hip, 5.3, knee, 4.5}, {knee, 4.5, ankle, 3.6}, {ankle, 3.4, toe, 3.0}}, label::base, label::soft,
          label::line);
    // Plain shorts over the top of the thigh and this side's half of the seat.
    const Vec3 mid = j.hip + (j.knee - j.hip) * 0.45;
    std::vector<Point> seat;
    for (auto& r : {ring(v, {side * 4.8, 38, 0}, 6.2, 7.2), ring(v, {side * 1.5, 36.5, 0}, 3.5, 7.2)})
        seat.insert(seat.end(), r.begin(), r.end());
    pathHull(c.path(), seat);
    pathCapsule(c.path(), hip, 6.0, v.project(mid).point(), 5.6);
    c.fillShaded(label::shorts, label::shortsShade, 2);
    pathHull(c.path(), seat);
    pathCapsule(c.path(), hip, 6.0, v.project(mid).point(), 5.6);
    c.stroke(label::ink, 1);
}

void drawCarried(LabelCanvas& c, const View& v, int side, const std::string& prop, const ArmPose& arm) {
    if (prop != "mic") return;
    // A microphone held in the hand of that side's arm pose, pointing at the mouth.
    const ArmJoints j = armJoints(arm, side);
    const Point hand = v.project(j.hand).point();
    const Point head = v.project(j.hand + Vec3{-side * 2.0, 7, 1}).point();
    limb(c, hand, 1.6, head, 1.9, label::ink, label::ink, label::ink, 0.6);
    pathCircle(c.path(), head, 3.2);
    c.fillShaded(label::steel, label::steelShade, 1.2);
    pathCircle(c.path(), head, 3.2);
    c.stroke(label::ink, 1);
}

}  // namespace likenex::art
