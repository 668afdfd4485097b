#pragma once
// Everything the data set's pictures are drawn with. Each function paints one picture
// onto a cleared canvas in the given view; the caller resolves it into a sprite.
//
// Index: Body.cpp (head, torso, arms, legs, what the figure carries), Face.cpp (face
// options and the head's own expressions), Wear.cpp (hats, hair, tops, trousers, skirts,
// shoes), Extras.cpp (body parts, frame pictures, shadow, speech bubble pieces).

#include <string>

#include "tools/avatar-art/Palette.h"
#include "tools/avatar-art/Rig.h"

namespace likenex::art {

// What a head picture shows on its face: the chosen face options, or its own expression.
enum class HeadFace { options, blink, none, laugh, cry, angry, surprised, sleep, smile, scared, shy, yawn };

struct TopStyle {
    std::string sleeves = "short";  // none, short, puff, long, wide
    std::string neck = "round";     // round, v, collar, hood, turtle, sailor, stand, wrap
    std::string pattern = "plain";
};
struct TrouserStyle {
    std::string length = "long";  // long, shorts, capri, wide, flare, leggings, tapered
    std::string pattern = "plain";
};
struct SkirtStyle {
    std::string length = "knee";  // short, knee, long
    std::string pattern = "plain";
};

// Body.cpp
void drawHead(LabelCanvas& c, const View& v, HeadFace face);
void drawTorso(LabelCanvas& c, const View& v);
void drawArm(LabelCanvas& c, const View& v, int side, const ArmPose& pose);
void drawLeg(LabelCanvas& c, const View& v, int side, const LegPose& pose);
void drawCarried(LabelCanvas& c, const View& v, int side, const std::string& prop, const ArmPose& arm);

// Face.cpp
void drawEyes(LabelCanvas& c, const View& v, const std::string& style, int phase);
void drawMouth(LabelCanvas& c, const View& v, const std::string& style, int phase);
void drawHeadExpression(LabelCanvas& c, const View& v, HeadFace face);

// Wear.cpp
void drawHat(LabelCanvas& c, const View& v, const std::string& kind);
void drawHair(LabelCanvas& c, const View& v, const std::string& kind);
void drawTopBody(LabelCanvas& c, const View& v, const TopStyle& style);
void drawTopSleeve(LabelCanvas& c, const View& v, int side, const ArmPose& pose, const TopStyle& style);
void drawTrouserLeg(LabelCanvas& c, const View& v, int side, const LegPose& pose, const TrouserStyle& style);
void drawSkirt(LabelCanvas& c, const View& v, const LegPose& left, const LegPose& right, const SkirtStyle& style);
void drawShoe(LabelCanvas& c, const View& v, int side, const LegPose& pose, const std::string& kind);

// Extras.cpp
void drawBodyPart(LabelCanvas& c, const View& v, const std::string& kind, int side, int phase);
void drawBodyPartThumbnail(LabelCanvas& c, const std::string& kind, int side);
void drawFramePicture(LabelCanvas& c, const std::string& kind, int x, int y);
void drawGroundShadow(LabelCanvas& c, bool small);
// Speech bubble pieces: piece 0 left cap, 1 right cap, 2 middle strip, 3 tail.
void drawBubblePiece(LabelCanvas& c, int piece, bool twoLines, bool warm);

// Shared helpers.
// Fills a sphere of the figure, asking `shade` for the label of each point from its normal
// in the figure's frame, its normal towards the viewer and its distance to the outline in pixels.
void fillSphere(LabelCanvas& c, const View& v, Vec3 centre, double radius,
                const std::function<Label(const Vec3& normal, const Vec3& viewNormal, double edge)>& shade);
// The usual cel shading of a lit sphere point: line near the outline, then shadow to highlight.
[[nodiscard]] Label celShade(const Vec3& viewNormal, double edge, bool shiny = false);
// Limb segments filled as one shape with base and shadow, with one outline around all of them
// (no lines where the segments overlap).
struct Segment {
    Point a;
    double ra;
    Point b;
    double rb;
};
void limbs(LabelCanvas& c, std::initializer_list<Segment> segments, Label base, Label shadow, Label line,
           double lineWidth = 1.1);
inline void limb(LabelCanvas& c, Point a, double ra, Point b, double rb, Label base, Label shadow, Label line,
                 double lineWidth = 1.1) {
    limbs(c, {{a, ra, b, rb}}, base, shadow, line, lineWidth);
}

}  // namespace likenex::art
