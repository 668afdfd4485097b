#pragma once
// The figure's rig: its joints in its own frame, the eight directions it faces and how a
// point of the figure lands in the 128 by 128 picture.
//
// The figure's own frame has `l` to its left, `u` up and `f` forward, in picture pixels,
// with the ground at u = 0. Direction 7 faces the viewer and each step turns the figure by
// 45 degrees towards its right hand, so direction 1 shows its left side, 3 its back and 5
// its right side. Body layers 4, 6 and 8 are on its left, 5, 7 and 9 on its right. The
// camera looks down a little, so rings and brims show as ellipses.

#include <array>
#include <cmath>

#include "tools/avatar-art/LabelCanvas.h"

namespace likenex::art {

struct Vec3 {
    double l = 0, u = 0, f = 0;
    Vec3 operator+(const Vec3& o) const { return {l + o.l, u + o.u, f + o.f}; }
    Vec3 operator-(const Vec3& o) const { return {l - o.l, u - o.u, f - o.f}; }
    Vec3 operator*(double k) const { return {l * k, u * k, f * k}; }
    [[nodiscard]] double length() const { return std::sqrt(l * l + u * u + f * f); }
    [[nodiscard]] Vec3 unit() const {
        const double n = length();
        return n > 0 ? Vec3{l / n, u / n, f / n} : Vec3{0, -1, 0};
    }
};

// A point in the picture (frame pixels, y down) and how near the viewer it lies.
struct Projected {
    double x = 0, y = 0, depth = 0;
    [[nodiscard]] Point point() const { return {x, y}; }
};

class View {
public:
    explicit View(int direction);
    [[nodiscard]] int direction() const { return direction_; }
    [[nodiscard]] Projected project(const Vec3& p) const;
    // A direction of the figure's frame seen from the viewer: x right, y up, z towards the viewer.
    [[nodiscard]] Vec3 toView(const Vec3& v) const;
    [[nodiscard]] Vec3 fromView(double x, double y, double z) const;
    // How much the figure's front faces the viewer (1 front, -1 back) and its left side (1 in direction 1).
    [[nodiscard]] double frontness() const { return std::cos(yaw_); }
    [[nodiscard]] double leftness() const { return std::sin(yaw_); }

private:
    int direction_;
    double yaw_;
};

inline constexpr double kPitch = 0.2;  // radians the camera looks down
inline constexpr double kGroundRow = 124;
inline constexpr double kCentreColumn = 64;

// Joints of the rig.
inline constexpr Vec3 kHeadCentre{0, 86, 0};
inline constexpr double kHeadRadius = 23;
inline constexpr double kShoulderSpan = 12;
inline constexpr double kShoulderHeight = 59;
inline constexpr double kUpperArm = 12;
inline constexpr double kForearm = 11;
inline constexpr double kHipSpan = 5.5;
inline constexpr double kHipHeight = 37;
inline constexpr double kThigh = 17;
inline constexpr double kShin = 16;

// A whole-body posture: the picture of the standing figure turned about a point of the
// frame. Lying figures are drawn this way rather than by turning the rig in space, so every
// layer keeps the painting order the composition uses for a standing figure in that
// direction, and clothes drawn onto a layer turn with it. Facing left (directions 0 to 3)
// the head goes to the right of the picture, facing right to the left, so in the side views
// the figure lies face up.
// A lying figure is a little smaller than a standing one, so that it fits across the frame
// with the tallest hat. A posture of the upper body (a side bend) turns the head, torso and
// arms about the hips while the legs stand upright.
struct Posture {
    double roll = 0;  // degrees
    Point pivot{kCentreColumn, 70};
    double scale = 1;
    bool upperBody = false;
    [[nodiscard]] bool upright() const { return roll == 0 && scale == 1; }
    [[nodiscard]] bool operator==(const Posture& o) const {
        return roll == o.roll && pivot.x == o.pivot.x && pivot.y == o.pivot.y && scale == o.scale &&
               upperBody == o.upperBody;
    }
};
// Turns the path context so that what is drawn next lies in the posture; the caller saves
// and restores the context around it.
void applyPosture(cairo_t* cr, const View& view, const Posture& posture);

struct ArmPose {
    int n = 0;
    Vec3 upper{0, -1, 0};  // out, up, forward
    Vec3 fore{0, -1, 0};
    Posture posture;
};
struct LegPose {
    int n = 0;
    Vec3 thigh{0, -1, 0};
    Vec3 shin{0, -1, 0};
    Posture posture;
};

// side is +1 for the figure's left (layers 4, 6, 8) and -1 for its right (5, 7, 9).
struct ArmJoints {
    Vec3 shoulder, elbow, hand;
};
struct LegJoints {
    Vec3 hip, knee, ankle, toe;
};
[[nodiscard]] ArmJoints armJoints(const ArmPose& pose, int side);
[[nodiscard]] LegJoints legJoints(const LegPose& pose, int side);

// Path helpers on a canvas, in frame pixels.
void pathCircle(cairo_t* cr, Point centre, double radius);
void pathEllipse(cairo_t* cr, Point centre, double rx, double ry, double angle = 0);
// A limb: two circles joined by their common tangents.
void pathCapsule(cairo_t* cr, Point a, double ra, Point b, double rb);
void pathPolygon(cairo_t* cr, const Point* points, std::size_t count);
// The convex hull of the points (with the given rounding of its corners added by the caller's stroke).
void pathHull(cairo_t* cr, std::vector<Point> points);
// A horizontal ring of the figure at height u around (l, f), radii along l and f, as projected points.
[[nodiscard]] std::vector<Point> ring(const View& view, Vec3 centre, double rl, double rf, int steps = 24);

}  // namespace likenex::art
