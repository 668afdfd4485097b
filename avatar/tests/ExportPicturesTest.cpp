// The export's PNG pictures read back with libpng, and the windowless scene that gives the
// tool and the server their speech bubbles.
#include "avatar/ExportPictures.h"
#include "avatar/PictureScene.h"
#include "avatar/tests/HeadFrame.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ImageKey.h"
#include "test_support/PngChunks.h"
#include "test_support/PngDecode.h"
#include "test_support/SpriteSources.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using testing::headFrame;
using testing::solidSprite;

using test::decodePng;

constexpr std::array<std::uint8_t, 4> kBubbleBlue{200, 40, 10, 255};

class ExportPicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogueTables t;
        Action walk;
        walk.identifier = 100;
        walk.frames = {headFrame(120, 1), headFrame(80, 2)};
        Action wave;
        wave.identifier = 200;
        wave.frames = {headFrame(300, 1)};
        t.actions = {walk, wave};
        const auto bytes = encodeAvatarData(t);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(catalogue_.readCatalogueSection1(*bytes));
        std::vector<SpriteSource> sprites;
        for (int d = 0; d < 8; ++d)
            for (int n = 1; n <= 2; ++n)
                sprites.push_back(solidSprite(makeImageKey(n, 0, 0, d, 0, 0), 20, 30, 50, 10,
                                              std::array<std::uint8_t, 4>{std::uint8_t(n * 90), 60, 30, 255}));
        // The bubble's pieces (pictures 10 to 25 of kind 5), one blue block each.
        for (int piece = 10; piece < 26; ++piece)
            sprites.push_back(solidSprite(makeImageKey(piece, 5, 0, 0, 0, 0), 4, 12, 0, 0, kBubbleBlue));
        const auto files = encodeAvatarArchive(sprites);
        ASSERT_TRUE(files);
        ASSERT_TRUE(archive_.loadAvatarArchive(files->index, files->data));
        scene_ = std::make_unique<PictureScene>(archive_, defaultPictureFonts("/nonexistent"));
    }
    AvatarModelParts parts() { return {&catalogue_, &archive_, &cache_, &clock_, nullptr, scene_.get()}; }
    std::unique_ptr<AvatarModel> posed(std::uint16_t action, const std::u16string& caption, int direction) {
        auto model = std::make_unique<AvatarModel>(parts());
        auto record = std::make_shared<AvatarRecord>();
        record->direction = direction;
        model->setRecord(record);
        EXPECT_TRUE(model->say(&caption, 0, 10000));
        EXPECT_TRUE(model->playAction(action, direction, true));
        (void)model->playSpan(0, 0, false);
        return model;
    }
    static bool holds(const RgbaPicture& picture, const std::array<std::uint8_t, 4>& bgra) {
        for (std::size_t i = 0; i < picture.rgba.size(); i += 4)
            if (picture.rgba[i] == bgra[2] && picture.rgba[i + 1] == bgra[1] && picture.rgba[i + 2] == bgra[0] &&
                picture.rgba[i + 3] == bgra[3])
                return true;
        return false;
    }

    struct Clock : AvatarClock {
        Tick time = 777;
        Tick now() const override { return time; }
    };
    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    SpriteCache cache_;
    Clock clock_;
    std::unique_ptr<PictureScene> scene_;
};

TEST_F(ExportPicturesTest, AnimatedPngHoldsTheScriptsFramesAndStartsWithTheFirstStepsSnapshot) {
    ASSERT_TRUE(scene_->hasFonts());
    const std::vector<ScriptStep> script{{100, u"Hello there"}, {200, u""}};
    const std::vector<std::uint8_t> file = scriptAnimationPng(parts(), AvatarLook{}, 6, script);
    ASSERT_FALSE(file.empty());
    const auto chunks = test::pngChunks(file);
    ASSERT_TRUE(chunks);
    EXPECT_EQ(test::apngDelays(*chunks), (std::vector<std::uint32_t>{120, 580, 800}));
    // libpng shows the first frame: the transparent snapshot of the first step, bubble and all.
    const RgbaPicture first = decodePng(file);
    auto model = posed(100, script[0].caption, 6);
    const RgbaPicture expected = cropSnapshot(model->composeSnapshot(0), kAnimationCrop);
    EXPECT_EQ(first, expected);
    EXPECT_TRUE(holds(first, kBubbleBlue));
    EXPECT_EQ(first.rgba[3], 0);  // the corner is background
    // A script that plays nothing gives no file.
    EXPECT_TRUE(scriptAnimationPng(parts(), AvatarLook{}, 0, {{999, u"x"}}).empty());
}

// The editor's export: the BMP from takeSnapshot, then both PNGs from the same model.
TEST_F(ExportPicturesTest, ExportPngsLeaveTheModelAsTheBmpSawIt) {
    struct Events : AvatarEvents {
        int ended = 0;
        void actionEnded(std::uint16_t, std::int64_t) override { ++ended; }
    } events;
    AvatarModel model(AvatarModelParts{&catalogue_, &archive_, &cache_, &clock_, &events, scene_.get()});
    model.setRecord(std::make_shared<AvatarRecord>());
    ASSERT_TRUE(model.playAction(100, 2, true));
    (void)model.playSpan(0, 1, false);
    const std::u16string said = u"mine";
    ASSERT_TRUE(model.say(&said, 0, 10000));
    const std::uint8_t* taken = model.takeSnapshot();
    const std::vector<std::uint8_t> bmpSnapshot(taken, taken + model.snapshot().size());

    const RgbaPicture picture = decodePng(transparentExportPng(model));
    EXPECT_EQ(picture, cropSnapshot(model.composeSnapshot(0), kExportCrop));
    ASSERT_EQ(picture.width, 96);
    EXPECT_EQ(picture.rgba[3], 0);
    std::size_t opaque = 0;
    for (std::size_t i = 3; i < picture.rgba.size(); i += 4) opaque += picture.rgba[i] == 255;
    EXPECT_GT(opaque, 0u);  // the head picture
    const std::vector<std::uint8_t> animated = scriptAnimationPng(model, {{200, u"bye"}, {100, u""}});
    EXPECT_EQ(animated, scriptAnimationPng(parts(), model.look(), 2, {{200, u"bye"}, {100, u""}}));
    EXPECT_FALSE(animated.empty());

    EXPECT_EQ(model.snapshot(), bmpSnapshot);
    EXPECT_EQ(model.frameIndex(), 0);
    EXPECT_EQ(model.bubbleLine(0), said);
    EXPECT_EQ(events.ended, 0);
    // The model plays on as it would have: its one end reported after its two frames.
    clock_.time += 120;
    (void)model.takeSnapshot();
    clock_.time += 80;
    (void)model.takeSnapshot();
    EXPECT_EQ(events.ended, 1);
}

TEST_F(ExportPicturesTest, SceneMeasuresAndRendersGlyphsAsTheGlyphFontDoes) {
    ASSERT_TRUE(scene_->hasFonts());
    PictureScene& scene = *scene_;
    const int ab = scene.textWidth(u"ab");
    EXPECT_GT(scene.textWidthOf(u"ab", 1), 0);
    EXPECT_LT(scene.textWidthOf(u"ab", 1), ab);
    EXPECT_EQ(scene.textWidthOf(u"ab", 9), ab);
    EXPECT_EQ(scene.textWidth(u"a b") - ab, 5);  // the space is 5 pixels wide
    std::vector<std::uint8_t> pixels;
    int width = 0, height = 0, advance = 0;
    ASSERT_TRUE(scene.renderCharacter(u'W', pixels, width, height, advance));
    EXPECT_EQ(height, 16);
    EXPECT_EQ(pixels.size(), static_cast<std::size_t>(width) * 16 * 4);
    EXPECT_GT(advance, 0);
    bool set = false;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        EXPECT_TRUE(pixels[i] == 0 || pixels[i] == 255);
        EXPECT_EQ(pixels[i], pixels[i + 3]);
        set |= pixels[i] == 255;
    }
    EXPECT_TRUE(set);
    // The widths kept for the last text are those the glyph font lays out, text after text.
    GlyphRaster raster;
    ASSERT_TRUE(raster.open(defaultPictureFonts("").font, defaultPictureFonts("").fallback, kBubbleTextPixels));
    for (const std::u16string text : {u"Hello World", u"abc", u"Hello World", u"\u4f60\u597d x", u""})
        for (int n = -1; n <= static_cast<int>(text.size()) + 2; ++n)
            EXPECT_EQ(scene.textWidthOf(text, n), raster.widthOf(text, n)) << n;
    // A character both faces lack is left out, and takes no width.
    EXPECT_FALSE(scene.renderCharacter(u'\uE123', pixels, width, height, advance));
    EXPECT_EQ(scene.textWidth(u"a\uE123b"), ab);
    // Without fonts the text has no width and only spaces render; the bubble is still composed.
    PictureScene bare(archive_, PictureFonts{"/nonexistent.ttf", "/nonexistent.ttc"});
    EXPECT_FALSE(bare.hasFonts());
    EXPECT_EQ(bare.textWidth(u"ab"), 0);
    EXPECT_FALSE(bare.renderCharacter(u'a', pixels, width, height, advance));
    EXPECT_TRUE(bare.renderCharacter(u' ', pixels, width, height, advance));
    AvatarModel model(AvatarModelParts{&catalogue_, &archive_, &cache_, &clock_, nullptr, &bare});
    model.setRecord(std::make_shared<AvatarRecord>());
    const std::u16string said = u"words";
    ASSERT_TRUE(model.say(&said, 0, 10000));
    ASSERT_TRUE(model.playAction(200, 0, true));
    EXPECT_TRUE(holds(cropSnapshot(model.composeSnapshot(0), kAnimationCrop), kBubbleBlue));
}

}  // namespace
}  // namespace likenex
