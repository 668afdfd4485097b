// Checks of the whole default data set as the generator makes it from content/avatar:
// every picture the catalogue can name exists, pictures are exact key greys or fixed
// colours, pictures drawn into the frame stay inside it, the pieces that must line up do,
// and the output does not change from one run to the next.
#include "catalogue/ColourTable.h"
#include "catalogue/ImageKey.h"
#include "tools/avatar-art/DataSet.h"
#include "tools/likenex-data/Validate.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <unistd.h>

#include "catalogue/CatalogueWriter.h"

namespace likenex::art {
namespace {

namespace fs = std::filesystem;

// Which edges of the 128 by 128 frame a picture reaches (left 1, top 2, right 4, bottom 8).
// A picture is cropped to its visible pixels, so its box touches an edge only where a
// visible pixel does.
int frameEdges(const SpriteSource& p) {
    return (p.x <= 0) | (p.y <= 0) << 1 | (p.x + p.width >= 128) << 2 | (p.y + p.height >= 128) << 3;
}

class DefaultDataSet : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data_ = new DataSet(loadDataSet(LIKENEX_CONTENT_DIR "/avatar"));
        sprites_ = new std::vector<SpriteSource>(drawDataSet(*data_));
        for (const SpriteSource& s : *sprites_) byKey_[s.key] = &s;
    }
    static void TearDownTestSuite() {
        delete sprites_;
        delete data_;
        byKey_.clear();
    }
    static const SpriteSource& sprite(std::int64_t key) {
        const auto it = byKey_.find(key);
        if (it == byKey_.end()) throw std::runtime_error("no picture " + std::to_string(key));
        return *it->second;
    }

    static inline DataSet* data_ = nullptr;
    static inline std::vector<SpriteSource>* sprites_ = nullptr;
    static inline std::map<std::int64_t, const SpriteSource*> byKey_;
};

TEST_F(DefaultDataSet, TheArchiveAndCatalogueValidateWithEveryPictureTheyName) {
    const fs::path dir = fs::temp_directory_path() / ("likenex-art-" + std::to_string(::getpid()));
    fs::create_directories(dir / "data");
    ASSERT_TRUE(writeAvatarArchive(dir.string(), *sprites_));
    ASSERT_TRUE(writeAvatarData(dir.string(), data_->catalogue()));
    const std::vector<ColourSet> sets(46);
    ASSERT_TRUE(writeColourTable((dir / "color.dat").string(), sets));
    ASSERT_TRUE(writeColourTable((dir / "skin.dat").string(), std::vector<ColourSet>(44)));
    ASSERT_TRUE(writeColourTable((dir / "wall.dat").string(), std::vector<ColourSet>(6)));
    const ValidationReport report = validateProgramDirectory(dir.string());
    fs::remove_all(dir);
    // The interface archive and the string table are made elsewhere.
    for (const std::string& problem : report.problems)
        if (problem.find("inter.") == std::string::npos && problem.find("lang.bin") == std::string::npos)
            ADD_FAILURE() << problem;
    EXPECT_GT(report.picturesChecked, 10000u);
}

TEST_F(DefaultDataSet, PicturesHoldOnlyPaletteColoursAndFramePicturesStayInTheFrame) {
    std::set<std::uint32_t> allowed;
    for (Label l = 1; l < label::count; ++l) {
        const Rgba c = palette()[l].colour;
        allowed.insert(static_cast<std::uint32_t>(c.r) << 16 | c.g << 8 | c.b);
    }
    for (const SpriteSource& s : *sprites_) {
        ASSERT_EQ(s.pixels.size(), static_cast<std::size_t>(s.width) * s.height * 4) << s.key;
        for (std::size_t i = 0; i < s.pixels.size(); i += 4) {
            if (s.pixels[i + 3] == 0) continue;
            const std::uint32_t rgb =
                static_cast<std::uint32_t>(s.pixels[i + 2]) << 16 | s.pixels[i + 1] << 8 | s.pixels[i];
            ASSERT_TRUE(allowed.contains(rgb)) << "picture " << s.key << " has colour " << std::hex << rgb;
        }
        const bool fixed = (s.key / 10000000) % 100 == 5;
        if (fixed) continue;
        EXPECT_TRUE(s.x >= 0 && s.y >= 0 && s.x + s.width <= 128 && s.y + s.height <= 128)
            << "picture " << s.key << " lies outside the frame";
    }
}

TEST_F(DefaultDataSet, FixedPalettesNeverCollideWithKeyGreys) {
    for (Label l = label::ink; l < label::count; ++l) {
        const Rgba c = palette()[l].colour;
        if (c.r != c.g || c.g != c.b) continue;
        for (std::uint8_t grey : keyGreys) EXPECT_NE(c.r, grey) << "label " << int(l);
    }
}

TEST_F(DefaultDataSet, HeadPicturesShareOnePlaceSoFaceOptionsLineUp) {
    for (int d = 0; d < 8; ++d) {
        const SpriteSource& normal = sprite(makeImageKey(1, 0, 0, d, 0, 0));
        for (const auto& [name, head] : data_->heads) {
            // A lying head draws its own face and lies elsewhere.
            if (!head.posture.upright()) continue;
            const SpriteSource& other = sprite(makeImageKey(head.n, 0, 0, d, 0, 0));
            EXPECT_EQ(std::tie(other.x, other.y, other.width, other.height),
                      std::tie(normal.x, normal.y, normal.width, normal.height))
                << name << " in direction " << d;
        }
    }
}

TEST_F(DefaultDataSet, TurnedPicturesAndWhatIsWornOnThemKeepClearOfTheFrameEdge) {
    // The canvas cuts off what is turned out of the frame, so a picture that reaches an
    // edge its standing picture keeps clear of has lost pixels. Body pictures (kind 0) are
    // keyed by pose number, worn ones (kind 1) carry it in the tail.
    std::map<int, std::set<int>> turned;  // body layer -> pose numbers
    for (const auto& [name, p] : data_->heads)
        if (!p.posture.upright()) turned[0].insert(p.n);
    for (const auto& [name, p] : data_->torsos)
        if (!p.posture.upright()) turned[3].insert(p.n);
    for (const auto& [name, p] : data_->arms)
        if (!p.posture.upright()) turned[4].insert(p.n), turned[5].insert(p.n);
    for (const auto& [name, p] : data_->legs)
        if (!p.posture.upright()) turned[6].insert(p.n), turned[7].insert(p.n);
    ASSERT_FALSE(turned[3].empty());
    int checked = 0;
    for (const SpriteSource& s : *sprites_) {
        const std::int64_t fields = s.key / 1000;
        const int kind = static_cast<int>(fields / 10000 % 100), layer = static_cast<int>(fields / 1000 % 10);
        const int pose = kind == 0 ? static_cast<int>(fields / 1000000) : static_cast<int>(s.key % 1000);
        if ((kind != 0 && kind != 1) || !turned[layer].contains(pose) || s.width <= 1) continue;
        ++checked;
        const int direction = static_cast<int>(fields / 100 % 10);
        const SpriteSource& standing = sprite(kind == 0 ? makeImageKey(1, 0, layer, direction, 0, 0) : s.key - pose + 1);
        EXPECT_EQ(frameEdges(s) & ~frameEdges(standing), 0) << "picture " << s.key << " reaches the frame's edge";
    }
    EXPECT_GT(checked, 500);
}

TEST_F(DefaultDataSet, WornPicturesOfTheStandingFigureKeepClearOfTheFrameEdge) {
    // The frame cuts off whatever reaches past it, so a worn picture touching an edge of
    // the standing frame (number 1 on every layer) in any direction has lost pixels.
    int checked = 0;
    for (const SpriteSource& s : *sprites_) {
        const std::int64_t fields = s.key / 1000;
        if (fields / 10000 % 100 != 1 || s.key % 1000 != 1 || s.width <= 1) continue;
        ++checked;
        EXPECT_EQ(frameEdges(s), 0) << "item " << fields / 1000000 << " on layer " << fields / 1000 % 10
                                    << " in direction " << fields / 100 % 10 << " reaches the frame's edge";
    }
    EXPECT_GT(checked, 1000);
}

TEST_F(DefaultDataSet, EachPoseNumberNamesOnePose) {
    // Pictures are found by number, so a number given twice would draw one pose for both.
    auto unique = [](const auto& poses, const char* what) {
        std::map<int, std::string> seen;
        for (const auto& [name, p] : poses)
            EXPECT_TRUE(seen.emplace(p.n, name).second) << what << " " << p.n << ": " << seen[p.n] << " and " << name;
    };
    unique(data_->heads, "head");
    unique(data_->torsos, "torso");
    unique(data_->arms, "arm");
    unique(data_->legs, "leg");
    // The standing pictures the editor draws before any action is chosen.
    EXPECT_EQ(data_->heads.at("normal").n, 1);
    EXPECT_EQ(data_->torsos.at("normal").n, 1);
    EXPECT_EQ(data_->arms.at("down").n, 1);
    EXPECT_EQ(data_->legs.at("stand").n, 1);
}

TEST(DataSetLoading, FramesMustNotMixPosturesAndTurnedHeadsDrawTheirOwnFace) {
    const fs::path dir = fs::temp_directory_path() / ("likenex-poses-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::copy_file(LIKENEX_CONTENT_DIR "/avatar/poses.json", dir / "poses.json");
    std::ifstream in(LIKENEX_CONTENT_DIR "/avatar/catalogue.json");
    nlohmann::json catalogue = nlohmann::json::parse(in, nullptr, true, true);
    auto loadWithFrame = [&](const nlohmann::json& frame) {
        nlohmann::json changed = catalogue;
        changed["actions"][0]["frames"][0] = frame;
        std::ofstream(dir / "catalogue.json") << changed.dump();
        return loadDataSet(dir.string());
    };
    // A standing head on a lying body, and a lying leg under a standing body.
    EXPECT_THROW((void)loadWithFrame({{"ms", 100}, {"torso", "lying"}, {"legs", {"lie_straight", "lie_straight"}},
                                      {"arms", {"lie_side", "lie_side"}}}),
                 std::runtime_error);
    EXPECT_THROW((void)loadWithFrame({{"ms", 100}, {"legs", {"stand", "lie_straight"}}}), std::runtime_error);
    EXPECT_NO_THROW((void)loadWithFrame({{"ms", 100}, {"torso", "lying"}, {"head", "lie_smile"},
                                         {"legs", {"lie_straight", "lie_straight"}},
                                         {"arms", {"lie_side", "lie_side"}}}));
    // A side bend turns the upper body only: its legs stand upright, never turned.
    EXPECT_NO_THROW((void)loadWithFrame({{"ms", 100}, {"torso", "lean_a"}, {"head", "lean_a"},
                                         {"arms", {"lean_a_up", "lean_a_up"}}}));
    EXPECT_THROW((void)loadWithFrame({{"ms", 100}, {"torso", "lean_a"}, {"head", "lean_a"},
                                      {"arms", {"lean_a_up", "lean_a_up"}}, {"legs", {"lie_knee", "stand"}}}),
                 std::runtime_error);
    // Face options stay upright, so a turned head showing them is refused.
    std::ifstream posesIn(LIKENEX_CONTENT_DIR "/avatar/poses.json");
    nlohmann::json poses = nlohmann::json::parse(posesIn, nullptr, true, true);
    poses["head"]["lie_smile"]["face"] = "options";
    std::ofstream(dir / "poses.json") << poses.dump();
    EXPECT_THROW((void)loadWithFrame({{"ms", 100}}), std::runtime_error);
    fs::remove_all(dir);
}

TEST_F(DefaultDataSet, SpeechBubblePiecesFitTheBubbleGeometry) {
    // Left caps end where the middle strip begins (two columns right of where they are
    // placed), middle strips are two columns wide, and every piece of a bubble starts on
    // the same row; the tail reaches below the body.
    for (bool two : {false, true}) {
        const int base = two ? 18 : 10;
        const int body = two ? 35 : 21;
        for (int warm = 0; warm < 2; ++warm) {
            const SpriteSource& left = sprite(makeImageKey(base + warm, 5, 0, 0, 0, 0));
            const SpriteSource& middle = sprite(makeImageKey(base + 2 + warm, 5, 0, 0, 0, 0));
            const SpriteSource& tail = sprite(makeImageKey(base + 4 + warm, 5, 0, 0, 0, 0));
            const SpriteSource& right = sprite(makeImageKey(base + 6 + warm, 5, 0, 0, 0, 0));
            EXPECT_EQ(left.x + left.width, 2);
            EXPECT_EQ(middle.width, 2);
            EXPECT_EQ(middle.height, body);
            EXPECT_EQ(right.x, 0);
            for (const SpriteSource* s : {&left, &middle, &tail, &right}) EXPECT_EQ(s->y, 0);
            EXPECT_GT(tail.height, body + 3);
            // The body is opaque so that overlapping pieces do not darken each other.
            EXPECT_EQ(middle.pixels[static_cast<std::size_t>(body / 2) * 8 + 3], 255);
        }
    }
}

TEST_F(DefaultDataSet, TheShadowLiesUnderTheFeet) {
    // Drawn at (x + 102, y + 103) with its offsets, while the frame is drawn at
    // (x + kFrameX, y + kFrameY) with the feet on frame row 124 in column 64.
    for (int which : {1, 2}) {
        const SpriteSource& s = sprite(makeImageKey(which, 5, 0, 0, 0, 0));
        EXPECT_NEAR(102 + s.x + s.width / 2.0, kFrameX + 64, 1.0);
        EXPECT_NEAR(103 + s.y + s.height / 2.0, kFrameY + 124, 1.5);
    }
}

TEST_F(DefaultDataSet, CatalogueMeetsTheEditorsNeeds) {
    const CatalogueTables t = data_->catalogue();
    std::map<int, int> offered;
    std::set<int> ids;
    int withdrawn = 0, free = 0;
    for (const Item& i : t.items) {
        EXPECT_TRUE(ids.insert(i.identifier).second) << "item " << i.identifier << " twice";
        if (i.availability == 0) {
            ++withdrawn;
            continue;
        }
        ++offered[i.category];
        if (i.price == 0) ++free;
    }
    int total = 0;
    for (int category = 0; category <= 6; ++category) {
        EXPECT_GE(offered[category], 5) << "category " << category;
        total += offered[category];
    }
    EXPECT_GE(total, 110);
    EXPECT_GE(offered[1], 20) << "hair styles";
    EXPECT_GT(withdrawn, 0);
    EXPECT_GT(free, 0);
    // Outfits name components that exist, two at least of each kind.
    std::map<int, int> outfits;
    for (const Item& i : t.items) {
        if (i.outfitKind == 0) continue;
        ++outfits[i.outfitKind];
        for (int part : {i.outfitSlot6, i.outfitSlot3or5, i.outfitSlot4})
            EXPECT_TRUE(ids.contains(part)) << "outfit " << i.identifier << " names " << part;
    }
    EXPECT_GE(outfits[1], 2);
    EXPECT_GE(outfits[2], 2);
    // Actions: the standing one and the two the model treats specially; 1 to 16 frames.
    std::set<int> actions;
    for (const Action& a : t.actions) {
        actions.insert(a.identifier);
        EXPECT_GE(a.frames.size(), 1u);
        EXPECT_LE(a.frames.size(), 16u);
    }
    for (int id : {1353, 4020, 4046}) EXPECT_TRUE(actions.contains(id)) << id;
    EXPECT_GE(actions.size(), 30u);
    int parts = 0;
    for (const BodyPart& b : t.bodyParts) parts += b.bodyLayer == 8 || b.bodyLayer == 9;
    EXPECT_GE(parts, 20);
    int options[3] = {};
    for (const LayerOption& o : t.layerOptions) options[o.faceLayer] += o.availability != 0;
    EXPECT_GE(options[1], 19);
    EXPECT_GE(options[2], 19);
}

// Stored avatars and avatar codes name items by identifier, so an item once published keeps
// its identifier and category for good; new items only add identifiers.
TEST_F(DefaultDataSet, PublishedItemsKeepTheirIdentifiersAndCategories) {
    const std::map<int, std::vector<int>> published{
        {0, {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118}},
        {1, {121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140,
             141, 142, 143}},
        {2, {201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 216, 217, 218, 219, 220,
             221, 222, 223}},
        {3, {301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312, 313, 702, 705, 707, 709, 717, 721}},
        {4, {401, 402, 403, 404, 405, 406, 407, 408, 409, 410, 411, 412, 413}},
        {5, {501, 502, 503, 504, 505, 506, 507, 508, 509, 713, 715, 719, 723}},
        {6, {601, 602, 603, 604, 605, 611, 612, 613, 614, 615, 616, 617, 618, 619, 621, 622, 623, 624, 701, 703,
             704, 706, 708, 711, 712, 714, 716, 718, 720, 722, 724, 725}},
    };
    std::map<int, int> categoryOf;
    for (const Item& i : data_->catalogue().items) categoryOf[i.identifier] = i.category;
    for (const auto& [category, ids] : published)
        for (int id : ids) {
            const auto it = categoryOf.find(id);
            ASSERT_NE(it, categoryOf.end()) << "item " << id << " is gone";
            EXPECT_EQ(it->second, category) << "item " << id;
        }
}

// The head group paints hats and hair after the face options, so they must leave the
// default eyes and mouth uncovered in every direction; from behind, hair must cover the
// upper back of the head.
TEST_F(DefaultDataSet, HairAndHatsLeaveTheFaceFreeAndHairCoversTheBackOfTheHead) {
    auto alphaAt = [](const SpriteSource& s, int x, int y) -> int {
        const int col = x - s.x, row = y - s.y;
        if (col < 0 || row < 0 || col >= s.width || row >= s.height) return 0;
        return s.pixels[(static_cast<std::size_t>(s.height - 1 - row) * s.width + col) * 4 + 3];
    };
    for (const ItemSource& item : data_->items) {
        if (item.shape != "hair" && item.shape != "hat") continue;
        const int id = item.record.identifier, category = item.record.category;
        for (int d = 0; d < 8; ++d) {
            const SpriteSource& worn = sprite(makeImageKey(id, 1, 0, d, category, 1));
            int covered = 0;
            for (int layer : {1, 2}) {
                const SpriteSource& face = sprite(makeImageKey(1, 0, layer, d, 0, 0));
                for (int y = face.y; y < face.y + face.height; ++y)
                    for (int x = face.x; x < face.x + face.width; ++x)
                        covered += alphaAt(face, x, y) >= 128 && alphaAt(worn, x, y) >= 128;
            }
            EXPECT_EQ(covered, 0) << item.kind << " (" << id << ") covers the face in direction " << d;
        }
        // The mohawk's shaved sides show the figure's own hair by design.
        if (item.shape != "hair" || item.kind == "mohawk") continue;
        const SpriteSource& back = sprite(makeImageKey(id, 1, 0, 3, category, 1));
        const Projected centre = View(3).project(kHeadCentre);
        int inside = 0, bare = 0;
        for (int y = static_cast<int>(centre.y - kHeadRadius); y < static_cast<int>(centre.y); ++y)
            for (int x = static_cast<int>(centre.x - kHeadRadius); x <= static_cast<int>(centre.x + kHeadRadius); ++x) {
                if (std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y) > kHeadRadius - 2) continue;
                ++inside;
                bare += alphaAt(back, x, y) < 255;
            }
        EXPECT_LE(bare, inside / 50) << item.kind << " (" << id << ") leaves the back of the head bare";
    }
}

TEST(DataSetDrawing, TheSameSourcesDrawTheSameBytes) {
    // A small slice of the data set, drawn twice.
    DataSet data = loadDataSet(LIKENEX_CONTENT_DIR "/avatar");
    data.items.resize(6);
    data.actions.resize(2);
    data.bodyParts.resize(1);
    const auto first = drawDataSet(data);
    const auto second = drawDataSet(data);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        ASSERT_EQ(first[i].key, second[i].key);
        ASSERT_EQ(first[i].pixels, second[i].pixels) << first[i].key;
        ASSERT_EQ(std::tie(first[i].x, first[i].y), std::tie(second[i].x, second[i].y));
    }
}

}  // namespace
}  // namespace likenex::art
