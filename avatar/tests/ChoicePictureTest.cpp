#include "avatar/ChoicePicture.h"

#include "avatar/AvatarRecord.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ImageKey.h"
#include "test_support/SpriteSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace likenex {
namespace {

std::vector<std::uint8_t> emptyCanvas() { return std::vector<std::uint8_t>(kFrameBytes, 0); }

void paint(std::vector<std::uint8_t>& canvas, int x, int y, std::uint8_t alpha, std::uint8_t blue = 7) {
    const std::size_t at = (static_cast<std::size_t>(y) * kFrameSize + static_cast<std::size_t>(x)) * 4;
    canvas[at] = blue;
    canvas[at + 3] = alpha;
}

TEST(ChoicePicture, CutsToTheVisiblePixelsWithATwoPixelMargin) {
    auto canvas = emptyCanvas();
    paint(canvas, 40, 30, 255, 11);
    paint(canvas, 50, 60, 1, 22);  // barely visible still counts
    const ChoicePicture picture = cropToContent(canvas);
    ASSERT_EQ(picture.width, 50 - 40 + 1 + 4);
    ASSERT_EQ(picture.height, 60 - 30 + 1 + 4);
    ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>(picture.width * picture.height * 4));
    // Rows keep their order; each pixel lands at its place relative to the cut's corner.
    const auto pixel = [&](int x, int y) {
        return picture.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                               static_cast<std::size_t>(x)) *
                              4];
    };
    EXPECT_EQ(pixel(2, 2), 11);
    EXPECT_EQ(pixel(picture.width - 3, picture.height - 3), 22);
    EXPECT_EQ(pixel(0, 0), 0);
}

TEST(ChoicePicture, TheMarginStopsAtTheCanvasEdges) {
    auto canvas = emptyCanvas();
    paint(canvas, 0, 0, 255);
    paint(canvas, kFrameSize - 1, kFrameSize - 1, 255);
    const ChoicePicture picture = cropToContent(canvas);
    EXPECT_EQ(picture.width, kFrameSize);
    EXPECT_EQ(picture.height, kFrameSize);
}

TEST(ChoicePicture, NothingVisibleOrAShortCanvasGivesAnEmptyPicture) {
    auto canvas = emptyCanvas();
    paint(canvas, 64, 64, 0, 200);  // colour without coverage
    EXPECT_TRUE(cropToContent(canvas).empty());
    EXPECT_TRUE(cropToContent(std::vector<std::uint8_t>(kFrameBytes - 1, 255)).empty());
}

// The four bytes of pixel (x, y) of a picture.
std::array<std::uint8_t, 4> at(const ChoicePicture& picture, int x, int y) {
    const std::size_t i =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(x)) * 4;
    return {picture.pixels[i], picture.pixels[i + 1], picture.pixels[i + 2], picture.pixels[i + 3]};
}

TEST(ChoicePicture, EnlargingRepeatsEveryPixelAsASquareBlock) {
    auto canvas = emptyCanvas();
    paint(canvas, 10, 20, 255, 1);
    paint(canvas, 11, 20, 255, 2);
    paint(canvas, 10, 21, 128, 3);
    const ChoicePicture picture = cutAndScale(canvas, {10, 20, 2, 2}, 2);
    ASSERT_EQ(picture.width, 4);
    ASSERT_EQ(picture.height, 4);
    ASSERT_EQ(picture.pixels.size(), 4u * 4u * 4u);
    const std::uint8_t blue[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 0, 0}, {3, 3, 0, 0}};
    const std::uint8_t alpha[4][4] = {{255, 255, 255, 255}, {255, 255, 255, 255}, {128, 128, 0, 0}, {128, 128, 0, 0}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(at(picture, x, y)[0], blue[y][x]) << x << "," << y;
            EXPECT_EQ(at(picture, x, y)[3], alpha[y][x]) << x << "," << y;
        }
}

TEST(ChoicePicture, TheScaleIsTheLargestWholeFactorThatFits) {
    EXPECT_EQ(fittingScale(19, 19, {57, 57}), 3);  // exactly
    EXPECT_EQ(fittingScale(20, 19, {57, 57}), 2);
    EXPECT_EQ(fittingScale(10, 30, {99, 82}), 2) << "the tighter side decides";
    EXPECT_EQ(fittingScale(100, 90, {99, 82}), 1) << "never below whole pixels";
    EXPECT_EQ(fittingScale(1, 1, {500, 500}), kMostChoiceScale);
    EXPECT_EQ(fittingScale(0, 5, {57, 57}), 1);
    EXPECT_EQ(fittingScale(5, 5, {-57, 57}), 1);
}

TEST(ChoicePicture, NothingIsReadOutsideTheCanvas) {
    auto canvas = emptyCanvas();
    paint(canvas, 0, 0, 255, 9);
    paint(canvas, kFrameSize - 1, kFrameSize - 1, 255, 8);
    // A region over the corners is cut to the canvas.
    const ChoicePicture topLeft = cutAndScale(canvas, {-5, -5, 8, 8}, 3);
    ASSERT_EQ(topLeft.width, 9);
    ASSERT_EQ(topLeft.height, 9);
    EXPECT_EQ(at(topLeft, 0, 0)[0], 9);
    const ChoicePicture bottomRight = cutAndScale(canvas, {kFrameSize - 2, kFrameSize - 2, 50, 50}, 1);
    ASSERT_EQ(bottomRight.width, 2);
    EXPECT_EQ(at(bottomRight, 1, 1)[0], 8);
    // Regions off the canvas, or whose ends would overflow, give nothing.
    EXPECT_TRUE(cutAndScale(canvas, {kFrameSize, 0, 5, 5}, 1).empty());
    EXPECT_TRUE(cutAndScale(canvas, {INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX}, 1).empty());
    EXPECT_TRUE(cutAndScale(canvas, {INT_MIN, INT_MIN, 4, 4}, 1).empty());
    EXPECT_TRUE(cutAndScale(canvas, {0, 0, -4, 4}, 1).empty());
    EXPECT_TRUE(cutAndScale(canvas, {0, 0, 4, 4}, 0).empty());
    EXPECT_TRUE(cutAndScale(canvas, {0, 0, 4, 4}, kMostChoiceScale + 1).empty());
    EXPECT_TRUE(cutAndScale(std::vector<std::uint8_t>(kFrameBytes - 1, 255), {0, 0, 4, 4}, 1).empty());
    EXPECT_TRUE(visibleRegion({}).empty());
}

// A head of 40 by 40 pixels with eyes of 10 by 3 on it: standing action, one frame, body
// layers 0 (the head) and 1 (where face layer 1 shows); a hairstyle and a hat of 20 by 8 worn
// on layer 0.
class HeadPictureTest : public ::testing::Test {
protected:
    static constexpr std::int32_t kEyes = 50;
    static constexpr std::uint16_t kHair = 60, kHat = 61;
    static constexpr std::array<std::uint8_t, 4> kSkin{40, 80, 200, 255}, kEye{250, 10, 10, 255};
    static constexpr std::array<std::uint8_t, 4> kWorn{10, 200, 10, 255};

    void SetUp() override {
        CatalogueTables t;
        ActionFrame frame;
        frame.duration = 100;
        frame.layers[0].imageNumber = 1;
        frame.layers[1].imageNumber = 1;
        Action standing;
        standing.identifier = kStandingAction;
        standing.frames = {frame};
        t.actions = {standing};
        for (const auto [id, category] : {std::pair{kHair, 1}, std::pair{kHat, 0}}) {
            Item item;
            item.identifier = id;
            item.category = category;
            item.availability = 1;
            t.items.push_back(item);
        }
        const auto bytes = encodeAvatarData(t);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(catalogue_.readCatalogueSection1(*bytes));
        ASSERT_TRUE(catalogue_.readItems(*bytes));
        std::vector<SpriteSource> sprites = {
            testing::solidSprite(makeImageKey(kHair, 1, 0, 0, 1, 1), 20, 8, 54, 26, kWorn),
            testing::solidSprite(makeImageKey(kHat, 1, 0, 0, 0, 1), 20, 8, 54, 26, kWorn)};
        // The head and the eyes alike from every side: face options are shown from the front.
        for (int view = 0; view < 8; ++view) {
            sprites.push_back(testing::solidSprite(makeImageKey(1, 0, 0, view, 0, 0), 40, 40, 44, 30, kSkin));
            sprites.push_back(testing::solidSprite(makeImageKey(kEyes, 0, 1, view, 0, 0), 10, 3, 59, 45, kEye));
        }
        std::sort(sprites.begin(), sprites.end(), [](const SpriteSource& a, const SpriteSource& b) { return a.key < b.key; });
        const auto files = encodeAvatarArchive(sprites);
        ASSERT_TRUE(files);
        ASSERT_TRUE(archive_.loadAvatarArchive(files->index, files->data));
    }
    [[nodiscard]] LayerOption eyes() const {
        LayerOption option;
        option.faceLayer = 1;
        option.optionNumber = kEyes;
        option.availability = 1;
        return option;
    }

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
};

TEST_F(HeadPictureTest, AFaceOptionFillsTheRoomWithItsEyesOnTheHead) {
    // Every option is shown at the scale of the face box (28 by 28 fits 57 by 57 twice): the
    // cut is 28 by 28 of the head around the eyes, every pixel a block of 2.
    const ChoicePicture picture = faceOptionPicture(catalogue_, archive_, eyes(), -1, {57, 57});
    ASSERT_EQ(picture.width, 56);
    ASSERT_EQ(picture.height, 56);
    int eyePixels = 0, skinPixels = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const auto pixel = at(picture, x, y);
            if (pixel == kEye) ++eyePixels;
            else if (pixel == kSkin) ++skinPixels;
        }
    EXPECT_EQ(eyePixels, 10 * 3 * 4) << "the whole of the eyes, enlarged";
    EXPECT_EQ(eyePixels + skinPixels, 56 * 56) << "the head fills the rest";
    EXPECT_EQ(at(picture, 28, 28), kEye) << "centred on the eyes";

    // No room to speak of still shows the face box, at 1x.
    const ChoicePicture small = faceOptionPicture(catalogue_, archive_, eyes(), -1, {0, 0});
    EXPECT_EQ(small.width, 28);
    EXPECT_EQ(small.height, 28);
    // An option without pictures draws nothing.
    LayerOption missing = eyes();
    missing.optionNumber = 51;
    EXPECT_TRUE(faceOptionPicture(catalogue_, archive_, missing, -1, {57, 57}).empty());
}

TEST_F(HeadPictureTest, AHairstyleSitsOnTheHeadAndAHatStandsAlone) {
    auto count = [](const ChoicePicture& picture, const std::array<std::uint8_t, 4>& colour) {
        int n = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) n += at(picture, x, y) == colour;
        return n;
    };
    const ChoicePicture hair = itemPicture(catalogue_, archive_, *catalogue_.findItem(kHair), -1, -1, {99, 82});
    EXPECT_GT(count(hair, kSkin), 0);
    EXPECT_GT(count(hair, kWorn), 0);
    // The hat with its one-pixel margin is 22 by 10: four times that fits 99 by 82.
    const ChoicePicture hat = itemPicture(catalogue_, archive_, *catalogue_.findItem(kHat), -1, -1, {99, 82});
    EXPECT_EQ(hat.width, 88);
    EXPECT_EQ(hat.height, 40);
    EXPECT_EQ(count(hat, kSkin), 0);
    EXPECT_EQ(count(hat, kWorn), 20 * 8 * 16);
}

}  // namespace
}  // namespace likenex
