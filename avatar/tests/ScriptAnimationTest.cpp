// The script animation over a small catalogue of its own: its timeline against the script,
// its pictures against the snapshots of a model posed as the editor poses one, and what it
// leaves alone; the side-effect-free snapshot and the crop beside it.
#include "avatar/ScriptAnimation.h"
#include "avatar/tests/HeadFrame.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ImageKey.h"
#include "test_support/RecordingRenderer.h"
#include "test_support/SpriteSources.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace likenex {
namespace {

using testing::headFrame;
using testing::RecordingRenderer;
using testing::solidSprite;

struct FakeClock : AvatarClock {
    Tick time = 5000;
    Tick now() const override { return time; }
};

struct FakeEvents : AvatarEvents {
    std::vector<std::uint16_t> ended;
    void actionEnded(std::uint16_t actionId, std::int64_t) override { ended.push_back(actionId); }
};

// Characters 8 pixels wide, glyphs opaque black blocks; the bubble an opaque grey block.
struct FakeScene : AvatarScene {
    std::size_t longestMeasured = 0;
    int textWidth(const std::u16string& text) override {
        longestMeasured = std::max(longestMeasured, text.size());
        return 8 * static_cast<int>(text.size());
    }
    int textWidthOf(const std::u16string& text, int count) override {
        return 8 * std::clamp(count, 0, static_cast<int>(text.size()));
    }
    void drawText(Painter&, const std::u16string&, int, int, Colour) override {}
    void drawBubble(Painter&, int, int, int, bool, int) override {}
    void composeBubble(AvatarModel& model, int x, int y, int width, bool) override {
        const std::vector<std::uint8_t> block(static_cast<std::size_t>(2 * width + 8) * 20 * 4, 128);
        model.blendInto(block.data(), x + 40, 240 - y - 60, 2 * width + 8, 20);
    }
    bool renderCharacter(char16_t, std::vector<std::uint8_t>& pixels, int& width, int& height, int& advance) override {
        width = 4, height = 8, advance = 6;
        pixels.assign(4 * 8 * 4, 0);
        for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
        return true;
    }
};

Action action(std::uint16_t id, std::vector<ActionFrame> frames) {
    Action a;
    a.identifier = id;
    a.frames = std::move(frames);
    return a;
}

constexpr std::uint16_t kWalk = 100;     // three frames: 100 ms, 0 ms, 200 ms
constexpr std::uint16_t kWave = 200;     // one frame of 300 ms
constexpr std::uint16_t kLong = 300;     // one frame of 12000 ms
constexpr std::uint16_t kEmpty = 400;    // no frames
constexpr std::uint16_t kStrange = 500;  // a negative and an overlong duration
constexpr std::uint16_t kMissing = 999;

class ScriptAnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        CatalogueTables t;
        t.actions = {action(kStandingAction, {headFrame(100, 1)}),
                     action(kWalk, {headFrame(100, 1), headFrame(0, 2), headFrame(200, 3)}),
                     action(kWave, {headFrame(300, 4)}),
                     action(kLong, {headFrame(12000, 2)}),
                     action(kEmpty, {}),
                     action(kStrange, {headFrame(-5, 1), headFrame(70000, 2)}),
                     action(kFinalAction, {headFrame(50, 3)})};
        const auto bytes = encodeAvatarData(t);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(catalogue_.readCatalogueSection1(*bytes));
        ASSERT_TRUE(catalogue_.readBodyParts(*bytes));
        ASSERT_TRUE(catalogue_.readItems(*bytes));
        // Head pictures of 16 by 16 in a colour of their own, in every direction.
        std::vector<SpriteSource> sprites;
        for (int d = 0; d < 8; ++d)
            for (int n = 1; n <= 4; ++n)
                sprites.push_back(
                    solidSprite(makeImageKey(n, 0, 0, d, 0, 0), 16, 16, 50, 20,
                                std::array<std::uint8_t, 4>{std::uint8_t(n * 50), 20, std::uint8_t(d * 30), 255}));
        const auto files = encodeAvatarArchive(sprites);
        ASSERT_TRUE(files);
        ASSERT_TRUE(archive_.loadAvatarArchive(files->index, files->data));
    }
    void TearDown() override { RecordingRenderer::uninstall(); }
    AvatarModelParts parts() {
        return {&catalogue_, &archive_, &cache_, &clock_, &events_, &scene_, nullptr, &RecordingRenderer::painter()};
    }
    ScriptAnimation animation(std::vector<ScriptStep> script, int direction = 3) {
        return ScriptAnimation(parts(), AvatarLook{}, direction, std::move(script));
    }
    std::vector<RgbaPicture> frames(ScriptAnimation& a, ScriptAnimation::Background background) {
        std::vector<RgbaPicture> out;
        a.render(kAnimationCrop, background, [&](const RgbaPicture& p, const AnimationTiming&) { out.push_back(p); });
        return out;
    }
    // A model posed as the editor poses one when a step starts: its caption said, its action
    // played from the first frame, then moved on to `frame` as the clock would.
    std::unique_ptr<AvatarModel> editorModel(const ScriptStep& step, int direction, int frame = 0) {
        auto model = std::make_unique<AvatarModel>(parts());
        auto record = std::make_shared<AvatarRecord>();
        record->direction = direction;
        model->setRecord(record);
        EXPECT_TRUE(model->say(&step.caption, 0, 10000));
        EXPECT_TRUE(model->playAction(step.action, direction, true));
        (void)model->playSpan(frame, frame, false);
        return model;
    }
    static std::vector<std::uint32_t> durations(const ScriptAnimation& a) {
        std::vector<std::uint32_t> out;
        for (const AnimationTiming& t : a.timeline()) out.push_back(t.durationMs);
        return out;
    }

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    SpriteCache cache_;
    FakeClock clock_;
    FakeEvents events_;
    FakeScene scene_;
};

TEST_F(ScriptAnimationTest, TimelineHoldsEveryFrameForItsDurationWithThePauseAfterEachStep) {
    ScriptAnimation a = animation({{kWalk, u"hi"}, {kWave, u""}, {kWalk, u""}});
    // A frame of 0 ms still shows for one paint; each step's last frame is held 500 ms more.
    EXPECT_EQ(durations(a), (std::vector<std::uint32_t>{100, 20, 700, 800, 100, 20, 700}));
    std::uint32_t start = 0;
    for (const AnimationTiming& t : a.timeline()) {
        EXPECT_EQ(t.startMs, start);
        start += t.durationMs;
    }
    const std::vector<std::pair<std::size_t, int>> expected{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {2, 0}, {2, 1}, {2, 2}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(a.timeline()[i].step, expected[i].first);
        EXPECT_EQ(a.timeline()[i].actionFrame, expected[i].second);
    }
    EXPECT_EQ(frames(a, ScriptAnimation::Background::White).size(), a.timeline().size());
}

TEST_F(ScriptAnimationTest, StepsTheEditorCannotFinishEndOrLeaveOutTheRest) {
    // An action the catalogue lacks is left out, as the editor leaves it out of a loaded script.
    EXPECT_EQ(durations(animation({{kMissing, u"x"}, {kWave, u""}})), (std::vector<std::uint32_t>{800}));
    // After the final action, and after an action without frames, no end is ever reported.
    EXPECT_EQ(durations(animation({{kWave, u""}, {kFinalAction, u""}, {kWave, u""}})),
              (std::vector<std::uint32_t>{800, 550}));
    EXPECT_EQ(durations(animation({{kWave, u""}, {kEmpty, u""}, {kWave, u""}})), (std::vector<std::uint32_t>{800}));
    EXPECT_TRUE(animation({}).timeline().empty());
    // Negative and overlong durations are held for the longest delay a frame can carry.
    EXPECT_EQ(durations(animation({{kStrange, u""}})),
              (std::vector<std::uint32_t>{kLongestFrameMs, kLongestFrameMs + kStepPauseMs}));
    // A script of any length gives a bounded number of frames.
    EXPECT_EQ(animation(std::vector<ScriptStep>(1000, {kWalk, u""})).timeline().size(), kMostAnimationFrames);
}

TEST_F(ScriptAnimationTest, OverlongCaptionsAreCutBeforeTheyAreMeasured) {
    ScriptAnimation a = animation({{kWave, std::u16string(100000, u'w')}});
    EXPECT_EQ(frames(a, ScriptAnimation::Background::White).size(), 1u);
    EXPECT_EQ(scene_.longestMeasured, kLongestCaption);
}

TEST_F(ScriptAnimationTest, CaptionRunningOutInsideAFrameCutsItInTwo) {
    ScriptAnimation a = animation({{kLong, u"hello"}, {kLong, u""}});
    EXPECT_EQ(durations(a), (std::vector<std::uint32_t>{10000, 2500, 12500}));
    const auto pictures = frames(a, ScriptAnimation::Background::White);
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_NE(pictures[0], pictures[1]);  // the bubble is gone in the second part
    EXPECT_EQ(pictures[1], pictures[2]);
    // Without a caption nothing changes and the frame stays whole.
    EXPECT_EQ(durations(animation({{kLong, u""}})), (std::vector<std::uint32_t>{12500}));
}

TEST_F(ScriptAnimationTest, EveryFrameEqualsTheSnapshotOfTheEditorsModelAtThatFrame) {
    const std::vector<ScriptStep> script{{kWalk, u"hi there"}, {kWave, u"bye"}};
    ScriptAnimation a = animation(script, 3);
    const auto pictures = frames(a, ScriptAnimation::Background::White);
    ASSERT_EQ(pictures.size(), 4u);
    // The first frame is the snapshot the export takes of the first step.
    auto first = editorModel(script[0], 3);
    const std::uint8_t* snapshot = first->takeSnapshot();
    const RgbaPicture expected =
        cropSnapshot(std::vector<std::uint8_t>(snapshot, snapshot + first->snapshot().size()), kAnimationCrop);
    EXPECT_EQ(pictures[0], expected);
    // The bubble is there: the crop holds pixels of the glyphs (opaque black).
    bool glyph = false;
    for (std::size_t i = 0; i < expected.rgba.size(); i += 4)
        glyph |= expected.rgba[i] == 0 && expected.rgba[i + 1] == 0 && expected.rgba[i + 2] == 0;
    EXPECT_TRUE(glyph);
    for (int f = 1; f < 3; ++f) {
        clock_.time += 100;  // within the caption's 10000 ms
        auto posed = editorModel(script[0], 3, f);
        EXPECT_EQ(pictures[static_cast<std::size_t>(f)], cropSnapshot(posed->composeSnapshot(255), kAnimationCrop))
            << "frame " << f;
    }
    auto second = editorModel(script[1], 3);
    EXPECT_EQ(pictures[3], cropSnapshot(second->composeSnapshot(255), kAnimationCrop));
}

TEST_F(ScriptAnimationTest, TransparentFramesLeaveTheBackgroundClear) {
    const std::vector<ScriptStep> script{{kWave, u"hey"}};
    ScriptAnimation a = animation(script, 0);
    const auto pictures = frames(a, ScriptAnimation::Background::Transparent);
    ASSERT_EQ(pictures.size(), 1u);
    auto posed = editorModel(script[0], 0);
    EXPECT_EQ(pictures[0], cropSnapshot(posed->composeSnapshot(0), kAnimationCrop));
    // The corner is background; the head picture is opaque.
    EXPECT_EQ(pictures[0].rgba[3], 0);
    std::size_t solid = 0;
    for (std::size_t i = 3; i < pictures[0].rgba.size(); i += 4) solid += pictures[0].rgba[i] == 255;
    EXPECT_GE(solid, 16u * 16u);
}

TEST_F(ScriptAnimationTest, PrivateModelSendsNothingAndLeavesTheEditorsModelAsItWas) {
    AvatarModel editor(parts());
    auto record = std::make_shared<AvatarRecord>();
    editor.setRecord(record);
    ASSERT_TRUE(editor.playAction(kWalk, 2, true));
    (void)editor.playSpan(0, 2, false);
    const std::u16string said = u"mine";
    ASSERT_TRUE(editor.say(&said, 0, 3000));
    clock_.time += 150;
    (void)editor.takeSnapshot();  // moves to frame 1
    const std::vector<std::uint8_t> snapshotBefore = editor.snapshot();
    const int frameBefore = editor.frameIndex();
    const std::size_t texturesBefore = RecordingRenderer::current().live.size();

    ScriptAnimation a = animation({{kWave, u"other words"}, {kFinalAction, u"end"}}, 5);
    EXPECT_EQ(frames(a, ScriptAnimation::Background::White).size(), 2u);

    EXPECT_TRUE(events_.ended.empty());
    EXPECT_EQ(clock_.time, Tick{5150});
    EXPECT_EQ(editor.bubbleDuration(), 3000);  // the editor's own `say` set it
    EXPECT_EQ(editor.frameIndex(), frameBefore);
    EXPECT_TRUE(editor.running());
    EXPECT_EQ(editor.action()->identifier, kWalk);
    EXPECT_EQ(editor.direction(), 2);
    EXPECT_EQ(editor.bubbleLine(0), said);
    EXPECT_EQ(editor.snapshot(), snapshotBefore);
    // The private model's composed pictures were released with it.
    EXPECT_EQ(RecordingRenderer::current().live.size(), texturesBefore);
    // The editor's model still plays on and reports its own end, once.
    clock_.time += 100;
    (void)editor.takeSnapshot();
    clock_.time += 200;
    (void)editor.takeSnapshot();
    EXPECT_EQ(events_.ended, (std::vector<std::uint16_t>{kWalk}));
}

TEST_F(ScriptAnimationTest, ComposedSnapshotMovesNothingAndKeepsTheTakenOne) {
    AvatarModel model(parts());
    model.setRecord(std::make_shared<AvatarRecord>());
    // Nothing loaded: only the background.
    EXPECT_EQ(model.composeSnapshot(0), std::vector<std::uint8_t>(256 * 256 * 4, 0));
    ASSERT_TRUE(model.playAction(kWalk, 1, true));
    (void)model.playSpan(0, 2, false);
    const std::u16string text = u"a";
    ASSERT_TRUE(model.say(&text, 0, 10000));
    clock_.time += 100;  // the first frame's time is up
    const std::vector<std::uint8_t> white = model.composeSnapshot(255);
    const std::vector<std::uint8_t> clear = model.composeSnapshot(0);
    EXPECT_EQ(model.frameIndex(), 0);
    EXPECT_TRUE(model.snapshot().empty());
    // takeSnapshot draws the same picture on white, then moves the clock.
    const std::uint8_t* taken = model.takeSnapshot();
    EXPECT_EQ(std::vector<std::uint8_t>(taken, taken + model.snapshot().size()), white);
    EXPECT_EQ(model.frameIndex(), 1);
    const std::vector<std::uint8_t> kept = model.snapshot();
    (void)model.composeSnapshot(0);
    EXPECT_EQ(model.snapshot(), kept);
    // Opaque pixels are the same on both backgrounds; the background differs.
    std::size_t same = 0;
    for (std::size_t i = 0; i < white.size(); i += 4)
        if (clear[i + 3] == 255) same += std::equal(&white[i], &white[i] + 4, &clear[i]);
    EXPECT_GT(same, 0u);
    EXPECT_EQ(clear[3], 0);
    EXPECT_EQ(white[3], 255);
    EXPECT_TRUE(events_.ended.empty());
}

TEST(SnapshotCrop, ExportCropTakesRows121DownTo26AndColumns80To175AsRgba) {
    std::vector<std::uint8_t> snapshot(256 * 256 * 4);
    for (std::size_t p = 0; p < 256 * 256; ++p) {
        snapshot[p * 4] = static_cast<std::uint8_t>(p % 256);      // blue: column
        snapshot[p * 4 + 1] = static_cast<std::uint8_t>(p / 256);  // green: row
        snapshot[p * 4 + 2] = 7;
        snapshot[p * 4 + 3] = 200;
    }
    const RgbaPicture out = cropSnapshot(snapshot, kExportCrop);
    ASSERT_EQ(out.width, 96);
    ASSERT_EQ(out.height, 96);
    auto at = [&](int row, int column) { return &out.rgba[(static_cast<std::size_t>(row) * 96 + column) * 4]; };
    EXPECT_EQ(at(0, 0)[0], 7);
    EXPECT_EQ(at(0, 0)[1], 121);
    EXPECT_EQ(at(0, 0)[2], 80);
    EXPECT_EQ(at(0, 0)[3], 200);
    EXPECT_EQ(at(95, 95)[1], 26);
    EXPECT_EQ(at(95, 95)[2], 175);
    // Parts outside the snapshot, and a buffer of the wrong size, give transparent pixels.
    const RgbaPicture edge = cropSnapshot(snapshot, SnapshotCrop{250, 260, 10, 10});
    EXPECT_EQ(edge.rgba[3], 0);                       // row 260
    EXPECT_EQ(edge.rgba[(5 * 10 + 9) * 4 + 3], 0);    // column 259
    EXPECT_EQ(edge.rgba[(5 * 10 + 0) * 4 + 3], 200);  // row 255, column 250
    EXPECT_EQ(cropSnapshot(std::vector<std::uint8_t>(10), kExportCrop).rgba, std::vector<std::uint8_t>(96 * 96 * 4, 0));
    EXPECT_TRUE(cropSnapshot(snapshot, SnapshotCrop{0, 0, 0, 5}).rgba.empty());
}

}  // namespace
}  // namespace likenex
