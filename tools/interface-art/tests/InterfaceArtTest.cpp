// The interface pictures as likenex-interface-art draws them from content/interface: every
// table row gets its picture at its sizes, the palettes show exactly the tables' base
// colours, nine-patch pieces stretch without seams, and the output never changes.
#include "tools/interface-art/Art.h"
#include "tools/likenex-data/Png.h"
#include "tools/likenex-data/ToolSupport.h"
#include "tools/likenex-data/Validate.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace likenex::iart {
namespace {

using Pixel = std::array<std::uint8_t, 4>;  // B, G, R, A as stored

// Picture coordinates with y from the top, over the bottom-first rows.
Pixel at(const SkinImageSource& p, int x, int y) {
    const std::size_t row = p.texH - 1 - static_cast<std::size_t>(y);
    const std::size_t i = (row * p.texW + static_cast<std::size_t>(x)) * 4;
    return {p.pixels[i], p.pixels[i + 1], p.pixels[i + 2], p.pixels[i + 3]};
}

class InterfaceArtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        rows_ = new std::vector<SkinRow>(
            skinRowsFromTsv(readTextFileOrFail(LIKENEX_CONTENT_DIR "/interface/skins.tsv"), "skins.tsv"));
        palettes_ = new PaletteColours(loadPaletteColours(LIKENEX_CONTENT_DIR "/avatar/colours.json"));
        art_ = new InterfaceArt(drawInterface(*rows_, *palettes_));
        for (const DrawnSkin& s : art_->skins) byId_[s.row.identifier] = &s.picture;
    }
    static void TearDownTestSuite() {
        delete art_;
        delete palettes_;
        delete rows_;
        byId_.clear();
        releaseDrawingCaches();
    }
    static const SkinImageSource& picture(std::uint32_t id) { return *byId_.at(id); }

    static inline std::vector<SkinRow>* rows_ = nullptr;
    static inline PaletteColours* palettes_ = nullptr;
    static inline InterfaceArt* art_ = nullptr;
    static inline std::map<std::uint32_t, const SkinImageSource*> byId_;
};

TEST_F(InterfaceArtTest, EveryTableRowIsDrawnInOrderWithItsStoredAndLayoutSize) {
    ASSERT_EQ(art_->skins.size(), rows_->size());
    for (std::size_t i = 0; i < rows_->size(); ++i) {
        const SkinRow& row = (*rows_)[i];
        const SkinImageSource& p = art_->skins[i].picture;
        SCOPED_TRACE(row.identifier);
        EXPECT_EQ(p.skinIdentifier, row.identifier);
        EXPECT_EQ(p.texW, row.width);
        EXPECT_EQ(p.texH, row.height);
        EXPECT_EQ(p.layoutWidth, row.layoutWidth);
        EXPECT_EQ(p.layoutHeight, row.layoutHeight);
        EXPECT_EQ(p.pixels.size(), std::size_t{4} * p.texW * p.texH);
    }
    // The identifiers every widget loads by itself are all there (the families of the toolkit).
    for (std::uint32_t id : {1004001u,  1004019u,  1001018u,  1002001u,  1002002u,   1006018u, 2001003u,  3001001u,
                             3001004u,  3001005u,  4001009u,  6001009u,  7001002u,   8001019u, 11004009u, 12001009u,
                             14004009u, 16001103u, 16001105u, 16001109u, 500007005u, 5006008u})
        EXPECT_TRUE(byId_.contains(id)) << id;
}

TEST_F(InterfaceArtTest, PaletteCellsShowExactlyTheBaseColoursOfTheSets) {
    const std::pair<std::uint32_t, const std::vector<Rgb>*> palettes[] = {{16001201, &palettes_->skin},
                                                                          {16001202, &palettes_->colour}};
    for (const auto& [id, colours] : palettes) {
        const SkinImageSource& p = picture(id);
        ASSERT_FALSE(colours->empty());
        for (std::size_t k = 0; k < colours->size(); ++k) {
            // Every pixel a click at that cell can land on, in screen coordinates.
            const int cellX = kCellLeft + kCellWidth * static_cast<int>(k % kCellsPerRow);
            const int cellY = kCellTop + kCellHeight * static_cast<int>(k / kCellsPerRow);
            const Rgb c = (*colours)[k];
            for (int y = cellY; y < cellY + kCellHeight - 1; ++y)
                for (int x = cellX; x < cellX + kCellWidth - 1; ++x) {
                    const Pixel px = at(p, x - kPaletteLeft, y - kPaletteTop);
                    ASSERT_EQ(px, (Pixel{c.b, c.g, c.r, 255}))
                        << "palette " << id << " cell " << k << " at " << x << "," << y;
                }
        }
    }
    // The base colour is the fourth of a set: the first skin set's is (255, 238, 230).
    EXPECT_EQ(palettes_->skin[0], (Rgb{255, 238, 230}));
    EXPECT_EQ(palettes_->skin.size(), 44u);
    EXPECT_EQ(palettes_->colour.size(), 46u);
}

TEST_F(InterfaceArtTest, PalettesFollowTheTablesAndRefuseASizeThatDoesNotHoldThem) {
    PaletteColours changed = *palettes_;
    changed.skin[7] = {1, 2, 3};
    const InterfaceArt redrawn = drawInterface(*rows_, changed);
    for (const DrawnSkin& s : redrawn.skins) {
        if (s.row.identifier != 16001201) continue;
        EXPECT_EQ(at(s.picture, 1 + 7 * kCellWidth + 5, 1 + 5), (Pixel{3, 2, 1, 255}));
    }
    // Ten more colour sets need a seventh row, which the table's picture does not have.
    changed.colour.resize(changed.colour.size() + 10, Rgb{9, 9, 9});
    EXPECT_THROW((void)drawInterface(*rows_, changed), ToolError);
}

TEST_F(InterfaceArtTest, NinePatchEdgesAndCentresStretchWithoutSeams) {
    ASSERT_EQ(art_->ninePatches.size(), 14u);  // 6 button faces, 5 frames of controls, window, 2 screens
    for (const NinePatchIds& ids : art_->ninePatches) {
        SCOPED_TRACE(ids[0]);
        const SkinImageSource &tl = picture(ids[0]), &t = picture(ids[1]), &tr = picture(ids[2]), &l = picture(ids[3]),
                              &c = picture(ids[4]), &r = picture(ids[5]), &bl = picture(ids[6]), &b = picture(ids[7]),
                              &br = picture(ids[8]);
        const int tw = static_cast<int>(t.texW);
        // Stretched across: every column of the top and bottom edges is the same.
        for (const SkinImageSource* edge : {&t, &b})
            for (int y = 0; y < static_cast<int>(edge->texH); ++y)
                for (int x = 1; x < tw; ++x) ASSERT_EQ(at(*edge, x, y), at(*edge, 0, y)) << x << "," << y;
        // Stretched down: every row of the side edges is the same; the centre is one colour.
        for (const SkinImageSource* edge : {&l, &r})
            for (int y = 1; y < static_cast<int>(edge->texH); ++y)
                for (int x = 0; x < static_cast<int>(edge->texW); ++x) ASSERT_EQ(at(*edge, x, y), at(*edge, x, 0));
        for (int y = 0; y < static_cast<int>(c.texH); ++y)
            for (int x = 0; x < static_cast<int>(c.texW); ++x) ASSERT_EQ(at(c, x, y), at(c, 0, 0));
        // The corners continue the edges: the column next to an edge matches it row by row
        // (a corner rounded wider than its piece would leave a notch here).
        for (int y = 0; y < static_cast<int>(t.texH); ++y) {
            EXPECT_EQ(at(tl, static_cast<int>(tl.texW) - 1, y), at(t, 0, y)) << "top-left, row " << y;
            EXPECT_EQ(at(tr, 0, y), at(t, 0, y)) << "top-right, row " << y;
        }
        for (int y = 0; y < static_cast<int>(b.texH); ++y) {
            EXPECT_EQ(at(bl, static_cast<int>(bl.texW) - 1, y), at(b, 0, y)) << "bottom-left, row " << y;
            EXPECT_EQ(at(br, 0, y), at(b, 0, y)) << "bottom-right, row " << y;
        }
        // Down the sides a band (title bar, status line) may begin where a corner begins, so
        // only the rows of the side edges are compared with the sides of the corners' rows.
        EXPECT_EQ(l.texW, tl.texW);
        EXPECT_EQ(r.texW, tr.texW);
    }
}

TEST_F(InterfaceArtTest, TheTitleBandStretchesAndTheMainFramesLowerPiecesHideNothing) {
    const SkinImageSource &left = picture(16001103), &middle = picture(16001104), &right = picture(16001105);
    for (int y = 0; y < static_cast<int>(middle.texH); ++y) {
        for (int x = 1; x < static_cast<int>(middle.texW); ++x) ASSERT_EQ(at(middle, x, y), at(middle, 0, y));
        EXPECT_EQ(at(left, static_cast<int>(left.texW) - 1, y), at(middle, 0, y));
        EXPECT_EQ(at(right, 0, y), at(middle, 0, y));
        EXPECT_EQ(at(middle, 0, y)[3], 255) << "the band is opaque across, row " << y;
    }
    // The main frame is drawn over the screens with 2001001 as its six lower pieces, and
    // labels frame text on the page: both must be wholly transparent.
    for (std::uint32_t id : {2001001u, 11004001u, 11004005u, 11004009u}) {
        const SkinImageSource& p = picture(id);
        for (std::size_t i = 3; i < p.pixels.size(); i += 4) ASSERT_EQ(p.pixels[i], 0) << id;
    }
}

TEST_F(InterfaceArtTest, PicturesAreStoredWithStraightAlpha) {
    // The scroll thumb's cap leaves the pixel next to its rounded corner 60 % covered, in the
    // thumb's own colour; stored premultiplied it would come out darker.
    const Pixel px = at(picture(8001015), 4, 0);
    EXPECT_NEAR(px[3], 153, 1);
    EXPECT_NEAR(px[2], 147, 1);
    EXPECT_NEAR(px[1], 171, 1);
    EXPECT_NEAR(px[0], 167, 1);
    // Fully transparent pixels carry no colour.
    EXPECT_EQ(at(picture(8001015), 3, 0), (Pixel{0, 0, 0, 0}));
}

TEST_F(InterfaceArtTest, PressedButtonsDifferFromTheirNormalPictures) {
    const std::pair<std::uint32_t, std::uint32_t> pairs[] = {
        {1002002, 1002001},   {500007006, 500007005}, {16001041, 16001040}, {16001043, 16001042}, {16001016, 16001015},
        {16001203, 16001204}, {16001205, 16001206},   {3001005, 3001001},   {8001018, 8001019}};
    for (auto [normal, pressed] : pairs) EXPECT_NE(picture(normal).pixels, picture(pressed).pixels) << normal;
}

TEST_F(InterfaceArtTest, TheTableAndTheRecipesMustAgree) {
    std::vector<SkinRow> extra = *rows_;
    extra.push_back({16009999, "nothing", 4, 4, 4, 4, "no recipe draws this"});
    EXPECT_THROW((void)drawInterface(extra, *palettes_), ToolError);
    std::vector<SkinRow> missing = *rows_;
    missing.erase(missing.begin() + 3);
    EXPECT_THROW((void)drawInterface(missing, *palettes_), ToolError);
    // A corner that does not match its edge's height cannot form a nine-patch.
    std::vector<SkinRow> misfit = *rows_;
    for (SkinRow& r : misfit)
        if (r.identifier == 14004003) r.height = 27;
    EXPECT_THROW((void)drawInterface(misfit, *palettes_), ToolError);
}

TEST_F(InterfaceArtTest, DrawingTwiceGivesTheSameArchive) {
    const InterfaceArt again = drawInterface(*rows_, *palettes_);
    std::vector<SkinImageSource> first, second;
    for (const DrawnSkin& s : art_->skins) first.push_back(s.picture);
    for (const DrawnSkin& s : again.skins) second.push_back(s.picture);
    const auto a = encodeInterfaceArchive(first), b = encodeInterfaceArchive(second);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->index, b->index);
    EXPECT_EQ(a->data, b->data);
}

TEST_F(InterfaceArtTest, OnlyTheDeliberatelyEmptyPicturesAreEmpty) {
    for (const DrawnSkin& s : art_->skins) {
        const bool empty = s.row.family == "label-frame" || s.row.identifier == 2001001;
        bool painted = false;
        for (std::size_t i = 3; i < s.picture.pixels.size() && !painted; i += 4) painted = s.picture.pixels[i] != 0;
        EXPECT_EQ(painted, !empty) << s.row.identifier << " " << s.row.what;
    }
}

TEST(PaletteColours, SetsMustHoldSixColoursOfThreeParts) {
    namespace fs = std::filesystem;
    const fs::path path = fs::temp_directory_path() / ("likenex-palette-" + std::to_string(::getpid()) + ".json");
    auto load = [&](const std::string& json) {
        writeTextFileOrFail(path.string(), json);
        return loadPaletteColours(path.string());
    };
    const std::string set = "[[1,1,1],[2,2,2],[3,3,3],[40,50,60],[5,5,5],[6,6,6]]";
    const PaletteColours ok = load(R"({"skin": [)" + set + R"(], "colour": [)" + set + "," + set + "]}");
    EXPECT_EQ(ok.skin, (std::vector<Rgb>{{40, 50, 60}}));
    EXPECT_EQ(ok.colour.size(), 2u);
    EXPECT_THROW((void)load(R"({"skin": [[[1,1,1]]], "colour": []})"), ToolError);
    EXPECT_THROW((void)load(R"({"skin": [[[1,1,1],[2,2,2],[3,3,3],[256,0,0],[5,5,5],[6,6,6]]], "colour": []})"),
                 ToolError);
    EXPECT_THROW((void)load(R"({"colour": []})"), ToolError);
    fs::remove(path);
}

TEST_F(InterfaceArtTest, TheSheetShowsTheMockUpWithThePaletteWhereTheEditorPutsIt) {
    namespace fs = std::filesystem;
    const fs::path path =
        fs::temp_directory_path() / ("likenex-interface-sheet-" + std::to_string(::getpid()) + ".png");
    writeInterfaceSheet(*art_, path.string());
    const RgbaPicture sheet = readPng(path.string());
    fs::remove(path);
    ASSERT_EQ(sheet.width, 1200);
    // The mock-up of the 654 by 537 window ends the sheet, 12 pixels in from the left.
    const int left = 12, top = sheet.height - 12 - 537 - 12;
    const auto pixel = [&](int x, int y) {
        const std::size_t i =
            (static_cast<std::size_t>(y) * static_cast<std::size_t>(sheet.width) + static_cast<std::size_t>(x)) * 4;
        return std::array<std::uint8_t, 3>{sheet.rgba[i], sheet.rgba[i + 1], sheet.rgba[i + 2]};
    };
    for (std::size_t k : {0u, 8u, 9u, 45u}) {
        const Rgb c = palettes_->colour[k];
        const int x = kCellLeft + kCellWidth * static_cast<int>(k % kCellsPerRow) + 10;
        const int y = kCellTop + kCellHeight * static_cast<int>(k / kCellsPerRow) + 8;
        EXPECT_EQ(pixel(left + x, top + y), (std::array<std::uint8_t, 3>{c.r, c.g, c.b})) << "cell " << k;
    }
}

TEST_F(InterfaceArtTest, TheWrittenArchivePassesTheUsesCheckOfItsOwnTable) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("likenex-interface-art-" + std::to_string(::getpid()));
    fs::create_directories(dir / "data");
    std::vector<SkinImageSource> pictures;
    for (const DrawnSkin& s : art_->skins) pictures.push_back(s.picture);
    ASSERT_TRUE(writeInterfaceArchive(dir.string(), pictures));
    // Only the skin table: the texts belong to the language table, which this folder lacks.
    fs::create_directories(dir / "uses");
    fs::copy_file(LIKENEX_CONTENT_DIR "/interface/skins.tsv", dir / "uses/skins.tsv");
    const ValidationReport report = validateProgramDirectory(dir.string(), (dir / "uses").string());
    fs::remove_all(dir);
    EXPECT_EQ(report.skinsChecked, rows_->size());
    for (const std::string& problem : report.problems)
        EXPECT_FALSE(problem.starts_with("skin ") || problem.starts_with("data/inter.")) << problem;
}

}  // namespace
}  // namespace likenex::iart
