// likenex-data render on a small program directory: the frame, the talking picture, the
// sheet, the snapshot and the export land where the editor draws them.
#include "catalogue/AvatarArchive.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ImageKey.h"
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

SpriteSource solid(std::int64_t key, int width, int height, int x, int y, std::array<std::uint8_t, 4> bgra) {
    SpriteSource s;
    s.key = key;
    s.width = width;
    s.height = height;
    s.x = x;
    s.y = y;
    for (int i = 0; i < width * height; ++i) s.pixels.insert(s.pixels.end(), bgra.begin(), bgra.end());
    return s;
}

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
            a.frames.push_back(f);
        }
        t.actions = {a};
        LayerOption mouth;
        mouth.faceLayer = 2;
        mouth.optionNumber = 4;
        mouth.availability = 1;
        t.layerOptions = {mouth};
        Item hat;
        hat.identifier = 5;
        hat.category = 0;
        hat.availability = 1;
        t.items = {hat};
        ASSERT_TRUE(writeAvatarData(dir_.string(), t));
        std::vector<SpriteSource> sprites;
        for (int d = 0; d < 8; ++d) {
            sprites.push_back(solid(makeImageKey(1, 0, 0, d, 0, 0), 2, 2, 60, 20, {0, 0, 255, 255}));  // red head
            sprites.push_back(solid(makeImageKey(5, 1, 0, d, 0, 1), 2, 1, 60, 19, {255, 0, 0, 255}));  // blue hat
            sprites.push_back(solid(makeImageKey(4, 0, 2, d, 0, 0), 1, 1, 61, 21, {0, 255, 0, 255}));  // green mouth
            sprites.push_back(solid(makeImageKey(4, 0, 2, d, 1, 0), 1, 1, 60, 21, {0, 255, 0, 255}));  // talking
        }
        sprites.push_back(solid(1050000000, 4, 2, 10, 120, {0, 0, 0, 255}));
        ASSERT_TRUE(writeAvatarArchive(dir_.string(), sprites));
        // No skin table here: the body is drawn as stored (skin -1).
        write("avatar.json", R"({"items": [{"item": 5, "colour": -1}, null, null, null, null, null, null, null,
                                           {"item": 4}], "skin": -1})");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
    int render(std::vector<std::string> extra) {
        Arguments args = {"render",      dir_.string(), "--avatar", (dir_ / "avatar.json").string(), "--action", "7",
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
    const AvatarRecord r = readAvatarDescription(R"({"items": [null, {"item": 3, "colour": 2}], "skin": 9})", "a.json");
    EXPECT_FALSE(r.items[0].occupied);
    EXPECT_TRUE(r.items[1].occupied);
    EXPECT_EQ(r.items[1].colourId, 2);
    EXPECT_EQ(r.skin, 9);
    EXPECT_EQ(readAvatarDescription("{}", "a.json").skin, 4);
}

}  // namespace
}  // namespace likenex
