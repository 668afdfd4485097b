// likenex-data render on a small program directory: the frame, the talking picture, the
// sheet, the snapshot and the export land where the editor draws them.
#include "catalogue/AvatarArchive.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ColourTable.h"
#include "catalogue/ImageKey.h"
#include "net/AvatarCode.h"
#include "test_support/SpriteSources.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/Png.h"
#include "tools/likenex-data/RenderCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace likenex {
namespace {

namespace fs = std::filesystem;
using testing::solidSprite;

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("likenex-render-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "data");
        CatalogueTables t;
        Action a;
        a.identifier = 7;
        for (int n : {1, 3}) {
            ActionFrame f;
            f.duration = 100;
            f.layers[0].imageNumber = n;
            f.layers[0].x = 104;
            f.layers[0].y = 109;
            f.layers[2].imageNumber = 1;
            f.layers[3].imageNumber = 2;
            a.frames.push_back(f);
        }
        Action last = a;  // once loaded, a model plays nothing else
        last.identifier = 4046;
        t.actions = {a, last};
        LayerOption mouth;
        mouth.faceLayer = 2;
        mouth.optionNumber = 4;
        mouth.availability = 1;
        t.layerOptions = {mouth};
        Item hat;
        hat.identifier = 5;
        hat.category = 0;
        hat.availability = 1;
        // An outfit of kind 1 whose first component (61) is drawn on body layer 3.
        auto item = [](std::uint16_t id, int category, int kind = 0) {
            Item i;
            i.identifier = id;
            i.category = category;
            i.availability = 1;
            i.outfitKind = kind;
            return i;
        };
        Item outfit = item(60, 6, 1);
        outfit.outfitSlot6 = 61;
        outfit.outfitSlot3or5 = 31;
        outfit.outfitSlot4 = 41;
        t.items = {hat, outfit, item(61, 6), item(31, 3), item(41, 4)};
        ASSERT_TRUE(writeAvatarData(dir_.string(), t));
        std::vector<SpriteSource> sprites;
        for (int d = 0; d < 8; ++d) {
            sprites.push_back(solidSprite(makeImageKey(1, 0, 0, d, 0, 0), 2, 2, 60, 20, {0, 0, 255, 255}));  // red head
            sprites.push_back(solidSprite(makeImageKey(5, 1, 0, d, 0, 1), 2, 1, 60, 19, {255, 0, 0, 255}));  // blue hat
            sprites.push_back(
                solidSprite(makeImageKey(4, 0, 2, d, 0, 0), 1, 1, 61, 21, {0, 255, 0, 255}));  // green mouth
            sprites.push_back(solidSprite(makeImageKey(4, 0, 2, d, 1, 0), 1, 1, 60, 21, {0, 255, 0, 255}));  // talking
            sprites.push_back(
                solidSprite(makeImageKey(61, 1, 3, d, 6, 2), 1, 1, 70, 50, {0, 255, 255, 255}));  // yellow jacket
        }
        sprites.push_back(solidSprite(1050000000, 4, 2, 10, 120, {0, 0, 0, 255}));
        ASSERT_TRUE(writeAvatarArchive(dir_.string(), sprites));
        // No skin table here: the body is drawn as stored (skin -1).
        write("avatar.json", R"({"items": [{"item": 5, "colour": -1}, null, null, null, null, null, null, null,
                                           {"item": 4}], "skin": -1})");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
    int render(std::vector<std::string> extra, const std::string& action = "7") {
        Arguments args = {"render",      dir_.string(), "--avatar", (dir_ / "avatar.json").string(), "--action", action,
                          "--direction", "2",           "-o",       (dir_ / "out.png").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::ostringstream out, err;
        const int code = runLikenexData(args, out, err);
        error_ = err.str();
        return code;
    }
    RgbaPicture out() { return readPng((dir_ / "out.png").string()); }
    static std::array<int, 4> at(const RgbaPicture& p, int x, int y) {
        const std::size_t i = (static_cast<std::size_t>(y) * p.width + x) * 4;
        return {p.rgba[i], p.rgba[i + 1], p.rgba[i + 2], p.rgba[i + 3]};
    }

    fs::path dir_;
    std::string error_;
};

TEST_F(RenderCommandTest, FramesShowWhatIsWornAndTheTalkingPictureDiffersOnlyInTheFace) {
    ASSERT_EQ(render({}), 0) << error_;
    RgbaPicture frame = out();
    ASSERT_EQ(frame.width, 128);
    EXPECT_EQ(at(frame, 60, 19), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(at(frame, 60, 20), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(at(frame, 61, 21), (std::array<int, 4>{0, 255, 0, 255}));
    EXPECT_EQ(at(frame, 60, 21), (std::array<int, 4>{255, 0, 0, 255}));
    ASSERT_EQ(render({"--variant", "1"}), 0) << error_;
    RgbaPicture talking = out();
    EXPECT_EQ(at(talking, 60, 21), (std::array<int, 4>{0, 255, 0, 255}));
    EXPECT_EQ(at(talking, 61, 21), (std::array<int, 4>{255, 0, 0, 255}));
    // The head-less frame leaves out the head group: head, face and hat.
    ASSERT_EQ(render({"--frame", "1"}), 0) << error_;
    EXPECT_EQ(at(out(), 60, 19)[3], 0);
    EXPECT_EQ(render({"--frame", "2"}), 1);
}

TEST_F(RenderCommandTest, SheetHasEveryFrameInEveryDirection) {
    ASSERT_EQ(render({"--sheet"}), 0) << error_;
    RgbaPicture sheet = out();
    EXPECT_EQ(sheet.width, 2 * 128);
    EXPECT_EQ(sheet.height, 8 * 128);
    for (int d = 0; d < 8; ++d) EXPECT_EQ(at(sheet, 60, d * 128 + 20)[0], 255) << d;
    EXPECT_EQ(render({"--sheet", "--snapshot"}), 1);
}

TEST_F(RenderCommandTest, SnapshotAndExportPlaceTheFrameAsTheProgramDoes) {
    ASSERT_EQ(render({"--snapshot"}), 0) << error_;
    RgbaPicture snapshot = out();
    ASSERT_EQ(snapshot.width, 256);
    // Frame column 60 lands on column 104 - 40 + 60; frame row 20 from the top on the
    // row 241 - 109 - 20 counted from the bottom.
    const int column = 124, row = 255 - (241 - 109 - 20);
    EXPECT_EQ(at(snapshot, column, row), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(at(snapshot, 0, 0), (std::array<int, 4>{255, 255, 255, 255}));
    // The shadow: its x + 62 and 139 - its y - its height from the bottom.
    EXPECT_EQ(at(snapshot, 72, 255 - (139 - 120 - 2 + 1)), (std::array<int, 4>{0, 0, 0, 255}));
    ASSERT_EQ(render({"--export"}), 0) << error_;
    RgbaPicture exported = out();
    ASSERT_EQ(exported.width, 96);
    EXPECT_EQ(at(exported, column - 80, row - (255 - 121)), (std::array<int, 4>{255, 0, 0, 255}));
}

TEST(AvatarDescription, RefusesWhatItDoesNotKnow) {
    EXPECT_THROW((void)readAvatarDescription(R"({"hat": 3})", "a.json"), ToolError);
    EXPECT_THROW(
        (void)readAvatarDescription(R"({"items": [null,null,null,null,null,null,null,null,null,null]})", "a.json"),
        ToolError);
    EXPECT_THROW((void)readAvatarDescription(R"({"bodyParts": ["puppy"]})", "a.json"), ToolError);
    EXPECT_THROW((void)readAvatarDescription(R"([1])", "a.json"), ToolError);
    EXPECT_THROW((void)readAvatarDescription(R"({"items": [], "slots": []})", "a.json"), ToolError);
    const AvatarDescription d =
        readAvatarDescription(R"({"items": [null, {"item": 3, "colour": 2}], "skin": 9})", "a.json");
    const AvatarRecord& r = d.record;
    EXPECT_FALSE(d.storedSlots);
    EXPECT_FALSE(r.items[0].occupied);
    EXPECT_TRUE(r.items[1].occupied);
    EXPECT_EQ(r.items[1].colourId, 2);
    EXPECT_EQ(r.skin, 9);
    EXPECT_EQ(readAvatarDescription("{}", "a.json").record.skin, 4);
    const AvatarDescription stored = readAvatarDescription(R"({"slots": [null, {"item": 3, "colour": 2}]})", "a.json");
    EXPECT_TRUE(stored.storedSlots);
    EXPECT_EQ(stored.record.items[1].item, 3);
}

TEST_F(RenderCommandTest, ItemsAreWornAsInTheEditorAndSlotsAreTakenAsStored) {
    // Worn in slot 6, the outfit is its components: the jacket (61) shows.
    write("avatar.json", R"({"items": [null, null, null, null, null, null, {"item": 60, "colour": -1}], "skin": -1})");
    ASSERT_EQ(render({}), 0) << error_;
    const int row = 50;  // in the upright picture a sprite one row high lies on row y
    EXPECT_EQ(at(out(), 70, row), (std::array<int, 4>{255, 255, 0, 255}));
    // A stored record holding the outfit itself in slot 6 draws the outfit's own (absent) pictures.
    write("avatar.json", R"({"slots": [null, null, null, null, null, null, {"item": 60, "colour": -1}], "skin": -1})");
    ASSERT_EQ(render({}), 0) << error_;
    EXPECT_EQ(at(out(), 70, row)[3], 0);
    // Wearing goes in slot order: the hairstyle slot is empty here, the hat stays.
    write("avatar.json", R"({"items": [{"item": 5, "colour": -1}, null, null, null, null, null,
                                       {"item": 61, "colour": -1}], "skin": -1})");
    ASSERT_EQ(render({}), 0) << error_;
    EXPECT_EQ(at(out(), 60, 19), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(at(out(), 70, row), (std::array<int, 4>{255, 255, 0, 255}));
}

TEST_F(RenderCommandTest, AnyActionRendersForAnyDescription) {
    // Action 4046 in every direction of a sheet.
    ASSERT_EQ(render({"--sheet"}, "4046"), 0) << error_;
    EXPECT_EQ(out().height, 8 * 128);
    // A record whose standing action is replaced (by 4020, absent here) still renders the action asked for.
    ASSERT_EQ(render({}), 0) << error_;
    const RgbaPicture plain = out();
    write("avatar.json", R"({"items": [{"item": 5, "colour": -1}, null, null, null, null, null, null, null,
                                       {"item": 4}], "skin": -1, "replaceStanding": 1})");
    ASSERT_EQ(render({}), 0) << error_;
    EXPECT_EQ(out().rgba, plain.rgba);
    ASSERT_EQ(render({"--snapshot"}), 0) << error_;
    EXPECT_EQ(render({}, "9"), 1);
    EXPECT_NE(error_.find("no action 9"), std::string::npos) << error_;
}

}  // namespace
}  // namespace likenex

namespace likenex {
namespace {

TEST_F(RenderCommandTest, AnimateWritesTheScriptAsALoopingAnimatedPng) {
    write("script.json", R"([{"action": 7, "caption": "hi"}, {"action": 999, "caption": "left out"}, {"action": 7}])");
    auto animate = [&](std::vector<std::string> extra, std::string& printed) {
        Arguments args = {"render",      dir_.string(), "--avatar", (dir_ / "avatar.json").string(),
                          "--direction", "2",           "-o",       (dir_ / "out.png").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::ostringstream out, err;
        const int code = runLikenexData(args, out, err);
        printed = out.str();
        error_ = err.str();
        return code;
    };
    std::string printed;
    ASSERT_EQ(animate({"--animate", (dir_ / "script.json").string()}, printed), 0) << error_;
    // Two frames of 100 ms per step, the last held 500 ms more.
    EXPECT_EQ(printed, "animation: 4 frames, 1400 ms\n");
    // libpng reads the first frame: the transparent snapshot's rows 191 down to 0, so the
    // head's snapshot row 241 - 109 - 20 lands on row 191 - 112.
    const RgbaPicture first = out();
    ASSERT_EQ(first.width, 256);
    ASSERT_EQ(first.height, 192);
    EXPECT_EQ(at(first, 124, 191 - (241 - 109 - 20)), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(at(first, 0, 0)[3], 0);

    EXPECT_EQ(animate({"--animate", (dir_ / "script.json").string(), "--action", "7"}, printed), 1);
    EXPECT_EQ(animate({"--animate", (dir_ / "script.json").string(), "--snapshot"}, printed), 1);
    write("none.json", R"([{"action": 999}])");
    EXPECT_EQ(animate({"--animate", (dir_ / "none.json").string()}, printed), 1);
    EXPECT_NE(error_.find("no step plays"), std::string::npos) << error_;
    EXPECT_EQ(animate({"--animate", (dir_ / "missing.json").string()}, printed), 1);
}

TEST(ActionScript, ReadsStepsAndRefusesWhatItDoesNotKnow) {
    const std::vector<ScriptStep> steps =
        readActionScript(R"([{"action": 1001, "caption": "h\u00e9llo \u4f60\u597d"}, {"action": 7}])", "s.json");
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].action, 1001);
    EXPECT_EQ(steps[0].caption, u"h\u00e9llo \u4f60\u597d");
    EXPECT_TRUE(steps[1].caption.empty());
    EXPECT_TRUE(readActionScript("[]", "s.json").empty());
    for (const char* bad :
         {R"({"action": 1})", R"([1])", R"([{"caption": "x"}])", R"([{"action": 70000}])", R"([{"action": -1}])",
          R"([{"action": 1, "caption": 5}])", R"([{"action": 1, "say": "x"}])"})
        EXPECT_THROW((void)readActionScript(bad, "s.json"), ToolError) << bad;
}

}  // namespace
}  // namespace likenex

namespace likenex {
namespace {

// A code holds what a stored avatar holds: rendered from its code, an avatar is the picture
// of the same avatar described by its stored slots, byte for byte, still or animated.
class CodeRenderTest : public RenderCommandTest {
protected:
    void SetUp() override {
        RenderCommandTest::SetUp();
        AvatarFields avatar;
        avatar.items[0] = {5, 255};  // the hat, worn in slot 0 by its category
        avatar.faceOption2 = 4;      // the mouth
        avatar.direction = 2;
        // A skin table whose set 4 recolours only the key greys, which these sprites lack.
        ASSERT_TRUE(writeColourTable((dir_ / "skin.dat").string(), std::vector<ColourSet>(5)));
        avatar.script = {{7, u"hi"}, {999, u"left out"}, {7, u""}};
        const AvatarCodeResult encoded = encodeAvatarCode(avatar);
        ASSERT_EQ(encoded.refusal, CodeRefusal::none);
        code_ = encoded.code;
        write("slots.json", R"({"slots": [{"item": 5, "colour": -1}, null, null, null, null, null, null, null,
                                          {"item": 4}], "skin": 4})");
        write("script.json", R"([{"action": 7, "caption": "hi"}, {"action": 999, "caption": "left out"},
                                 {"action": 7}])");
    }
    int run(Arguments args) {
        std::ostringstream out, err;
        const int status = runLikenexData(args, out, err);
        printed_ = out.str();
        error_ = err.str();
        return status;
    }
    std::vector<std::uint8_t> written(const std::string& name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string code_;
    std::string printed_;
};

TEST_F(CodeRenderTest, StillPicturesEqualTheDescribedAvatarsAndUseTheCodesDirection) {
    for (const char* kind : {"", "--export", "--sheet"}) {
        Arguments described = {"render", dir_.string(), "--avatar", (dir_ / "slots.json").string(), "--action", "7",
                               "--direction", "2", "-o", (dir_ / "described.png").string()};
        Arguments coded = {"render", dir_.string(), "--code", code_, "--action", "7",
                           "-o", (dir_ / "coded.png").string()};
        if (*kind) {
            described.push_back(kind);
            coded.push_back(kind);
        }
        ASSERT_EQ(run(described), 0) << error_;
        ASSERT_EQ(run(coded), 0) << kind << ": " << error_;
        EXPECT_EQ(written("coded.png"), written("described.png")) << kind;
    }
    // Not an empty picture twice: the hat and the mouth are there.
    ASSERT_EQ(run({"render", dir_.string(), "--code", code_, "--action", "7", "-o", (dir_ / "out.png").string()}), 0);
    EXPECT_EQ(at(out(), 60, 20), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(at(out(), 61, 21), (std::array<int, 4>{0, 255, 0, 255}));
    // A direction given turns the code's avatar as it turns a described one.
    ASSERT_EQ(run({"render", dir_.string(), "--avatar", (dir_ / "slots.json").string(), "--action", "7",
                   "--direction", "5", "-o", (dir_ / "described.png").string()}),
              0);
    ASSERT_EQ(run({"render", dir_.string(), "--code", code_, "--action", "7", "--direction", "5", "-o",
                   (dir_ / "coded.png").string()}),
              0);
    EXPECT_EQ(written("coded.png"), written("described.png"));
}

TEST_F(CodeRenderTest, AnimatePlaysTheCodesOwnScript) {
    ASSERT_EQ(run({"render", dir_.string(), "--avatar", (dir_ / "slots.json").string(), "--direction", "2",
                   "--animate", (dir_ / "script.json").string(), "-o", (dir_ / "described.png").string()}),
              0)
        << error_;
    const std::string describedPrinted = printed_;
    ASSERT_EQ(run({"render", dir_.string(), "--code", code_, "--animate", "-o", (dir_ / "coded.png").string()}), 0)
        << error_;
    EXPECT_EQ(printed_, "animation: 4 frames, 1400 ms\n");
    EXPECT_EQ(printed_, describedPrinted);
    EXPECT_EQ(written("coded.png"), written("described.png"));
    // A code without a script has nothing to play.
    AvatarFields still;
    still.items[0] = {5, 255};
    const std::string stillCode = encodeAvatarCode(still).code;
    EXPECT_EQ(run({"render", dir_.string(), "--code", stillCode, "--animate", "-o", (dir_ / "x.png").string()}), 1);
    EXPECT_NE(error_.find("no step plays"), std::string::npos) << error_;
}

TEST_F(CodeRenderTest, BadCodesAndMixedArgumentsAreRefusedWithTheReason) {
    const auto refused = [&](Arguments args, const std::string& reason) {
        EXPECT_EQ(run(args), 1);
        EXPECT_NE(error_.find(reason), std::string::npos) << error_;
        EXPECT_FALSE(fs::exists(dir_ / "bad.png"));
    };
    const std::string out = (dir_ / "bad.png").string();
    std::string changed = code_;
    changed[changed.size() / 2] = changed[changed.size() / 2] == 'A' ? 'B' : 'A';
    // Mistyped, or cut where the change made a number run on: either way the reason is told.
    refused({"render", dir_.string(), "--code", changed, "--action", "7", "-o", out},
            "not an avatar code: the avatar code is");
    refused({"render", dir_.string(), "--code", code_.substr(0, 5), "--action", "7", "-o", out},
            describeRefusal(CodeRefusal::cut));
    std::string foreign = code_;
    foreign[3] = '*';
    refused({"render", dir_.string(), "--code", foreign, "--action", "7", "-o", out},
            describeRefusal(CodeRefusal::badCharacter));
    refused({"render", dir_.string(), "--code", code_, "--avatar", (dir_ / "slots.json").string(), "-o", out},
            "not both");
    refused({"render", dir_.string(), "--code", code_, "--animate", "--action", "7", "-o", out}, "--animate takes no");
}

}  // namespace
}  // namespace likenex
