// The label canvas must never produce a colour outside its palette (recolouring matches
// exact greys), must put soft edges into alpha only, and must crop and place pictures
// where they were drawn.
#include "tools/avatar-art/LabelCanvas.h"
#include "tools/avatar-art/Palette.h"
#include "tools/avatar-art/Rig.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

namespace likenex::art {
namespace {

std::set<std::tuple<int, int, int>> paletteColours() {
    std::set<std::tuple<int, int, int>> colours;
    for (Label l = 1; l < label::count; ++l) {
        const Rgba c = palette()[l].colour;
        colours.insert({c.r, c.g, c.b});
    }
    return colours;
}

TEST(LabelCanvas, OverlappingShapesResolveToPaletteColoursWithSoftAlphaEdges) {
    LabelCanvas canvas;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> at(10, 118), size(2, 30);
    for (int i = 0; i < 40; ++i) {
        const Label l = static_cast<Label>(1 + i % (label::count - 1));
        pathEllipse(canvas.path(), {at(random), at(random)}, size(random), size(random), at(random));
        if (i % 3 == 0) canvas.fillShaded(l, label::shadow, 2);
        else canvas.fill(l);
        if (i % 4 == 0) {
            pathCircle(canvas.path(), {at(random), at(random)}, size(random));
            canvas.stroke(label::line, 1.1);
        }
    }
    const SpriteSource s = canvas.resolve(1);
    const auto allowed = paletteColours();
    int partial = 0;
    for (std::size_t i = 0; i < s.pixels.size(); i += 4) {
        const int b = s.pixels[i], g = s.pixels[i + 1], r = s.pixels[i + 2], a = s.pixels[i + 3];
        if (a == 0) continue;
        ASSERT_TRUE(allowed.contains({r, g, b})) << r << "," << g << "," << b;
        if (a < 255) ++partial;
    }
    EXPECT_GT(partial, 0) << "edges should be soft in alpha";
}

TEST(LabelCanvas, CropsToWhatWasDrawnAndStoresTheBottomRowFirst) {
    LabelCanvas canvas;
    cairo_rectangle(canvas.path(), 10, 20, 6, 4);
    canvas.fill(label::base);
    cairo_rectangle(canvas.path(), 10, 23, 6, 1);
    canvas.fill(label::line);
    const SpriteSource s = canvas.resolve(42);
    EXPECT_EQ(s.key, 42);
    EXPECT_EQ(std::tie(s.x, s.y, s.width, s.height), std::make_tuple(10, 20, 6, 4));
    // The line was drawn on the last frame row, which is stored first.
    EXPECT_EQ(s.pixels[2], 100);
    EXPECT_EQ(s.pixels[3], 255);
    EXPECT_EQ(s.pixels[(3 * 6) * 4 + 2], 238);
}

TEST(LabelCanvas, EmptyAndErasedPictures) {
    LabelCanvas canvas;
    const SpriteSource empty = canvas.resolve(5);
    EXPECT_EQ(std::tie(empty.width, empty.height), std::make_tuple(1, 1));
    EXPECT_EQ(empty.pixels, std::vector<std::uint8_t>(4, 0));

    pathCircle(canvas.path(), {64, 64}, 20);
    canvas.fill(label::base);
    pathCircle(canvas.path(), {64, 64}, 10);
    canvas.erase();
    const SpriteSource ring = canvas.resolve(6);
    const int centre = ((ring.height - 1 - (64 - ring.y)) * ring.width + (64 - ring.x)) * 4;
    EXPECT_EQ(ring.pixels[static_cast<std::size_t>(centre) + 3], 0);

    // A cleared canvas forgets everything, including the crop.
    canvas.clear();
    cairo_rectangle(canvas.path(), 100, 100, 2, 2);
    canvas.fill(label::base);
    const SpriteSource small = canvas.resolve(7);
    EXPECT_EQ(std::tie(small.x, small.y, small.width, small.height), std::make_tuple(100, 100, 2, 2));
}

TEST(LabelCanvas, ThinDetailsWinAgainstFills) {
    LabelCanvas canvas;
    cairo_rectangle(canvas.path(), 0, 0, 20, 20);
    canvas.fill(label::base);
    // A line half a pixel wide, centred on a pixel row, still shows.
    cairo_move_to(canvas.path(), 2, 10.5);
    cairo_line_to(canvas.path(), 18, 10.5);
    canvas.stroke(label::line, 0.5);
    const SpriteSource s = canvas.resolve(1);
    const std::size_t row10 = static_cast<std::size_t>(s.height - 1 - 10) * s.width;
    EXPECT_EQ(s.pixels[(row10 + 8) * 4 + 2], 100);
}

TEST(LabelCanvas, ATurnedContextKeepsWholeShapesAndShadesThemInTheirOwnCoordinates) {
    // A quarter turn clockwise about (64, 64) takes the shape's left half to the top. The
    // shape lies outside its untransformed box, so a box taken without the turn would cut it.
    LabelCanvas canvas;
    Posture lying;
    lying.roll = 90;
    lying.pivot = {64, 64};
    cairo_save(canvas.path());
    applyPosture(canvas.path(), View(1), lying);
    cairo_rectangle(canvas.path(), 24, 60, 40, 8);
    canvas.fillWith([](double x, double) { return x < 44 ? label::base : label::line; });
    cairo_restore(canvas.path());
    const SpriteSource s = canvas.resolve(1);
    EXPECT_EQ(std::tie(s.x, s.y, s.width, s.height), std::make_tuple(60, 24, 8, 40));
    auto redAt = [&](int x, int y) {
        return s.pixels[(static_cast<std::size_t>(s.height - 1 - (y - s.y)) * s.width + (x - s.x)) * 4 + 2];
    };
    EXPECT_EQ(redAt(63, 26), 238);
    EXPECT_EQ(redAt(63, 61), 100);
    // Facing right, the figure turns the other way, its head to the left.
    canvas.clear();
    cairo_save(canvas.path());
    applyPosture(canvas.path(), View(5), lying);
    cairo_rectangle(canvas.path(), 24, 60, 40, 8);
    canvas.fill(label::base);
    cairo_restore(canvas.path());
    const SpriteSource right = canvas.resolve(2);
    EXPECT_EQ(std::tie(right.x, right.y, right.width, right.height), std::make_tuple(60, 64, 8, 40));
}

TEST(Rig, DirectionsTurnTheFigureAsThePaintingOrdersExpect) {
    // Direction 7 faces the viewer, 3 turns its back, 1 shows its left side (nearer the
    // viewer) and 5 its right side.
    const Vec3 forward{0, 0, 1}, left{1, 0, 0};
    EXPECT_GT(View(7).toView(forward).f, 0.9);
    EXPECT_LT(View(3).toView(forward).f, -0.9);
    EXPECT_GT(View(1).toView(left).f, 0.9);
    EXPECT_LT(View(5).toView(left).f, -0.9);
    // Direction 0 and 2 keep the left side near, 4 and 6 the right side.
    for (int d : {0, 2}) EXPECT_GT(View(d).toView(left).f, 0.5) << d;
    for (int d : {4, 6}) EXPECT_LT(View(d).toView(left).f, -0.5) << d;
    // Seen from the viewer, and back.
    for (int d = 0; d < 8; ++d) {
        const Vec3 v = View(d).toView({0.3, 0.5, -0.8});
        const Vec3 back = View(d).fromView(v.l, v.u, v.f);
        EXPECT_NEAR(back.l, 0.3, 1e-9);
        EXPECT_NEAR(back.u, 0.5, 1e-9);
        EXPECT_NEAR(back.f, -0.8, 1e-9);
    }
    // The feet stand on the frame's ground row, in the middle.
    const Projected ground = View(7).project({0, 0, 0});
    EXPECT_DOUBLE_EQ(ground.x, 64);
    EXPECT_DOUBLE_EQ(ground.y, 124);
}

}  // namespace
}  // namespace likenex::art
