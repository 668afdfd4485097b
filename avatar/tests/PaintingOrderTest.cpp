#include "avatar/PaintingOrder.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/ImageKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace likenex {
namespace {

// The painting order is read back from one canvas. Every layer's picture is a 32 by 32 sprite
// in the canvas corner that is opaque, in the layer's own colour, at one private pixel and at
// one pixel shared with each other layer, transparent elsewhere. The private pixel tells
// whether the layer was painted; each shared pixel shows which of its two layers came later;
// counting those wins puts the painted layers in order.
constexpr int kSide = 32;

struct NamedLayer {
    std::string name;
    LayerRef ref;
};

std::vector<NamedLayer> namedLayers(const FrameLayers& layers) {
    std::vector<NamedLayer> named;
    for (int v = 0; v < kBodyLayerCount; ++v)
        named.push_back({"A" + std::to_string(v), layers.body[static_cast<std::size_t>(v)]});
    for (int v = 0; v < kBodyLayerCount; ++v)
        named.push_back({"B" + std::to_string(v), layers.bodyParts[static_cast<std::size_t>(v)]});
    for (int k = 0; k < kItemLayerCount; ++k)
        named.push_back({"C" + std::to_string(k), layers.items[static_cast<std::size_t>(k)]});
    std::erase_if(named, [](const NamedLayer& n) { return n.ref.key == 0; });
    return named;
}

// Pixel of the private mark of layer i, and of the mark shared by layers i < j.
int pairPixel(int i, int j, int count) {
    int index = count;
    for (int a = 0; a < i; ++a) index += count - 1 - a;
    return index + (j - i - 1);
}

struct Painted {
    std::string order;                 // names of the painted layers, first painted first
    std::vector<std::uint8_t> pixels;  // of the canvas
    int count = 0;
};

class PaintingOrderTest : public ::testing::Test {
protected:
    // Body layer v shows image number 1 + v; the head-less frame shows picture 3 on layer 0.
    static ActionFrame frame(bool headless) {
        ActionFrame f;
        for (int v = 0; v < kBodyLayerCount; ++v) f.layers[static_cast<std::size_t>(v)].imageNumber = 1 + v;
        if (headless) f.layers[0].imageNumber = 3;
        return f;
    }

    // Items 100 + s in slots 0, 2, 3, 4, 6; face options 40 and 41; parts on every layer.
    static AvatarLook dressed() {
        AvatarLook look;
        for (int s : {0, 2, 3, 4, 6}) look.items[static_cast<std::size_t>(s)] = {100 + s, s, -1, true};
        look.items[7] = ItemSlot::faceOption(40);
        look.items[8] = ItemSlot::faceOption(41);
        for (int v = 0; v < kBodyLayerCount; ++v) {
            BodyPartSlot& slot = look.bodyParts[static_cast<std::size_t>(v)];
            slot.part.identifier = static_cast<std::uint16_t>(200 + v);
            slot.part.bodyLayer = v;
            slot.chosen = true;
        }
        return look;
    }

    // `earlier` forms the layers first, as a previous frame leaves them in the model's arrays.
    Painted paint(const AvatarLook& look, int direction, int variant, bool headless = false,
                  const AvatarLook* earlier = nullptr) {
        FrameLayers layers;
        if (earlier) formFrameLayers(layers, frame(headless), std::clamp(direction, 0, 7), *earlier);
        formFrameLayers(layers, frame(headless), std::clamp(direction, 0, 7), look);
        const std::vector<NamedLayer> named = namedLayers(layers);
        const int n = static_cast<int>(named.size());
        std::vector<SpriteSource> sprites;
        for (int i = 0; i < n; ++i) {
            SpriteSource s{named[static_cast<std::size_t>(i)].ref.key,     kSide, kSide, 0, 0, 0, 0,
                           std::vector<std::uint8_t>(kSide * kSide * 4, 0)};
            auto mark = [&](int pixel) {
                const auto at = static_cast<std::size_t>(pixel) * 4;
                s.pixels[at] = static_cast<std::uint8_t>(i + 1);
                s.pixels[at + 2] = 200;
                s.pixels[at + 3] = 255;
            };
            mark(i);
            for (int j = 0; j < n; ++j)
                if (j != i) mark(pairPixel(std::min(i, j), std::max(i, j), n));
            sprites.push_back(std::move(s));
        }
        auto files = encodeAvatarArchive(sprites);
        EXPECT_TRUE(files);
        EXPECT_TRUE(archive.loadAvatarArchive(files->index, files->data));

        Painted result;
        ImageRecord canvas = emptyFrameCanvas();
        result.count = composeLayers(archive, canvas, layers, PaintConditions::of(look), direction, variant);
        result.pixels = canvas.pixels;
        // Sprite row r lies on canvas row 128 - 32 + r; the owner is the blue byte less one.
        auto owner = [&](int pixel) {
            const std::size_t at = (static_cast<std::size_t>(kFrameSize - kSide + pixel / kSide) * kFrameSize +
                                    static_cast<std::size_t>(pixel % kSide)) *
                                   4;
            return result.pixels[at + 3] == 0 ? -1 : result.pixels[at] - 1;
        };
        std::vector<std::pair<int, int>> wins;  // (wins, layer) of painted layers
        for (int i = 0; i < n; ++i) {
            if (owner(i) != i) continue;
            int won = 0;
            for (int j = 0; j < n; ++j)
                if (j != i && owner(pairPixel(std::min(i, j), std::max(i, j), n)) == i) ++won;
            wins.emplace_back(won, i);
        }
        std::sort(wins.begin(), wins.end());
        for (auto [won, i] : wins)
            result.order += (result.order.empty() ? "" : " ") + named[static_cast<std::size_t>(i)].name;
        return result;
    }

    ColourTables tables;
    AvatarArchive archive{tables};
};

TEST_F(PaintingOrderTest, EachDirectionPaintsInItsOrderWithTheHeadGroupInPlace) {
    const AvatarLook look = dressed();
    const std::map<int, std::string> expected = {
        {0, "A5 C10 C7 A9 B9 A7 C12 C14 A6 C11 C13 A3 C8 C5 A0 C3 C1 C0 A4 C9 C6 A8 B8"},
        {2, "A5 C10 C7 A9 B9 A7 C12 C14 A6 C11 C13 A3 C8 C5 A0 C3 C1 C0 A4 A8 C9 C6 B8"},
        {3, "A6 C11 C13 A7 C12 C14 A3 C8 C5 A4 C9 C6 A8 B8 A5 A9 C10 C7 B9 A0 C3 C1 C0"},
        {4, "A4 C9 C6 A8 B8 A6 C11 C13 A7 C12 C14 A3 C8 C5 A0 C3 C1 C0 A5 A9 C10 C7 B9"},
        {5, "A4 C9 C6 A8 B8 A6 C11 C13 A7 C12 C14 A3 C8 C5 A0 C3 C1 C0 A5 C10 C7 A9 B9"},
        {7, "A7 C12 C14 A6 C11 C13 A3 C8 C5 A0 C3 C1 C0 A5 C10 C7 A9 B9 A4 C9 C6 A8 B8"},
    };
    for (const auto& [direction, order] : expected) EXPECT_EQ(paint(look, direction, 0).order, order) << direction;
    // Directions 0 and 1 share one order, and so do 5 and 6.
    EXPECT_EQ(paint(look, 1, 0).order, expected.at(0));
    EXPECT_EQ(paint(look, 6, 0).order, expected.at(5));
    EXPECT_EQ(paint(look, 0, 0).count, 23);
}

TEST_F(PaintingOrderTest, SlotsOneAndFiveTakeTheirOwnPlaces) {
    AvatarLook look = dressed();
    look.items[0].occupied = false;
    look.items[1] = {101, 1, -1, true};
    look.items[3].occupied = false;
    look.items[5] = {105, 5, -1, true};
    // C11 and C12 now come from slot 5, which directions 0 and 7 paint in another place.
    EXPECT_EQ(paint(look, 0, 0).order, "A5 C10 C7 A9 B9 A7 C14 A6 C12 C11 C13 A3 C8 C5 A0 C3 C1 C0 A4 C9 C6 A8 B8");
    EXPECT_EQ(paint(look, 7, 0).order, "A7 C14 A6 C12 C11 C13 A3 C8 C5 A0 C3 C1 C0 A5 C10 C7 A9 B9 A4 C9 C6 A8 B8");
}

TEST_F(PaintingOrderTest, VariantOneSwapsOnlyTheFaceLayers) {
    AvatarLook look = dressed();
    EXPECT_EQ(paint(look, 4, 1).order, "A4 C9 C6 A8 B8 A6 C11 C13 A7 C12 C14 A3 C8 C5 A0 C4 C2 C0 A5 A9 C10 C7 B9");
    // Without face options both variants give the same picture.
    look.items[7].occupied = false;
    look.items[8].occupied = false;
    EXPECT_EQ(paint(look, 4, 0).pixels, paint(look, 4, 1).pixels);
}

TEST_F(PaintingOrderTest, HeadlessBodyPicturesLeaveOutTheWholeHeadGroup) {
    const AvatarLook look = dressed();
    for (int d = 0; d < 8; ++d) EXPECT_TRUE(isHeadlessBodyKey(makeImageKey(3, 0, 0, d, 0, 0))) << d;
    EXPECT_FALSE(isHeadlessBodyKey(makeImageKey(3, 0, 1, 2, 0, 0)));
    EXPECT_FALSE(isHeadlessBodyKey(makeImageKey(4, 0, 0, 2, 0, 0)));
    EXPECT_EQ(paint(look, 2, 0, true).order, "A5 C10 C7 A9 B9 A7 C12 C14 A6 C11 C13 A3 C8 C5 A4 A8 C9 C6 B8");
    EXPECT_EQ(paint(look, 3, 1, true).order, "A6 C11 C13 A7 C12 C14 A3 C8 C5 A4 C9 C6 A8 B8 A5 A9 C10 C7 B9");
}

TEST_F(PaintingOrderTest, BodyPartsEightAndNineNeedTheirSlotOrModeOne) {
    AvatarLook look;  // nothing worn: the body layers alone, in order
    EXPECT_EQ(paint(look, 7, 0).order, "A7 A6 A3 A0 A5 A9 A4 A8");
    // Parts 8 and 9 chosen for an earlier frame still stand in B8 and B9 but are not painted.
    const AvatarLook earlier = dressed();
    look = dressed();
    look.bodyParts[8].chosen = false;
    look.bodyParts[9].chosen = false;
    EXPECT_EQ(paint(look, 5, 0, false, &earlier).order,
              "A4 C9 C6 A8 A6 C11 C13 A7 C12 C14 A3 C8 C5 A0 C3 C1 C0 A5 C10 C7 A9");
    look.mode = kMode501;  // B8 becomes part 501 and is painted without its slot
    EXPECT_EQ(paint(look, 5, 0, false, &earlier).order,
              "A4 C9 C6 A8 B8 A6 C11 C13 A7 C12 C14 A3 C8 C5 A0 C3 C1 C0 A5 C10 C7 A9");
}

TEST_F(PaintingOrderTest, DirectionsPastSevenPaintNothing) {
    const AvatarLook look = dressed();
    for (int direction : {8, -1}) {
        Painted painted = paint(look, direction, 0);
        EXPECT_EQ(painted.count, 0);
        EXPECT_TRUE(std::all_of(painted.pixels.begin(), painted.pixels.end(), [](auto b) { return b == 0; }));
    }
    EXPECT_TRUE(paintingOrder(8).empty());
}

TEST_F(PaintingOrderTest, MissingPicturesAndColourSetsAreSkipped) {
    AvatarLook look;
    look.skin = 3;  // no skin table: no body layer can be drawn
    look.items[4] = {104, 4, -1, true};
    Painted painted = paint(look, 0, 0);
    EXPECT_EQ(painted.order, "C14 C13");
    EXPECT_EQ(painted.count, 2);
}

}  // namespace
}  // namespace likenex
