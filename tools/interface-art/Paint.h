#pragma once
// Drawing helpers shared by the recipes: the theme's colours, rounded shapes, button faces
// and the icons. Icons are drawn in a 20 by 20 box that the caller scales into place.

#include "tools/interface-art/Art.h"

#include <cairo.h>

#include <functional>

namespace likenex::iart {

// The theme: soft off-white panels, one warm teal accent, slate ink, 1-pixel borders.
namespace theme {
inline constexpr Rgb page{247, 245, 240};
inline constexpr Rgb panel{251, 250, 247};
inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb border{176, 190, 188};
inline constexpr Rgb frameBorder{94, 140, 135};
inline constexpr Rgb ink{47, 62, 70};
inline constexpr Rgb accent{42, 157, 143};
inline constexpr Rgb accentLight{86, 190, 176};
inline constexpr Rgb accentDark{30, 118, 108};
inline constexpr Rgb accentPale{214, 238, 234};
inline constexpr Rgb slate{96, 115, 124};
inline constexpr Rgb slateDark{74, 90, 98};
inline constexpr Rgb coral{231, 111, 81};
inline constexpr Rgb gold{233, 180, 60};
inline constexpr Rgb status{232, 239, 237};
}  // namespace theme

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
Rgb mix(Rgb a, Rgb b, double t);  // t = 0 gives a, 1 gives b
void roundRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A rounded rectangle with only its top corners rounded (tabs, bands).
void topRoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
void verticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom);

// A whole-picture button face (style-1 buttons): rounded, 1-pixel border, a darker lip at
// the bottom when up; pressed it is darker, lipless and its content sits 1 pixel lower and
// to the right. `content` draws in picture pixels after the face. A `flat` face has no
// gradient, for nine-patches whose middle row is stretched.
enum class Face { light, accent, slate, plain };
void paintButton(cairo_t* cr, int w, int h, bool pressed, Face face, double radius,
                 const std::function<void(cairo_t*)>& content, bool flat = false);

// Runs `icon` in a 20 by 20 box centred in (x, y, w, h), scaled to fit.
void inIconBox(cairo_t* cr, double x, double y, double w, double h, const std::function<void(cairo_t*)>& icon);

// Icons in the 20 by 20 box, stroked or filled with the current source (`ink`) and, where
// they have a second colour, `accent`.
namespace icon {
void plusSheet(cairo_t* cr, Rgb ink, Rgb accent);
void magnifier(cairo_t* cr, Rgb ink, Rgb accent);
void speech(cairo_t* cr, Rgb ink, Rgb accent);
void info(cairo_t* cr, Rgb ink, Rgb accent);
void cross(cairo_t* cr, Rgb ink, double width);
void bar(cairo_t* cr, Rgb ink);
void face(cairo_t* cr, Rgb ink, Rgb accent);
void hat(cairo_t* cr, Rgb ink, Rgb accent);
void dress(cairo_t* cr, Rgb ink, Rgb accent);
void shirt(cairo_t* cr, Rgb ink, Rgb accent);
void trousers(cairo_t* cr, Rgb ink, Rgb accent);
void shoe(cairo_t* cr, Rgb ink, Rgb accent);
void star(cairo_t* cr, Rgb ink, Rgb accent);
void script(cairo_t* cr, Rgb ink, Rgb accent);
void cloudUp(cairo_t* cr, Rgb ink, Rgb accent);
void arrow(cairo_t* cr, Rgb ink, double angle);  // 0 points right, quarter turns clockwise
void plus(cairo_t* cr, Rgb ink, double width);
void play(cairo_t* cr, Rgb ink);
void eraser(cairo_t* cr, Rgb ink, Rgb accent);
void turn(cairo_t* cr, Rgb ink);
void personPlus(cairo_t* cr, Rgb ink, Rgb accent);
void key(cairo_t* cr, Rgb ink);
void globe(cairo_t* cr, Rgb ink, Rgb accent);
void copy(cairo_t* cr, Rgb ink, Rgb accent);
void folder(cairo_t* cr, Rgb ink, Rgb accent);
void check(cairo_t* cr, Rgb ink, double width);
void chevronDown(cairo_t* cr, Rgb ink);
void triangle(cairo_t* cr, Rgb ink, double angle);  // small filled arrow head for scroll arrows
}  // namespace icon

}  // namespace likenex::iart
