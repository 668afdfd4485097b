// The avatar model with a small catalogue and archive of its own: wearing rules, playing and
// the playback clock, the frame store, the speech bubble and the snapshot.
#include "avatar/AvatarModel.h"
#include "avatar/tests/HeadFrame.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ImageKey.h"
#include "test_support/RecordingRenderer.h"
#include "test_support/SpriteSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace likenex {
namespace {

using testing::headFrame;
using testing::RecordingRenderer;
using testing::solidSprite;

constexpr std::array<std::uint8_t, 4> kWhite{255, 255, 255, 255};

struct FakeClock : AvatarClock {
    Tick time = 1000;
    Tick now() const override { return time; }
};

struct FakeEvents : AvatarEvents {
    std::vector<std::uint16_t> ended;
    void actionEnded(std::uint16_t actionId, std::int64_t) override { ended.push_back(actionId); }
};

// Every character is 8 pixels wide; glyphs are 4 by 16 opaque blocks.
struct FakeScene : AvatarScene {
    int bubbles = 0;
    std::vector<std::u16string> texts;
    bool throwInText = false;  // throws something that is no std::exception
    int textWidth(const std::u16string& text) override { return 8 * static_cast<int>(text.size()); }
    int textWidthOf(const std::u16string& text, int count) override {
        return 8 * std::clamp(count, 0, static_cast<int>(text.size()));
    }
    void drawText(Painter&, const std::u16string& text, int, int, Colour) override {
        if (throwInText) throw 42;
        texts.push_back(text);
    }
    void drawBubble(Painter&, int, int, int, bool, int) override { ++bubbles; }
    void composeBubble(AvatarModel&, int, int, int, bool) override { ++bubbles; }
    bool renderCharacter(char16_t, std::vector<std::uint8_t>& pixels, int& width, int& height, int& advance) override {
        width = 4, height = 16, advance = 5;
        pixels.assign(4 * 16 * 4, 0);
        return true;
    }
};

Item item(std::uint16_t id, int category, int outfitKind = 0, int a = 0, int b = 0, int c = 0) {
    Item i;
    i.identifier = id;
    i.category = category;
    i.availability = 1;
    i.outfitKind = outfitKind;
    i.outfitSlot6 = a;
    i.outfitSlot3or5 = b;
    i.outfitSlot4 = c;
    return i;
}

Action action(std::uint16_t id, std::vector<ActionFrame> frames) {
    Action a;
    a.identifier = id;
    a.frames = std::move(frames);
    return a;
}

class AvatarModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        CatalogueTables t;
        t.items = {item(11, 0),
                   item(12, 1),
                   item(21, 2),
                   item(31, 3),
                   item(41, 4),
                   item(51, 5),
                   item(62, 6),
                   item(64, 6),
                   item(61, 6, 1, 62, 31, 41),
                   item(63, 6, 2, 64, 51, 41),
                   item(6050, 6)};
        BodyPart part;
        part.identifier = 7;
        part.bodyLayer = 8;
        part.style = 1;
        t.bodyParts = {part};
        // Action 7 carries three frame pictures: 71 behind in direction 0, 72 always in
        // front (no direction bit), 73 behind in direction 1.
        ActionFrame pictured = headFrame(100, 1);
        pictured.images = {{71, 0, 1, 2, 1u << 0}, {72, 0, 3, 4, 0}, {73, 0, 5, 6, 1u << 1}};
        t.actions = {action(1353, {headFrame(100, 1), headFrame(0, 1), headFrame(100, 1)}),
                     action(4046, {headFrame(100, 1)}),
                     action(5, {headFrame(50, 9)}),
                     action(6, {headFrame(100, 1), headFrame(100, 1)}),
                     action(7, {pictured}),
                     action(4020, {headFrame(100, 1)})};
        const auto bytes = encodeAvatarData(t);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(catalogue_.readCatalogueSection1(*bytes));
        ASSERT_TRUE(catalogue_.readBodyParts(*bytes));
        ASSERT_TRUE(catalogue_.readItems(*bytes));
        // A 2 by 2 opaque head picture in every direction; image 9 has no pictures.
        std::vector<SpriteSource> sprites;
        for (int d = 0; d < 8; ++d) {
            SpriteSource s;
            s.key = makeImageKey(1, 0, 0, d, 0, 0);
            s.width = s.height = 2;
            s.x = 60;
            s.y = 20;
            s.pixels.assign(16, 200);
            sprites.push_back(s);
            for (int number : {71, 72, 73})
                sprites.push_back(solidSprite(makeImageKey(number, 3, 0, d, 0, 0), 1, 1, 0, 0, kWhite));
        }
        sprites.push_back(solidSprite(kSmallShadowKey, 3, 1, 0, 0, kWhite));
        const auto files = encodeAvatarArchive(sprites);
        ASSERT_TRUE(files);
        ASSERT_TRUE(archive_.loadAvatarArchive(files->index, files->data));
        model_ = std::make_unique<AvatarModel>(AvatarModelParts{&catalogue_, &archive_, &cache_, &clock_, &events_,
                                                                &scene_, nullptr, &RecordingRenderer::painter()});
    }
    void TearDown() override {
        model_.reset();
        RecordingRenderer::uninstall();
    }
    bool occupied(int slot) const { return model_->look().items[static_cast<std::size_t>(slot)].occupied; }
    std::int32_t in(int slot) const { return model_->look().items[static_cast<std::size_t>(slot)].item; }
    // Frames as the window shows them: the clock moved on, then the frame drawn.
    void draw(int times = 1) {
        for (int i = 0; i < times; ++i) {
            (void)model_->advanceClock();
            model_->drawAvatar(RecordingRenderer::painter(), 0, 0);
        }
    }
    // The textures drawn since the last call, in order.
    std::vector<TextureHandle> drawn() {
        std::vector<TextureHandle> handles;
        for (const std::string& call : RecordingRenderer::current().calls)
            if (call.rfind("draw ", 0) == 0) handles.push_back(static_cast<TextureHandle>(std::stoul(call.substr(5))));
        RecordingRenderer::current().calls.clear();
        return handles;
    }
    TextureHandle framePicture(std::size_t i) const { return model_->frameStore().framePictures.at(i).texture; }
    TextureHandle composed(int list, std::size_t frame = 0) const {
        return model_->frameStore().pictures[list].at(frame).texture;
    }
    // A white picture of one pixel with its texture.
    static ImageRecord whitePixel() {
        ImageRecord picture;
        picture.width = picture.height = 1;
        picture.texture = makeTexture(RecordingRenderer::painter(), 1, 1, kWhite.data());
        return picture;
    }
    // The shadow that start-up loads into the cache every model shares.
    ImageRecord installShadow() {
        const ImageRecord shadow = whitePixel();
        cache_.setShadowPicture(shadow, std::vector<std::uint8_t>(kWhite.begin(), kWhite.end()));
        return shadow;
    }
    // A record the model is loaded from, as a stored avatar arrives.
    std::shared_ptr<AvatarRecord> loadRecord(const std::function<void(AvatarRecord&)>& fill, bool copy = true) {
        auto record = std::make_shared<AvatarRecord>();
        fill(*record);
        model_->setRecord(record);
        model_->loadFromRecord(copy);
        return record;
    }

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    SpriteCache cache_;
    FakeClock clock_;
    FakeEvents events_;
    FakeScene scene_;
    std::unique_ptr<AvatarModel> model_;
};

TEST_F(AvatarModelTest, OutfitsExpandIntoTheirComponentsAndFreeWhatTheyReplace) {
    model_->wearItem(2, 21, 3);
    model_->wearItem(5, 51, 3);
    model_->wearItem(6, 61, 7);
    EXPECT_EQ(in(6), 62);
    EXPECT_EQ(in(3), 31);
    EXPECT_EQ(in(4), 41);
    EXPECT_EQ(model_->look().items[3].colourId, 7);
    EXPECT_FALSE(occupied(2));
    EXPECT_FALSE(occupied(5));
    // The second kind goes into the skirt slot and frees the trousers.
    model_->wearItem(6, 63, 1);
    EXPECT_EQ(in(6), 64);
    EXPECT_EQ(in(5), 51);
    EXPECT_FALSE(occupied(3));
}

TEST_F(AvatarModelTest, ASinglePieceOverAnOutfitTakesTheOutfitOff) {
    // Wearing an outfit leaves its first component in slot 6, an ordinary item: trousers
    // over it replace only the component trousers.
    model_->wearItem(6, 61, 0);
    model_->wearItem(3, 31, 5);
    EXPECT_EQ(in(6), 62);
    EXPECT_EQ(in(4), 41);
    EXPECT_EQ(model_->look().items[3].colourId, 5);

    // A stored record can hold the outfit itself in slot 6, with its pieces beside it.
    auto storedOutfit = [](int kind) {
        return [kind](AvatarRecord& r) {
            r.items[6] = {kind == 1 ? 61 : 63, 2, true};
            r.items[3] = {31, 2, kind == 1};
            r.items[5] = {51, 2, kind == 2};
            r.items[4] = {41, 2, true};
            r.items[2] = {21, 2, true};
        };
    };
    // A single piece in slots 2..5 takes off slots 6, 3, 4 and 5 first.
    (void)loadRecord(storedOutfit(1));
    ASSERT_EQ(in(6), 61);
    model_->wearItem(5, 51, 9);
    EXPECT_FALSE(occupied(6));
    EXPECT_FALSE(occupied(3));
    EXPECT_FALSE(occupied(4));
    EXPECT_EQ(in(5), 51);
    EXPECT_TRUE(occupied(2)) << "the top is no part of the outfit rule";

    // Anything worn into slot 6 over an outfit of kind 1 frees 6, 3 and 4; of kind 2, 6, 5 and 4.
    (void)loadRecord(storedOutfit(1));
    model_->wearItem(6, 62, 9);
    EXPECT_EQ(in(6), 62);
    EXPECT_FALSE(occupied(3));
    EXPECT_FALSE(occupied(4));
    (void)loadRecord(storedOutfit(2));
    ASSERT_EQ(in(6), 63);
    model_->wearItem(6, 64, 9);
    EXPECT_EQ(in(6), 64);
    EXPECT_FALSE(occupied(5));
    EXPECT_FALSE(occupied(4));
    EXPECT_TRUE(occupied(2));
}

TEST_F(AvatarModelTest, TheCostumeFlagWearsTheCostumeAndClearingItWearsTheRecordAgain) {
    auto record = loadRecord([](AvatarRecord& r) {
        r.costume = true;
        r.items[0] = {11, 1, true};
        r.items[2] = {21, 2, true};
        r.items[5] = {31, 3, true};  // trousers kept in the skirt slot: worn by their category
    });
    EXPECT_EQ(in(6), 6050);
    EXPECT_EQ(model_->look().items[6].colourId, 31);
    model_->wearItem(4, 41, 0);
    // The flag already applied changes nothing when loaded again.
    model_->loadFromRecord(false);
    EXPECT_EQ(in(6), 6050);
    EXPECT_TRUE(occupied(4));

    record->costume = false;
    model_->loadFromRecord(false);
    EXPECT_EQ(in(0), 11);
    EXPECT_EQ(in(2), 21);
    EXPECT_EQ(in(3), 31);
    EXPECT_EQ(model_->look().items[3].colourId, 3);
    EXPECT_FALSE(occupied(5)) << "wearing the trousers took the skirt slot off";
    EXPECT_FALSE(occupied(4)) << "an empty record slot frees the model's";
    EXPECT_FALSE(occupied(6));
    EXPECT_FALSE(occupied(1));
}

TEST_F(AvatarModelTest, HeadwearAndLegwearExcludeEachOther) {
    model_->wearItem(0, 11, 1);
    model_->wearItem(1, 12, 1);
    EXPECT_FALSE(occupied(0));
    EXPECT_TRUE(occupied(1));
    model_->wearItem(0, 11, 1);
    EXPECT_FALSE(occupied(1));
    model_->wearItem(3, 31, 1);
    model_->wearItem(5, 51, 1);
    EXPECT_FALSE(occupied(3));
    model_->wearItem(3, 31, 1);
    EXPECT_FALSE(occupied(5));
    // Unknown items and slots change nothing.
    model_->wearItem(2, 999, 1);
    model_->wearItem(7, 21, 1);
    EXPECT_FALSE(occupied(2));
    model_->setFaceOption(6, 3);
    model_->setFaceOption(7, 3);
    EXPECT_TRUE(occupied(7));
    EXPECT_EQ(in(7), 3);
    EXPECT_FALSE(occupied(6));
    model_->clearItems();
    EXPECT_TRUE(occupied(7)) << "face options stay";
}

TEST_F(AvatarModelTest, TurningAndPlayingInDirections) {
    ASSERT_TRUE(model_->playAction(1353, 7, false));
    model_->turn(-1);
    EXPECT_EQ(model_->direction(), 0);
    const std::size_t composed = model_->frameStore().pictures[0].size();
    ASSERT_EQ(composed, 3u);
    (void)model_->playSpan(0, 0, true);
    EXPECT_TRUE(model_->running());
    EXPECT_FALSE(model_->playAction(1353, 8, false));
    EXPECT_FALSE(model_->running()) << "a refused direction still stops playback";
    EXPECT_EQ(model_->frameStore().pictures[0].size(), composed);
    EXPECT_EQ(model_->direction(), 0);
    EXPECT_FALSE(model_->playAction(999, 1, false));
}

TEST_F(AvatarModelTest, TheClockWaitsForPlaySpan) {
    ASSERT_TRUE(model_->playAction(1353, 0, false));
    clock_.time += 1000;
    draw(3);
    EXPECT_EQ(model_->frameIndex(), 0);
    (void)model_->playSpan(0, 2, true);
    clock_.time += 100;
    draw();
    EXPECT_EQ(model_->frameIndex(), 1);
}

TEST_F(AvatarModelTest, ANonRepeatingActionReportsItsEndOnceAndStaysOnItsLastFrame) {
    ASSERT_TRUE(model_->playAction(6, 0, false));
    (void)model_->playSpan(0, 1, false);
    for (int i = 0; i < 10; ++i) {
        clock_.time += 100;
        draw();
    }
    EXPECT_EQ(events_.ended, std::vector<std::uint16_t>{6});
    EXPECT_EQ(model_->frameIndex(), 1);
    EXPECT_FALSE(model_->running());
    // Playing something else afterwards reports nothing more.
    ASSERT_TRUE(model_->playAction(1353, 0, false));
    EXPECT_EQ(events_.ended.size(), 1u);
}

TEST_F(AvatarModelTest, ARepeatingActionReportsEveryPassAndAZeroDurationFrameAdvancesOnEveryDraw) {
    ASSERT_TRUE(model_->playAction(1353, 0, false));
    (void)model_->playSpan(0, 2, true);
    clock_.time += 100;
    draw();
    EXPECT_EQ(model_->frameIndex(), 1);
    draw();  // the frame of duration 0 does not wait
    EXPECT_EQ(model_->frameIndex(), 2);
    clock_.time += 100;
    draw();
    EXPECT_EQ(model_->frameIndex(), 0);
    for (int pass = 0; pass < 2; ++pass) {
        clock_.time += 100;
        draw(2);
        clock_.time += 100;
        draw();
    }
    EXPECT_EQ(events_.ended, (std::vector<std::uint16_t>{1353, 1353, 1353}));
}

// Nobody needs to draw for the time to go on: a minimised window still hears of an action's
// end when it comes, and is told when to look again.
TEST_F(AvatarModelTest, TheClockRunsWithoutDrawingAndSaysWhenTheFrameNextChanges) {
    EXPECT_EQ(model_->advanceClock(), DueIn::never()) << "nothing plays";
    ASSERT_TRUE(model_->playAction(6, 0, false));
    (void)model_->playSpan(0, 1, false);
    (void)drawn();
    clock_.time += 30;
    EXPECT_EQ(model_->advanceClock(), DueIn::in(70));
    clock_.time += 70;
    EXPECT_EQ(model_->advanceClock(), DueIn::in(100));
    EXPECT_EQ(model_->frameIndex(), 1);
    clock_.time += 250;  // late: one step, the end reported then
    EXPECT_EQ(model_->advanceClock(), DueIn::never()) << "stopped on its last frame";
    EXPECT_EQ(events_.ended, std::vector<std::uint16_t>{6});
    EXPECT_TRUE(drawn().empty()) << "nothing was drawn";

    // A zero-length frame is due at once; the window's pacing spaces such frames out.
    ASSERT_TRUE(model_->playAction(1353, 0, false));
    (void)model_->playSpan(0, 2, true);
    clock_.time += 100;
    EXPECT_EQ(model_->advanceClock(), DueIn::in(0));
    EXPECT_EQ(model_->frameIndex(), 1);
}

TEST_F(AvatarModelTest, TheBubblesEndTheTalkingMouthAndTheExtraPictureAreDueToo) {
    const std::u16string words = u"hello";
    ASSERT_TRUE(model_->say(&words, 0, 1000));
    EXPECT_EQ(model_->advanceClock(), DueIn::in(1000)) << "the bubble goes";
    model_->setExtraPicture(whitePixel());
    clock_.time += 600;
    EXPECT_EQ(model_->advanceClock(), DueIn::in(400));
    clock_.time += 400;
    EXPECT_EQ(model_->advanceClock(), DueIn::in(2001)) << "the extra picture shows once 3000 ms have passed";
    clock_.time += 2001;
    EXPECT_EQ(model_->advanceClock(), DueIn::never());

    const std::u16string twoLines(20, u'a');  // talks for as many toggles as it has letters
    ASSERT_TRUE(model_->say(&twoLines, 0, 100000));
    model_->setTalking(true);
    clock_.time += 200;
    EXPECT_EQ(model_->advanceClock(), DueIn::in(160)) << "the mouth toggled now";
    clock_.time += 100;
    EXPECT_EQ(model_->advanceClock(), DueIn::in(60));
}

TEST_F(AvatarModelTest, TheFinalActionKeepsPlaying) {
    ASSERT_TRUE(model_->playAction(4046, 0, false));
    EXPECT_FALSE(model_->playAction(1353, 0, true));
    EXPECT_TRUE(model_->pendingFinal());
    EXPECT_EQ(model_->action()->identifier, 4046);
}

TEST_F(AvatarModelTest, FrameStoreHoldsMasksCopiesAndItsOwnTexturesOnly) {
    ASSERT_TRUE(model_->playAction(5, 0, false));
    const auto& store = model_->frameStore();
    ASSERT_EQ(store.hitMasks.size(), 1u);
    EXPECT_TRUE(std::all_of(store.hitMasks[0].begin(), store.hitMasks[0].end(), [](std::uint8_t b) { return b == 1; }));
    ASSERT_TRUE(model_->playAction(1353, 0, true));
    ASSERT_EQ(store.copies.size(), 3u);
    EXPECT_EQ(store.copies[0].size(), 128u * 128 * 4);
    // The head's 2 by 2 picture at column 60, rows 20..21 from the top: opaque in the copy,
    // 0 in the mask.
    const std::size_t topLeft = static_cast<std::size_t>(127 - 20) * 128 + 60;
    EXPECT_EQ(store.hitMasks[0][topLeft], 0);
    EXPECT_EQ(store.copies[0][topLeft * 4 + 3], 200);
    EXPECT_EQ(RecordingRenderer::current().live.size(), 6u) << "two pictures per frame";
    model_->clearFrameStore();
    EXPECT_TRUE(RecordingRenderer::current().live.empty());
    EXPECT_TRUE(store.copies.empty());
}

TEST_F(AvatarModelTest, SnapshotOfNothingIsWhiteAndBlendingClips) {
    const std::uint8_t* white = model_->takeSnapshot();
    EXPECT_TRUE(std::all_of(white, white + 256 * 256 * 4, [](std::uint8_t b) { return b == 255; }));
    // A 4 by 2 picture half outside the right edge: nothing wraps to the next row.
    std::vector<std::uint8_t> source(4 * 2 * 4, 0);
    for (int p = 0; p < 8; ++p) {
        source[static_cast<std::size_t>(p) * 4 + 3] = p % 2 ? 0 : 255;  // opaque, transparent, ...
    }
    model_->blendInto(source.data(), 254, 10, 4, 2);
    const auto& s = model_->snapshot();
    auto pixel = [&](int column, int row) { return &s[(static_cast<std::size_t>(row) * 256 + column) * 4]; };
    EXPECT_EQ(pixel(254, 10)[0], 0) << "opaque replaces the white";
    EXPECT_EQ(pixel(255, 10)[0], 255) << "alpha 0 leaves it";
    EXPECT_EQ(pixel(0, 11)[0], 255) << "no wrap into the next row";
    EXPECT_EQ(pixel(1, 11)[0], 255);
    model_->blendInto(source.data(), -3, -1, 4, 2);
    EXPECT_EQ(pixel(1, 0)[0], 255);
    EXPECT_EQ(pixel(0, 0)[0], 255) << "source column 3 (transparent) lands on column 0";
}

TEST_F(AvatarModelTest, SnapshotDrawsTheFrameCopyWhereTheViewWouldAndNothingOnScreen) {
    (void)loadRecord([](AvatarRecord& r) {
        r.names = {u"", u"label"};
        r.skin = -1;  // (no skin table here)
    });
    (void)drawn();
    const std::uint8_t* shot = model_->takeSnapshot();
    EXPECT_TRUE(drawn().empty());
    EXPECT_TRUE(scene_.texts.empty()) << "no name label";
    // The head's picture sits at frame column 60, frame rows 20..21 from the top; the frame
    // is placed at column 104 - 40 and its top at row 241 - 109 counted from the bottom.
    const int column = 104 - 40 + 60, row = 241 - 109 - 20;
    const std::uint8_t* p = shot + (static_cast<std::size_t>(row) * 256 + column) * 4;
    // The picture's bytes are all 200, alpha included, blended over the white.
    EXPECT_EQ(p[0], (200 * 200 + 255 * 55) / 255);
    EXPECT_EQ(p[3], (255 * 55 + 200 * 200) / 255);
    // One row up (nearer the top of the picture) and one column left lies outside the head.
    EXPECT_EQ(p[(256 + 1) * 4 + 0], 255);
}

TEST_F(AvatarModelTest, LoadingFromTheRecordWearsAndPlaysTheStandingAction) {
    auto record = std::make_shared<AvatarRecord>();
    record->items[2] = {21, 6, true};
    record->items[7] = {4, -1, true};
    record->bodyParts[8] = {7, true};
    record->direction = 3;
    record->names = {u"first", u"second"};
    record->x = 200;
    model_->setRecord(record);
    model_->loadFromRecord(true);
    EXPECT_EQ(in(2), 21);
    EXPECT_EQ(model_->look().items[2].category, 2);
    EXPECT_EQ(in(7), 4);
    EXPECT_TRUE(model_->look().bodyParts[8].chosen);
    EXPECT_EQ(model_->look().skin, 4);
    ASSERT_NE(model_->action(), nullptr);
    EXPECT_EQ(model_->action()->identifier, 1353);
    EXPECT_EQ(model_->direction(), 3);
    EXPECT_EQ(model_->caption(), u"second");
    EXPECT_EQ(model_->placement()[0], 32);
}

TEST_F(AvatarModelTest, PlaybackBubbleAndExtraPictureRunOnAcrossTheTickWrap) {
    clock_.time = 0xFFFFFFFFu - 49;  // 50 ms before the tick count wraps to 0
    ASSERT_TRUE(model_->playAction(1353, 0, false));
    (void)model_->playSpan(0, 2, true);
    const std::u16string words = u"hello";
    ASSERT_TRUE(model_->say(&words, 0, 1000));
    const ImageRecord extra = whitePixel();
    model_->setExtraPicture(extra);

    clock_.time += 99;  // now 49 after the wrap
    draw();
    EXPECT_EQ(model_->frameIndex(), 0);
    clock_.time += 1;
    draw();
    EXPECT_EQ(model_->frameIndex(), 1) << "100 ms across the wrap";
    EXPECT_EQ(scene_.bubbles, 2);
    clock_.time += 900;  // 1000 ms after saying
    draw();
    EXPECT_EQ(scene_.bubbles, 2) << "the bubble's time is over";
    (void)drawn();
    clock_.time += 2000;  // 3000 ms after setting the extra picture: not yet more
    draw();
    auto handles = drawn();
    EXPECT_EQ(std::count(handles.begin(), handles.end(), extra.texture), 0);
    clock_.time += 1;
    draw();
    handles = drawn();
    EXPECT_EQ(std::count(handles.begin(), handles.end(), extra.texture), 1);
}

TEST_F(AvatarModelTest, TalkingShowsTheSecondPictureOnEveryOtherToggleAcrossTheWrap) {
    ASSERT_TRUE(model_->playAction(1353, 0, false));
    const std::u16string twoLines(20, u'a');  // talks for as many toggles as it has letters
    ASSERT_TRUE(model_->say(&twoLines, 0, 100000));
    clock_.time = 0xFFFFFFFFu - 100;
    draw();  // toggles: far more than 160 ms since the last toggle
    (void)drawn();
    model_->setTalking(true);
    std::vector<TextureHandle> shown;
    for (int i = 0; i < 4; ++i) {
        clock_.time += 160;
        draw();
        shown.push_back(drawn().back());
    }
    clock_.time += 159;  // too soon for the next toggle
    draw();
    shown.push_back(drawn().back());
    const TextureHandle plain = composed(0), talking = composed(1);
    EXPECT_EQ(shown, (std::vector<TextureHandle>{plain, talking, plain, talking, talking}));
}

TEST_F(AvatarModelTest, FramePicturesLieBehindOrInFrontByTheirDirectionBit) {
    const ImageRecord shadow = installShadow();

    ASSERT_TRUE(model_->playAction(7, 0, false));
    (void)drawn();
    model_->drawAvatar(RecordingRenderer::painter(), 10, 20);
    // Direction 0: 71 behind, the shadow, the figure, then 72 (no bit) and 73 in front.
    EXPECT_EQ(drawn(), (std::vector<TextureHandle>{framePicture(0), shadow.texture, composed(0), framePicture(1),
                                                   framePicture(2)}));
    ASSERT_TRUE(model_->playAction(7, 1, false));
    model_->drawAvatar(RecordingRenderer::painter(), 10, 20);
    EXPECT_EQ(drawn(), (std::vector<TextureHandle>{framePicture(2), shadow.texture, composed(0), framePicture(0),
                                                   framePicture(1)}));
}

TEST_F(AvatarModelTest, TheShadowIsChosenByTheRecordAndAStoredHiddenFigureDrawsNothing) {
    const ImageRecord shadow = installShadow();
    auto record = loadRecord([](AvatarRecord&) {});
    (void)drawn();
    draw();
    EXPECT_EQ(drawn(), (std::vector<TextureHandle>{shadow.texture, composed(0)}));

    record->shadowState = 1, record->shadowLevel = 4999, record->mode = -1, record->number = -1;
    draw();
    auto handles = drawn();
    ASSERT_EQ(handles.size(), 2u);
    EXPECT_NE(handles[0], shadow.texture);
    EXPECT_EQ(RecordingRenderer::current().live.at(handles[0]).width, 3) << "the picture of key 2050000000";
    record->shadowLevel = 5000;
    draw();
    EXPECT_EQ(drawn().front(), shadow.texture);

    record->replaceStanding = true;
    draw();
    EXPECT_EQ(drawn(), (std::vector<TextureHandle>{composed(0)})) << "no shadow under a replaced standing action";

    // A stored avatar (number >= 0) whose standing action is 9999 draws nothing, yet its
    // label is drawn and its clock runs.
    record->number = 5;
    record->standingAction = 9999;
    record->names = {u"", u"shown"};
    model_->loadFromRecord(false);
    (void)model_->playSpan(0, 0, true);
    scene_.texts.clear();
    clock_.time += 100;
    draw();
    EXPECT_TRUE(drawn().empty());
    EXPECT_EQ(scene_.texts, std::vector<std::u16string>{u"shown"});
    EXPECT_EQ(events_.ended.size(), 1u);
}

TEST_F(AvatarModelTest, DrawingSwallowsEveryKindOfException) {
    (void)loadRecord([](AvatarRecord& r) { r.names = {u"", u"name"}; });
    scene_.throwInText = true;
    EXPECT_NO_THROW(draw());
    const std::u16string words = u"hi";
    ASSERT_TRUE(model_->say(&words, 0, 1000));
    EXPECT_NO_THROW(draw());
}

TEST_F(AvatarModelTest, StoppingReportsAnInterruptedActionOnce) {
    ASSERT_TRUE(model_->playAction(6, 0, false));
    (void)model_->playSpan(0, 1, false);
    clock_.time += 100;
    draw();
    ASSERT_EQ(model_->frameIndex(), 1);
    model_->stopPlayback(true);
    EXPECT_EQ(events_.ended, std::vector<std::uint16_t>{6});
    EXPECT_EQ(model_->frameIndex(), 0);
    EXPECT_FALSE(model_->running());
    model_->stopPlayback(false);
    EXPECT_EQ(events_.ended.size(), 1u) << "the notice went with the first stop";
    // A repeating span leaves nothing pending.
    (void)model_->playSpan(0, 1, true);
    model_->stopPlayback(false);
    EXPECT_EQ(events_.ended.size(), 1u);
    // Playing another action reports the pending one first.
    (void)model_->playSpan(0, 1, false);
    ASSERT_TRUE(model_->playAction(5, 0, false));
    EXPECT_EQ(events_.ended, (std::vector<std::uint16_t>{6, 6}));

    ASSERT_TRUE(model_->playAction(4046, 0, false));
    EXPECT_FALSE(model_->pendingFinal());
    model_->stopPlayback(false);
    EXPECT_TRUE(model_->pendingFinal());
}

TEST_F(AvatarModelTest, PlaySpanChecksItsFramesBeforeStarting) {
    EXPECT_EQ(model_->playSpan(0, 0, false), 0) << "nothing loaded";
    EXPECT_FALSE(model_->running());
    ASSERT_TRUE(model_->playAction(1353, 0, false));
    EXPECT_EQ(model_->playSpan(4, 0, false), 3);
    EXPECT_EQ(model_->playSpan(0, 4, false), 3);
    EXPECT_FALSE(model_->running());
    model_->stopPlayback(false);
    EXPECT_TRUE(events_.ended.empty()) << "a refused span leaves nothing pending";

    clock_.time += 100;
    (void)model_->playSpan(3, 3, true);  // the frame count itself passes the check
    EXPECT_TRUE(model_->running());
    EXPECT_EQ(model_->frameIndex(), 2);
    model_->stopPlayback(true);
    EXPECT_EQ(model_->playSpan(-1, 0, false), 3);
    EXPECT_TRUE(model_->running()) << "a negative first frame only starts the clock";
    EXPECT_EQ(model_->frameIndex(), 0);
    model_->stopPlayback(false);
    EXPECT_TRUE(events_.ended.empty());
    (void)model_->playSpan(1, 2, false);
    EXPECT_EQ(model_->frameIndex(), 1);
    clock_.time += 100;
    draw(2);
    EXPECT_EQ(model_->frameIndex(), 2) << "the span runs to the action's end";
}

TEST_F(AvatarModelTest, ReplayPlaysTheReplacementForAStandingActionReplaced) {
    auto record = loadRecord([](AvatarRecord& r) { r.replaceStanding = true; });
    ASSERT_NE(model_->action(), nullptr);
    EXPECT_EQ(model_->action()->identifier, 4020);
    ASSERT_TRUE(model_->playAction(6, 2, false));
    model_->replay(5);
    EXPECT_EQ(model_->action()->identifier, 4020);
    EXPECT_EQ(model_->direction(), 5);
    record->replaceStanding = false;
    ASSERT_TRUE(model_->playAction(6, 2, false));
    model_->replay(4);
    EXPECT_EQ(model_->action()->identifier, 6);
    EXPECT_EQ(model_->direction(), 4);
}

}  // namespace
}  // namespace likenex
