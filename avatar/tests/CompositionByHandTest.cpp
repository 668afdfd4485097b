// One frame composed by the model from a hand-made data set, compared pixel for pixel with a
// frame worked out by hand from the painting orders and the blend and recolouring rules.
#include "avatar/AvatarModel.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ImageKey.h"
#include "test_support/RecordingRenderer.h"
#include "test_support/SpriteSources.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using Pixel = std::array<std::uint8_t, 4>;  // blue, green, red, alpha

using testing::solidSprite;

constexpr std::int32_t kTop = 21;  // an item of category 2 (a top)

class CompositionByHandTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::RecordingRenderer::install();
        // Colour set 0: key grey i becomes red 10 + 30i, green 20 + 30i, blue 30 + 30i.
        ColourSet set;
        for (std::uint32_t i = 0; i < 6; ++i) set.colours[i] = {10 + 30 * i, 20 + 30 * i, 30 + 30 * i};
        const std::vector<ColourSet> sets{set};
        tables_.colour.parse(encodeColourTable(sets));

        // One action of one frame: body image 1 on layers 0, 3, 4, 5 and 8; layer 3 turned by one.
        CatalogueTables t;
        ActionFrame frame;
        for (int v : {0, 3, 4, 5, 8}) frame.layers[static_cast<std::size_t>(v)].imageNumber = 1;
        frame.layers[3].directionOffset = 1;
        Action action;
        action.identifier = 1;
        action.frames = {frame};
        t.actions = {action};
        Item top;
        top.identifier = kTop;
        top.category = 2;
        top.availability = 1;
        t.items = {top};
        const auto bytes = encodeAvatarData(t);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(catalogue_.readCatalogueSection1(*bytes));
        ASSERT_TRUE(catalogue_.readItems(*bytes));

        // Frame row 10 is y = 128 - 10 - 1 for a sprite one row high.
        std::vector<SpriteSource> sprites;
        for (int d = 0; d < 8; ++d) {
            const int turned = (d + 1) % 8;
            sprites.push_back(solidSprite(makeImageKey(1, 0, 5, d, 0, 0), 1, 1, 10, 117, {0, 0, 255, 255}));  // A5 red
            sprites.push_back(solidSprite(makeImageKey(1, 0, 3, turned, 0, 0), 2, 1, 10, 117, {0, 255, 0, 128}));  // A3
            sprites.push_back(solidSprite(makeImageKey(kTop, 1, 3, turned, 2, 1), 1, 1, 11, 117, {180, 180, 180, 255}));
            sprites.push_back(solidSprite(makeImageKey(1, 0, 0, d, 0, 0), 1, 1, 12, 117, {255, 0, 0, 255}));  // head
            sprites.push_back(solidSprite(makeImageKey(1, 0, 4, d, 0, 0), 1, 1, 12, 117, {9, 9, 9, 0}));  // A4 clear
            sprites.push_back(solidSprite(makeImageKey(1, 0, 8, d, 0, 0), 2, 2, 126, 0, {200, 100, 50, 64}));  // feet
        }
        const auto files = encodeAvatarArchive(sprites);
        ASSERT_TRUE(files);
        ASSERT_TRUE(archive_.loadAvatarArchive(files->index, files->data));
        model_ =
            std::make_unique<AvatarModel>(AvatarModelParts{&catalogue_, &archive_, &cache_, nullptr, nullptr, nullptr});
        model_->wearItem(2, kTop, 0);  // skin stays -1: the body is drawn as stored
    }
    void TearDown() override {
        model_.reset();
        testing::RecordingRenderer::uninstall();
    }

    // The whole frame: transparent but for the pixels given.
    static std::vector<std::uint8_t> frameWith(const std::vector<std::tuple<int, int, Pixel>>& pixels) {
        std::vector<std::uint8_t> frame(kFrameBytes, 0);
        for (const auto& [row, column, pixel] : pixels)
            std::copy(pixel.begin(), pixel.end(), frame.begin() + (row * kFrameSize + column) * 4);
        return frame;
    }

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    SpriteCache cache_;
    std::unique_ptr<AvatarModel> model_;
};

TEST_F(CompositionByHandTest, TheWholeFrameIsWhatThePaintingOrderAndTheRulesGive) {
    const Pixel feet{200, 100, 50, 64};  // over nothing: copied whole
    // Grey 180 is key grey 1 of the set: red 40, green 50, blue 60, alpha kept (255); with a
    // set it replaces whatever lay below.
    const Pixel recoloured{60, 50, 40, 255};
    const Pixel head{255, 0, 0, 255};
    const auto bottom = std::vector<std::tuple<int, int, Pixel>>{
        {126, 126, feet}, {126, 127, feet}, {127, 126, feet}, {127, 127, feet}};

    // Direction 2 paints A5, then A3, the top (C5) and the head group, then A4 and A8.
    // Green of alpha 128 over opaque red: (255 * 128) / 255 = 128 green, (255 * 127) / 255
    // = 127 red, alpha (128 * 128 + 255 * 127) / 255 = 191.
    ASSERT_TRUE(model_->playAction(1, 2, true));
    auto expected = bottom;
    expected.insert(expected.end(), {{10, 10, {0, 128, 127, 191}}, {10, 11, recoloured}, {10, 12, head}});
    EXPECT_TRUE(model_->frameStore().copies.at(0) == frameWith(expected));

    // Direction 3 paints A3 first (copied onto the empty canvas), then the opaque red of A5
    // over it (exactly the sprite pixel), and the head last.
    ASSERT_TRUE(model_->playAction(1, 3, true));
    expected = bottom;
    expected.insert(expected.end(), {{10, 10, {0, 0, 255, 255}}, {10, 11, recoloured}, {10, 12, head}});
    EXPECT_TRUE(model_->frameStore().copies.at(0) == frameWith(expected));
}

}  // namespace
}  // namespace likenex
