#include <cmath>
#include <numbers>

#include "tools/avatar-art/Art.h"

namespace likenex::art {

namespace {

// A place on the face seen from the viewer: where it lands, how much it is turned away
// (features are squeezed sideways by it) and whether it can be seen at all.
struct Feature {
    Point at;
    double squash = 1;
    bool visible = false;
};

Feature feature(const View& v, double azimuth, double elevation) {
    const Vec3 n{std::sin(azimuth) * std::cos(elevation), std::sin(elevation), std::cos(azimuth) * std::cos(elevation)};
    const double facing = v.toView(n).f;
    Feature f;
    f.visible = facing > 0.28;
    f.squash = std::clamp(facing, 0.45, 1.0);
    // Features sit a little nearer the middle of the face than on a true sphere, which
    // keeps them off the outline when the head is seen from the side.
    const Projected centre = v.project(kHeadCentre);
    const Point on = v.project(kHeadCentre + n * (kHeadRadius - 0.5)).point();
    f.at = {centre.x + (on.x - centre.x) * 0.84, on.y};
    return f;
}

constexpr double kEyeAzimuth = 0.42, kEyeElevation = -0.1, kMouthElevation = -0.47;
constexpr double kFeatureScale = 1.3;

// Runs `draw` with the path context moved to the feature and squeezed, so shapes are
// written in the feature's own pixels (x right, y down).
template <typename Draw>
void at(LabelCanvas& c, const Feature& f, Draw draw) {
    cairo_t* cr = c.path();
    cairo_save(cr);
    cairo_translate(cr, f.at.x, f.at.y);
    cairo_scale(cr, f.squash * kFeatureScale, kFeatureScale);
    draw(cr);
    cairo_restore(cr);
}

void shape(LabelCanvas& c, const Feature& f, Label l, auto build) {
    at(c, f, build);
    c.fill(l);
}
void line(LabelCanvas& c, const Feature& f, Label l, double width, auto build) {
    at(c, f, build);
    c.stroke(l, width);
}

void ellipseAt(cairo_t* cr, double x, double y, double rx, double ry) { pathEllipse(cr, {x, y}, rx, ry); }

// One eye of a style; side +1 is the figure's left eye (on the right of the picture in front).
void eye(LabelCanvas& c, const Feature& f, const std::string& style, int phase, int side) {
    const double lift = phase == 1 ? -1.0 : 0.0;  // the talking picture raises the brows a little
    auto brow = [&](double tilt) {
        line(c, f, label::ink, 1.1, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.2, -6.6 + lift - tilt * side);
            cairo_line_to(cr, 3.2, -6.6 + lift + tilt * side);
        });
    };
    auto closedArc = [&](double up) {
        line(c, f, label::ink, 1.2, [&](cairo_t* cr) {
            cairo_move_to(cr, -3, 0);
            cairo_curve_to(cr, -1.5, up, 1.5, up, 3, 0);
        });
    };
    auto roundEye = [&](double rx, double ry, bool shine) {
        shape(c, f, label::ink, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, rx, ry); });
        if (shine)
            shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -rx * 0.35, -ry * 0.4, rx * 0.38, ry * 0.3); });
    };
    if (style == "dot") {
        roundEye(1.9, 2.4, true);
    } else if (style == "round") {
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 3.4, 3.9); });
        line(c, f, label::ink, 0.9, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 3.4, 3.9); });
        shape(c, f, label::ink, [&](cairo_t* cr) { ellipseAt(cr, 0.4 * side, 0.6, 2.0, 2.5); });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -0.4, -0.3, 0.7, 0.7); });
        brow(0.3);
    } else if (style == "sparkle") {
        roundEye(2.8, 3.9, false);
        shape(c, f, label::sky, [&](cairo_t* cr) { ellipseAt(cr, 0, 1.4, 2.0, 1.8); });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -1.0, -1.4, 1.1, 1.2); });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, 1.1, 1.6, 0.5, 0.5); });
        line(c, f, label::ink, 1, [&](cairo_t* cr) {
            cairo_move_to(cr, 2.6 * side, -3.0);
            cairo_line_to(cr, 3.8 * side, -4.2);
        });
    } else if (style == "happy") {
        closedArc(-3.2 + lift);
    } else if (style == "sleepy") {
        shape(c, f, label::ink, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.8, 2.6, 1.6); });
        line(c, f, label::ink, 1.1, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.2, -0.2);
            cairo_line_to(cr, 3.2, -0.2);
        });
    } else if (style == "wink") {
        if (side > 0) closedArc(-3);
        else roundEye(2.0, 2.6, true);
    } else if (style == "glasses" || style == "sunglasses") {
        if (style == "glasses") roundEye(1.6, 2.1, true);
        shape(c, f, style == "glasses" ? label::none : label::glass,
              [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 4.4, 3.8); });
        if (style == "sunglasses") shape(c, f, label::glass, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 4.4, 3.8); });
        line(c, f, label::ink, 1.1, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 4.4, 3.8); });
        line(c, f, label::ink, 1.0, [&](cairo_t* cr) {
            cairo_move_to(cr, -4.4 * side, -0.5);
            cairo_line_to(cr, -6.4 * side, -0.8);
        });
        if (phase == 1) shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -1.8, -1.6, 0.9, 0.7); });
    } else if (style == "star") {
        shape(c, f, label::gold, [&](cairo_t* cr) {
            for (int i = 0; i < 10; ++i) {
                const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
                const double r = i % 2 ? 1.7 : 4.0;
                if (i == 0) cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
                else cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
            }
            cairo_close_path(cr);
        });
        line(c, f, label::goldShade, 0.8, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.3, 1.2, 1.2); });
    } else if (style == "cat") {
        shape(c, f, label::green, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 3.0, 3.2); });
        line(c, f, label::ink, 0.9, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 3.0, 3.2); });
        shape(c, f, label::ink, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 0.8, 2.8); });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -1.2, -1.3, 0.6, 0.6); });
    } else if (style == "determined") {
        roundEye(2.1, 2.6, true);
        brow(-1.4);
    } else if (style == "teary") {
        roundEye(2.6, 3.2, true);
        shape(c, f, label::tear, [&](cairo_t* cr) { ellipseAt(cr, 0, 2.6, 2.6, 1.0); });
        brow(1.2);
    } else if (style == "heart") {
        shape(c, f, label::red, [&](cairo_t* cr) {
            cairo_move_to(cr, 0, 3.2);
            cairo_curve_to(cr, -4.6, 0, -3.2, -4.2, 0, -1.6);
            cairo_curve_to(cr, 3.2, -4.2, 4.6, 0, 0, 3.2);
            cairo_close_path(cr);
        });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -1.4, -1.5, 0.7, 0.6); });
    } else if (style == "shy") {
        closedArc(2.4);
        shape(c, f, label::blush, [&](cairo_t* cr) { ellipseAt(cr, 0, 3.6, 3.4, 1.5); });
    } else if (style == "lashes") {
        roundEye(2.2, 2.8, true);
        line(c, f, label::ink, 0.9, [&](cairo_t* cr) {
            for (int k = 0; k < 3; ++k) {
                const double a = -0.35 - 0.42 * k;
                cairo_move_to(cr, side * 2.2 * std::cos(a), 2.8 * std::sin(a));
                cairo_line_to(cr, side * 4.0 * std::cos(a - 0.15), 4.4 * std::sin(a - 0.15));
            }
        });
    } else if (style == "almond") {
        auto almond = [&](cairo_t* cr) {
            cairo_move_to(cr, -3.6, 0.4);
            cairo_curve_to(cr, -2.0, -3.0, 2.0, -3.0, 3.6, 0.4 * side - 0.2);
            cairo_curve_to(cr, 2.0, 2.6, -2.0, 2.6, -3.6, 0.4);
            cairo_close_path(cr);
        };
        shape(c, f, label::white, almond);
        shape(c, f, label::brownShade, [&](cairo_t* cr) { ellipseAt(cr, 0.3 * side, 0, 1.8, 2.2); });
        shape(c, f, label::ink, [&](cairo_t* cr) { ellipseAt(cr, 0.3 * side, 0, 0.9, 1.1); });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -0.5, -0.8, 0.5, 0.5); });
        line(c, f, label::ink, 1.0, almond);
        brow(-0.4);
    } else if (style == "roundglasses") {
        roundEye(1.5, 1.9, true);
        line(c, f, label::brownShade, 1.0, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 4.3, 4.3); });
        line(c, f, label::brownShade, 0.9, [&](cairo_t* cr) {
            cairo_move_to(cr, -4.3 * side, 0);
            cairo_line_to(cr, -6.2 * side, 0.4);
        });
        if (phase == 1) shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, 2.0, -2.2, 0.8, 0.6); });
    } else if (style == "starry") {
        roundEye(2.9, 3.8, false);
        shape(c, f, label::purple, [&](cairo_t* cr) { ellipseAt(cr, 0, 1.3, 2.1, 1.9); });
        shape(c, f, label::white, [&](cairo_t* cr) {
            for (int i = 0; i < 8; ++i) {
                const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 4;
                const double r = i % 2 ? 0.55 : 1.9;
                if (i == 0) cairo_move_to(cr, -0.6 + r * std::cos(a), -1.0 + r * std::sin(a));
                else cairo_line_to(cr, -0.6 + r * std::cos(a), -1.0 + r * std::sin(a));
            }
            cairo_close_path(cr);
        });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, 1.2, 1.9, 0.5, 0.5); });
    } else if (style == "tired") {
        // Heavy lids cover the top half of the eye.
        shape(c, f, label::ink, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.4, 2.2, 2.4); });
        shape(c, f, label::white, [&](cairo_t* cr) { ellipseAt(cr, -0.6, 1.2, 0.6, 0.5); });
        line(c, f, label::ink, 1.3, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.4, -0.1);
            cairo_curve_to(cr, -1.5, 0.3, 1.5, 0.3, 3.4, -0.1);
        });
        at(c, f, [&](cairo_t* cr) { cairo_rectangle(cr, -3.4, -3.5, 6.8, 3.3); });
        c.erase();
        line(c, f, label::ink, 1.3, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.4, -0.1);
            cairo_curve_to(cr, -1.5, 0.3, 1.5, 0.3, 3.4, -0.1);
        });
        line(c, f, label::ink, 0.7, [&](cairo_t* cr) {
            cairo_move_to(cr, -2.0, 3.4);
            cairo_curve_to(cr, -0.8, 4.0, 0.8, 4.0, 2.0, 3.4);
        });
    } else if (style == "dizzy") {
        line(c, f, label::ink, 0.9, [&](cairo_t* cr) {
            for (int i = 0; i <= 30; ++i) {
                const double a = i * 0.42 * side + (phase == 1 ? 1.5 : 0);
                const double r = 0.3 + i * 0.11;
                if (i == 0) cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
                else cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
            }
        });
    } else {
        roundEye(1.9, 2.4, true);
    }
}

void mouthShape(LabelCanvas& c, const Feature& f, const std::string& style, int phase) {
    const bool open = phase == 1;
    auto openMouth = [&](double w, double h) {
        shape(c, f, label::mouth, [&](cairo_t* cr) {
            cairo_move_to(cr, -w, -0.5);
            cairo_curve_to(cr, -w, h, w, h, w, -0.5);
            cairo_close_path(cr);
        });
        shape(c, f, label::tongue, [&](cairo_t* cr) { ellipseAt(cr, 0, h * 0.62, w * 0.55, h * 0.26); });
        line(c, f, label::ink, 0.9, [&](cairo_t* cr) {
            cairo_move_to(cr, -w, -0.5);
            cairo_curve_to(cr, -w, h, w, h, w, -0.5);
            cairo_close_path(cr);
        });
    };
    auto curve = [&](double w, double bend) {
        line(c, f, label::ink, 1.1, [&](cairo_t* cr) {
            cairo_move_to(cr, -w, 0);
            cairo_curve_to(cr, -w * 0.4, bend, w * 0.4, bend, w, 0);
        });
    };
    if (style == "opensmile" || style == "toothy") {
        const double w = style == "toothy" ? 4.8 : 3.2, h = open ? 5.0 : (style == "toothy" ? 4.4 : 3.8);
        auto outline = [&](cairo_t* cr) {
            cairo_move_to(cr, -w, -0.6);
            cairo_curve_to(cr, -w * 0.6, -1.0, w * 0.6, -1.0, w, -0.6);
            cairo_curve_to(cr, w * 0.8, h, -w * 0.8, h, -w, -0.6);
            cairo_close_path(cr);
        };
        shape(c, f, label::mouth, outline);
        if (style == "toothy") {
            // Upper teeth along the top and a few lower ones, with the mouth dark between them.
            at(c, f, [&](cairo_t* cr) { cairo_rectangle(cr, -w, -1.2, 2 * w, 2.1); });
            c.fillInside(label::white);
            at(c, f, [&](cairo_t* cr) { cairo_rectangle(cr, -w * 0.5, h * 0.58, w, 2.4); });
            c.fillInside(label::white);
        } else {
            shape(c, f, label::tongue, [&](cairo_t* cr) { ellipseAt(cr, 0, h * 0.6, w * 0.5, h * 0.25); });
        }
        line(c, f, label::ink, 0.9, outline);
        if (style == "toothy")
            line(c, f, label::mouth, 0.5, [&](cairo_t* cr) {
                for (double x : {-w * 0.5, 0.0, w * 0.5}) {
                    cairo_move_to(cr, x, -0.8);
                    cairo_line_to(cr, x, 0.8);
                }
            });
        return;
    }
    if (style == "fangs") {
        if (open) openMouth(2.8, 3.6);
        else curve(3.2, 2.0);
        for (int s : {-1, 1})
            shape(c, f, label::white, [&](cairo_t* cr) {
                cairo_move_to(cr, s * 0.7, 1.2);
                cairo_line_to(cr, s * 2.5, 0.9);
                cairo_line_to(cr, s * 1.7, 4.0);
                cairo_close_path(cr);
            });
        for (int s : {-1, 1})
            line(c, f, label::ink, 0.6, [&](cairo_t* cr) {
                cairo_move_to(cr, s * 0.7, 1.2);
                cairo_line_to(cr, s * 1.7, 4.0);
                cairo_line_to(cr, s * 2.5, 0.9);
            });
        return;
    }
    if (style == "beard") {
        // A short beard along the jaw from cheek to cheek, skin left round the mouth.
        auto beard = [&](cairo_t* cr) {
            cairo_move_to(cr, -8.5, -5.0);
            cairo_curve_to(cr, -8.0, 8.0, 8.0, 8.0, 8.5, -5.0);
            cairo_curve_to(cr, 6.0, 3.4, -6.0, 3.4, -8.5, -5.0);
            cairo_close_path(cr);
        };
        shape(c, f, label::hairDark, beard);
        line(c, f, label::hairLine, 0.6, beard);
        shape(c, f, label::hairDark, [&](cairo_t* cr) {
            cairo_move_to(cr, 0, -2.0);
            cairo_curve_to(cr, 2.4, -3.0, 4.6, -2.0, 4.6, -0.4);
            cairo_curve_to(cr, 2.6, -1.0, 1.0, -0.6, 0, -1.0);
            cairo_curve_to(cr, -1.0, -0.6, -2.6, -1.0, -4.6, -0.4);
            cairo_curve_to(cr, -4.6, -2.0, -2.4, -3.0, 0, -2.0);
            cairo_close_path(cr);
        });
        if (open) {
            shape(c, f, label::mouth, [&](cairo_t* cr) { ellipseAt(cr, 0, 1.2, 2.2, 1.6); });
        } else {
            line(c, f, label::ink, 1.0, [&](cairo_t* cr) {
                cairo_move_to(cr, -2.2, 0.6);
                cairo_curve_to(cr, -0.8, 1.8, 0.8, 1.8, 2.2, 0.6);
            });
        }
        return;
    }
    if (style == "kiss") {
        if (open) {
            shape(c, f, label::mouth, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.4, 1.3, 1.6); });
            line(c, f, label::ink, 0.8, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.4, 1.3, 1.6); });
        } else {
            line(c, f, label::ink, 1.0, [&](cairo_t* cr) {
                cairo_move_to(cr, -0.8, -1.6);
                cairo_curve_to(cr, 1.6, -1.8, 1.6, 0.2, 0, 0.2);
                cairo_curve_to(cr, 1.6, 0.2, 1.6, 2.2, -0.8, 2.0);
            });
        }
        return;
    }
    if (style == "freckles") {
        for (int s : {-1, 1})
            for (auto [dx, dy] : {std::pair{6.2, -4.2}, {7.8, -3.2}, {6.8, -2.2}, {8.4, -4.6}})
                shape(c, f, label::brownShade, [&](cairo_t* cr) { ellipseAt(cr, s * dx, dy, 0.45, 0.45); });
        if (open) openMouth(2.6, 3.4);
        else curve(3.0, 2.6);
        return;
    }
    if (open && style != "moustache" && style != "oh" && style != "laugh") {
        openMouth(style == "grin" ? 3.6 : 2.6, style == "grin" ? 4.2 : 3.4);
        return;
    }
    if (style == "smile") {
        curve(3.0, 2.4);
    } else if (style == "grin") {
        shape(c, f, label::white, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.8, -0.6);
            cairo_curve_to(cr, -3.2, 3.6, 3.2, 3.6, 3.8, -0.6);
            cairo_close_path(cr);
        });
        line(c, f, label::ink, 1.0, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.8, -0.6);
            cairo_curve_to(cr, -3.2, 3.6, 3.2, 3.6, 3.8, -0.6);
            cairo_close_path(cr);
        });
    } else if (style == "oh") {
        shape(c, f, label::mouth, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.6, open ? 2.4 : 1.7, open ? 3.0 : 2.1); });
        line(c, f, label::ink, 0.9, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.6, open ? 2.4 : 1.7, open ? 3.0 : 2.1); });
    } else if (style == "cat") {
        line(c, f, label::ink, 1.0, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.4, 0);
            cairo_curve_to(cr, -2.6, 2.0, -0.6, 2.0, 0, 0);
            cairo_curve_to(cr, 0.6, 2.0, 2.6, 2.0, 3.4, 0);
        });
    } else if (style == "tongue") {
        curve(3.0, 1.8);
        shape(c, f, label::tongue, [&](cairo_t* cr) { ellipseAt(cr, 0.8, 2.0, 1.5, 1.9); });
        line(c, f, label::mouth, 0.6, [&](cairo_t* cr) { ellipseAt(cr, 0.8, 2.0, 1.5, 1.9); });
    } else if (style == "neutral") {
        line(c, f, label::ink, 1.1, [&](cairo_t* cr) {
            cairo_move_to(cr, -2.4, 0.5);
            cairo_line_to(cr, 2.4, 0.5);
        });
    } else if (style == "laugh") {
        openMouth(open ? 4.2 : 3.8, open ? 5.4 : 4.4);
    } else if (style == "pout") {
        shape(c, f, label::pinkShade, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.6, 1.8, 1.4); });
        line(c, f, label::ink, 0.9, [&](cairo_t* cr) { ellipseAt(cr, 0, 0.6, 1.8, 1.4); });
    } else if (style == "smirk") {
        line(c, f, label::ink, 1.1, [&](cairo_t* cr) {
            cairo_move_to(cr, -2.8, 0.6);
            cairo_curve_to(cr, -0.6, 1.6, 1.6, 1.0, 3.2, -1.2);
        });
    } else if (style == "buck") {
        curve(3.2, 2.0);
        shape(c, f, label::white, [&](cairo_t* cr) { cairo_rectangle(cr, -1.5, 1.0, 3.0, 2.2); });
        line(c, f, label::ink, 0.7, [&](cairo_t* cr) {
            cairo_rectangle(cr, -1.5, 1.0, 3.0, 2.2);
            cairo_move_to(cr, 0, 1.0);
            cairo_line_to(cr, 0, 3.2);
        });
    } else if (style == "lipstick") {
        shape(c, f, label::red, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.2, 0);
            cairo_curve_to(cr, -1.6, -1.8, -0.4, -0.8, 0, -1.0);
            cairo_curve_to(cr, 0.4, -0.8, 1.6, -1.8, 3.2, 0);
            cairo_curve_to(cr, 1.6, 2.6, -1.6, 2.6, -3.2, 0);
            cairo_close_path(cr);
        });
        line(c, f, label::redShade, 0.6, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.0, 0.1);
            cairo_line_to(cr, 3.0, 0.1);
        });
    } else if (style == "frown") {
        curve(2.8, -2.0);
    } else if (style == "moustache") {
        curve(2.2, open ? 2.6 : 1.4);
        shape(c, f, label::hairDark, [&](cairo_t* cr) {
            cairo_move_to(cr, 0, -2.2);
            cairo_curve_to(cr, 2.0, -3.4, 4.6, -2.4, 5.2, -0.6);
            cairo_curve_to(cr, 3.6, -1.2, 1.6, -0.6, 0, -1.0);
            cairo_curve_to(cr, -1.6, -0.6, -3.6, -1.2, -5.2, -0.6);
            cairo_curve_to(cr, -4.6, -2.4, -2.0, -3.4, 0, -2.2);
            cairo_close_path(cr);
        });
    } else if (style == "wavy") {
        line(c, f, label::ink, 1.0, [&](cairo_t* cr) {
            cairo_move_to(cr, -3.2, 0.6);
            cairo_curve_to(cr, -2.2, -0.8, -1.0, 1.8, 0, 0.4);
            cairo_curve_to(cr, 1.0, -0.8, 2.2, 1.8, 3.2, 0.4);
        });
    } else {
        curve(3.0, 2.4);
    }
}

}  // namespace

void drawEyes(LabelCanvas& c, const View& v, const std::string& style, int phase) {
    for (int side : {1, -1}) {
        const Feature f = feature(v, side * kEyeAzimuth, kEyeElevation);
        if (f.visible) eye(c, f, style, phase, side);
    }
}

void drawMouth(LabelCanvas& c, const View& v, const std::string& style, int phase) {
    const Feature f = feature(v, 0, kMouthElevation);
    if (f.visible) mouthShape(c, f, style, phase);
}

void drawHeadExpression(LabelCanvas& c, const View& v, HeadFace face) {
    // Cheeks on every face that shows.
    for (int side : {1, -1}) {
        const Feature f = feature(v, side * 0.72, -0.32);
        if (f.visible) shape(c, f, label::blush, [&](cairo_t* cr) { ellipseAt(cr, 0, 0, 3.2, 1.9); });
    }
    if (face == HeadFace::options) return;
    if (face == HeadFace::shy)
        for (int side : {1, -1}) {
            const Feature f = feature(v, side * kEyeAzimuth, kEyeElevation);
            if (f.visible) shape(c, f, label::blush, [&](cairo_t* cr) { ellipseAt(cr, side * 1.5, 4.2, 4.2, 1.8); });
        }
    const char* eyes = "dot";
    const char* mouth = nullptr;
    switch (face) {
    case HeadFace::blink: eyes = "closed"; break;
    case HeadFace::laugh:
        eyes = "happy";
        mouth = "laugh";
        break;
    case HeadFace::cry:
        eyes = "cry";
        mouth = "wavy";
        break;
    case HeadFace::angry:
        eyes = "determined";
        mouth = "frown";
        break;
    case HeadFace::surprised:
        eyes = "round";
        mouth = "oh";
        break;
    case HeadFace::sleep:
        eyes = "closed";
        mouth = "oh";
        break;
    case HeadFace::smile: mouth = "smile"; break;
    case HeadFace::scared:
        eyes = "teary";
        mouth = "wavy";
        break;
    case HeadFace::shy:
        eyes = "shy";
        mouth = "small";
        break;
    case HeadFace::yawn:
        eyes = "closed";
        mouth = "yawn";
        break;
    default: break;
    }
    for (int side : {1, -1}) {
        const Feature f = feature(v, side * kEyeAzimuth, kEyeElevation);
        if (!f.visible) continue;
        if (std::string(eyes) == "closed" || std::string(eyes) == "cry") {
            line(c, f, label::ink, 1.2, [&](cairo_t* cr) {
                cairo_move_to(cr, -3, 0);
                cairo_curve_to(cr, -1.5, 2.0, 1.5, 2.0, 3, 0);
            });
            if (std::string(eyes) == "cry") {
                shape(c, f, label::tear, [&](cairo_t* cr) { cairo_rectangle(cr, -1.2, 1.4, 2.4, 7.5); });
                line(c, f, label::tearLine, 0.6, [&](cairo_t* cr) { cairo_rectangle(cr, -1.2, 1.4, 2.4, 7.5); });
            }
        } else {
            eye(c, f, eyes, 0, side);
        }
    }
    if (mouth) {
        const Feature f = feature(v, 0, kMouthElevation);
        if (!f.visible) return;
        if (std::string(mouth) == "yawn") {
            shape(c, f, label::mouth, [&](cairo_t* cr) { ellipseAt(cr, 0, 1.6, 2.8, 4.0); });
            shape(c, f, label::tongue, [&](cairo_t* cr) { ellipseAt(cr, 0, 4.0, 1.8, 1.3); });
            line(c, f, label::ink, 0.9, [&](cairo_t* cr) { ellipseAt(cr, 0, 1.6, 2.8, 4.0); });
        } else if (std::string(mouth) == "small") {
            line(c, f, label::ink, 1.0, [&](cairo_t* cr) {
                cairo_move_to(cr, -1.6, 0.4);
                cairo_curve_to(cr, -0.6, 1.4, 0.6, 1.4, 1.6, 0.4);
            });
        } else {
            const bool closedMouth = face == HeadFace::sleep || face == HeadFace::smile || face == HeadFace::scared;
            mouthShape(c, f, mouth, closedMouth ? 0 : 1);
        }
    }
}

}  // namespace likenex::art
