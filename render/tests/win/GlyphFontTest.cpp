// The FreeType glyph font: opening the stand-in fonts, layout and widths, the per-character
// cache and its ageing, the fallback face, single characters for the snapshot, and glyphs as
// both back ends draw them.

#include "render/tests/win/TextTestSupport.h"
#include "render/text/win/GlyphFont.h"

namespace likenex::test {
namespace {

constexpr wchar_t kPrimaryFont[] = L"SSERIFE.FON";  // DejaVu Sans here: no CJK characters
constexpr char16_t kCjkCharacter = u'\u4E2D';       // only in the fallback (AR PL UMing)
constexpr char16_t kNowhere = u'\uFFFF';            // a noncharacter: in no face

class GlyphFontTest : public ::testing::Test, public RendererFixture {
protected:
    void SetUp() override {
        startBackEnd(BackEndKind::OpenGl);
        testNow() = 1000;
        ASSERT_TRUE(font.open(kPrimaryFont, 12));
    }
    void TearDown() override {
        font.close();
        stopBackEnd();
    }

    ScopedProgramFonts fonts;
    GlyphFont font{painter, fonts.folders(), testClock};
};

TEST_F(GlyphFontTest, OpensTheStandInAndFailsWithoutAFont) {
    EXPECT_TRUE(font.fontPath().ends_with(L"DejaVuSans.ttf"))
        << std::string(font.fontPath().begin(), font.fontPath().end());
    GlyphFont missing(painter, fonts.folders());
    EXPECT_FALSE(missing.open(L"nosuchfont.ttf", 12));
    EXPECT_FALSE(missing.isOpen());
    std::vector<std::uint8_t> pixels;
    int width = 0, height = 0, advance = 0;
    EXPECT_FALSE(missing.renderCharacter(u'A', pixels, width, height, advance));
}

TEST_F(GlyphFontTest, LaysOutOneRecordPerCharacterWithAFiveWideSpace) {
    font.layOut(L"a b");
    const auto& records = font.laidOut();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].width, 5);
    EXPECT_EQ(records[1].rows, 16);
    EXPECT_EQ(records[1].left, 0);
    EXPECT_EQ(records[1].top, 0);
    EXPECT_GT(records[0].width, 0);
    EXPECT_NE(records[0].texture, 0u);
    EXPECT_NE(records[1].texture, 0u);  // blank, but a texture like any glyph's

    const int a = records[0].width + records[0].left;
    const int b = records[2].width + records[2].left;
    EXPECT_EQ(font.textWidth(), a + 5 + b);
    EXPECT_EQ(font.textWidthOf(0), 0);
    EXPECT_EQ(font.textWidthOf(-1), 0);
    EXPECT_EQ(font.textWidthOf(1), a);
    EXPECT_EQ(font.textWidthOf(2), a + 5);
    EXPECT_EQ(font.textWidthOf(3), font.textWidth());
    EXPECT_EQ(font.textWidthOf(50), font.textWidth());
    font.layOut(L"");
    EXPECT_EQ(font.textWidth(), 0);
}

TEST_F(GlyphFontTest, CachesEachCharacterOnceAndReusesItsTexture) {
    font.layOut(L"abca");
    const auto first = font.laidOut();
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(font.cache().size(), 3u);
    EXPECT_EQ(first[0], first[3]);
    EXPECT_NE(first[0].texture, first[1].texture);
    font.layOut(L"cab");
    EXPECT_EQ(font.cache().size(), 3u);
    EXPECT_EQ(font.laidOut()[1], first[0]);  // the same texture, not a new one
}

TEST_F(GlyphFontTest, EvictsAGlyphUnusedFor180001MillisecondsButNot180000) {
    font.layOut(L"ab");
    const TextureHandle a = font.laidOut()[0].texture;
    testNow() = 1000 + 180000;
    font.layOut(L"b");
    EXPECT_TRUE(font.cache().contains(u'a'));
    EXPECT_TRUE(painter.isTexture(&a));
    testNow() = 1000 + 180001;
    font.layOut(L"b");  // b was used 1 ms ago
    EXPECT_FALSE(font.cache().contains(u'a'));
    EXPECT_TRUE(font.cache().contains(u'b'));
    EXPECT_FALSE(painter.isTexture(&a));
    font.layOut(L"a");  // made again
    EXPECT_TRUE(font.cache().contains(u'a'));
}

TEST_F(GlyphFontTest, TheFallbackFaceServesWhatThePrimaryLacksAndOtherCharactersAreDropped) {
    font.layOut(std::wstring(1, static_cast<wchar_t>(kCjkCharacter)));
    ASSERT_EQ(font.laidOut().size(), 1u);
    EXPECT_GE(font.laidOut()[0].width, 8);  // a full ideograph, not an empty box
    EXPECT_GE(font.laidOut()[0].rows, 8);

    font.layOut(L"A");
    const int widthOfA = font.textWidth();
    font.layOut(std::wstring{L'A', static_cast<wchar_t>(kNowhere), L'A'});
    EXPECT_EQ(font.laidOut().size(), 2u);
    EXPECT_EQ(font.textWidth(), 2 * widthOfA);
    EXPECT_FALSE(font.cache().contains(kNowhere));
}

TEST_F(GlyphFontTest, RenderCharacterGivesABlockOfSixteenRowsBottomFirst) {
    font.layOut(L"A");
    const GlyphRecord a = font.laidOut()[0];
    std::vector<std::uint8_t> pixels;
    int width = 0, height = 0, advance = 0;
    ASSERT_TRUE(font.renderCharacter(u'A', pixels, width, height, advance));
    EXPECT_EQ(width, blockWidthFor(a.width));
    EXPECT_EQ(height, 16);
    EXPECT_EQ(advance, a.left + a.width);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(width) * 16 * 4);
    int lowestLit = 16, highestLit = -1;  // memory rows
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < width; ++column) {
            const std::uint8_t* p = &pixels[(static_cast<std::size_t>(row) * width + column) * 4];
            ASSERT_TRUE(p[0] == 0 || p[0] == 255);
            ASSERT_TRUE(p[0] == p[1] && p[0] == p[2] && p[0] == p[3]);
            if (p[0] == 255) lowestLit = std::min(lowestLit, row), highestLit = std::max(highestLit, row);
        }
    // The glyph's top row is the last memory row; its bottom row is rows - 1 above it.
    EXPECT_EQ(highestLit, 15);
    EXPECT_EQ(lowestLit, 16 - a.rows);

    ASSERT_TRUE(font.renderCharacter(u' ', pixels, width, height, advance));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(advance, 5);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), 16 * 16 * 4);
    EXPECT_TRUE(font.renderCharacter(kCjkCharacter, pixels, width, height, advance));
    EXPECT_FALSE(font.renderCharacter(kNowhere, pixels, width, height, advance));
}

TEST_F(GlyphFontTest, GlyphsLargerThanTheBlockAreClippedToIt) {
    GlyphFont large(painter, fonts.folders(), testClock);
    ASSERT_TRUE(large.open(kPrimaryFont, 40));
    std::vector<std::uint8_t> pixels;
    int width = 0, height = 0, advance = 0;
    ASSERT_TRUE(large.renderCharacter(u'W', pixels, width, height, advance));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    EXPECT_EQ(pixels.size(), 16u * 16u * 4u);
    EXPECT_GT(advance, 16);
    large.layOut(L"WM");
    ASSERT_EQ(large.laidOut().size(), 2u);
    EXPECT_GT(large.laidOut()[0].width, 16);
    EXPECT_GT(large.textWidth(), 32);
}

TEST_F(GlyphFontTest, CloseReleasesTheCachedTextures) {
    font.layOut(L"xy");
    const TextureHandle x = font.laidOut()[0].texture;
    ASSERT_TRUE(painter.isTexture(&x));
    font.close();
    EXPECT_FALSE(painter.isTexture(&x));
    EXPECT_EQ(font.cache().size(), 0u);
    EXPECT_FALSE(font.isOpen());
}

// Glyphs go through the renderer's texture operations, so both back ends draw them alike:
// every glyph's block sits with its top row at the baseline less its top bearing.
class GlyphDrawing : public ::testing::TestWithParam<BackEndKind>, public RendererFixture {
protected:
    void SetUp() override { startBackEnd(GetParam()); }
    void TearDown() override { stopBackEnd(); }
    ScopedProgramFonts fonts;
};

TEST_P(GlyphDrawing, TheBaselineIsTheGivenYAndThePenAdvancesByWidthAndBearing) {
    GlyphFont font(painter, fonts.folders());
    ASSERT_TRUE(font.open(kPrimaryFont, 12));
    const std::wstring text = L"Ag j\u4E2D";
    const auto lit = expectedLitPixels(font, text, 100, 200);
    ASSERT_GT(lit.size(), 40u);
    font.layOut(text);
    beginFrame();
    font.drawLaidOut(100, 200, Colour::fromPacked(kWhite));
    EXPECT_PICTURE(captureRegion(80, 170, 100, 50), [&](int x, int y) {
        return lit.count({80 + x, 170 + y}) ? kWhite : kBlack;
    });
    endFrame();
    font.close();
}

TEST_P(GlyphDrawing, TheColourTintsTheGlyphs) {
    GlyphFont font(painter, fonts.folders());
    ASSERT_TRUE(font.open(kPrimaryFont, 12));
    const auto lit = expectedLitPixels(font, L"H", 10, 30);
    // H stands on the baseline: its lowest row is the one just above y.
    ASSERT_FALSE(lit.empty());
    EXPECT_EQ(std::max_element(lit.begin(), lit.end(), [](auto a, auto b) { return a.second < b.second; })->second, 29);
    font.layOut(L"H");
    beginFrame();
    font.drawLaidOut(10, 30, Colour::fromPacked(kOrange));
    EXPECT_PICTURE(captureRegion(0, 0, 40, 40), [&](int x, int y) { return lit.count({x, y}) ? kOrange : kBlack; });
    endFrame();
    font.close();
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, GlyphDrawing, ::testing::Values(BackEndKind::OpenGl, BackEndKind::Direct3D8),
                         [](const auto& info) { return info.param == BackEndKind::OpenGl ? "OpenGl" : "Direct3D8"; });

}  // namespace
}  // namespace likenex::test
