// Text renderers: engines shared by size, the engine the back end chooses, formatting, and
// where each engine puts its text.

#include "platform/win/Handles.h"
#include "render/DeviceResources.h"
#include "render/tests/win/TextTestSupport.h"
#include "render/text/win/GdiTextEngine.h"
#include "render/text/win/TextRenderer.h"

namespace likenex::test {
namespace {

// Which pixels GDI covers when it writes text in font at the top-left of a width x height
// picture: the picture the Direct3D engine is expected to show.
std::vector<bool> gdiCoverage(HFONT font, const std::wstring& text, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const UniqueMemoryDc memoryDc(CreateCompatibleDC(nullptr));
    const HDC dc = memoryDc.get();
    const UniqueBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const HBITMAP dib = bitmap.get();
    std::vector<bool> covered(static_cast<std::size_t>(width) * height, false);
    if (dc && dib && bits) {
        const HGDIOBJ oldBitmap = SelectObject(dc, dib);
        const HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        for (std::size_t i = 0; i < covered.size(); ++i) covered[i] = (pixels[i] & 0xFFFFFFu) != 0;
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
    }
    return covered;
}

class TextRendererTest : public ::testing::Test, public RendererFixture {
protected:
    void TearDown() override {
        EXPECT_EQ(engines.registry().size(), 0u) << "an engine outlived its renderers";
        stopBackEnd();
    }
    ScopedProgramFonts fonts;
    TextEngines engines{painter, fonts.folders()};
};

TEST_F(TextRendererTest, RenderersOfOneSizeAndFontShareAnEngineUntilTheLastRelease) {
    startBackEnd(BackEndKind::OpenGl);
    TextRenderer first, second, other, otherFont;
    ASSERT_TRUE(first.create(engines, L"SSERIFE.FON", 12));
    EXPECT_EQ(engines.kind(), TextEngineKind::GlyphTextures);
    ASSERT_TRUE(second.create(engines, L"SSERIFE.FON", 12));
    ASSERT_TRUE(other.create(engines, L"SSERIFE.FON", 11));
    // Another font file at the same size has an engine of its own.
    ASSERT_TRUE(otherFont.create(engines, L"mingliu.ttc", 12));
    EXPECT_EQ(first.engine(), second.engine());
    EXPECT_NE(first.engine(), other.engine());
    EXPECT_NE(first.engine(), otherFont.engine());
    auto* shared = dynamic_cast<GlyphFont*>(first.engine());
    auto* chinese = dynamic_cast<GlyphFont*>(otherFont.engine());
    ASSERT_NE(shared, nullptr);
    ASSERT_NE(chinese, nullptr);
    EXPECT_TRUE(shared->fontPath().ends_with(L"DejaVuSans.ttf"));
    EXPECT_TRUE(chinese->fontPath().ends_with(L"uming.ttc"));
    EXPECT_EQ(engines.registry().holders(12, L"SSERIFE.FON"), 2);

    first.release();
    EXPECT_EQ(first.engine(), nullptr);
    EXPECT_EQ(first.textWidth(), 0);  // a released renderer draws and measures nothing
    second.setPlainText(L"still here");
    EXPECT_GT(second.textWidth(), 0);
    second.release();
    EXPECT_EQ(engines.registry().find(12, L"SSERIFE.FON"), nullptr);
    EXPECT_EQ(engines.registry().holders(11, L"SSERIFE.FON"), 1);
    EXPECT_EQ(engines.registry().holders(12, L"mingliu.ttc"), 1);
    other.release();
    otherFont.release();
}

TEST_F(TextRendererTest, AFontThatCannotBeOpenedRegistersNothing) {
    startBackEnd(BackEndKind::OpenGl);
    TextRenderer renderer;
    EXPECT_FALSE(renderer.create(engines, L"nosuchfont.ttf", 12));
    EXPECT_EQ(renderer.engine(), nullptr);
    renderer.setPlainText(L"x");
    renderer.draw(0, 0, Colour::fromPacked(kWhite));
    EXPECT_EQ(renderer.textWidth(), 0);
}

TEST_F(TextRendererTest, FormattedTextIsCutAt511CharactersAndPlainTextIsTakenAsItIs) {
    startBackEnd(BackEndKind::OpenGl);
    TextRenderer renderer;
    ASSERT_TRUE(renderer.create(engines, L"SSERIFE.FON", 12));
    auto* font = dynamic_cast<GlyphFont*>(renderer.engine());
    ASSERT_NE(font, nullptr);

    renderer.setText(L"%d%% of %s", 50, L"it");
    const int formatted = renderer.textWidth();
    renderer.setPlainText(L"50% of it");
    EXPECT_EQ(renderer.textWidth(), formatted);
    renderer.setPlainText(L"%d%%");
    EXPECT_EQ(font->laidOut().size(), 4u);  // shown unchanged
    EXPECT_EQ(renderer.textWidthOf(0), 0);
    EXPECT_EQ(renderer.textWidthOf(4), renderer.textWidth());

    const std::wstring long600(600, L'a');
    renderer.setText(L"%s", long600.c_str());
    EXPECT_EQ(font->laidOut().size(), 511u);
}

// The Direct3D engine: the text's extent (cx, cy) is drawn into (x, y - cy + 2, x + cx, y + 2).
TEST_F(TextRendererTest, Direct3DTextFillsItsExtentEndingTwoBelowY) {
    startBackEnd(BackEndKind::Direct3D8);
    TextRenderer renderer;
    ASSERT_TRUE(renderer.create(engines, L"MSGOTHIC.TTC", 12));
    EXPECT_EQ(engines.kind(), TextEngineKind::Direct3DText);
    auto* engine = dynamic_cast<GdiTextEngine*>(renderer.engine());
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->faceName(), L"MSGOTHIC");

    renderer.setPlainText(L"Hg|W");
    const SIZE extent = engine->extentOf(4);
    const int cx = renderer.textWidth();
    EXPECT_EQ(cx, extent.cx);
    ASSERT_GT(cx, 10);
    ASSERT_GT(extent.cy, 6);
    EXPECT_EQ(renderer.textWidthOf(0), 0);
    EXPECT_EQ(renderer.textWidthOf(4), cx);
    EXPECT_EQ(renderer.textWidthOf(40), cx);
    EXPECT_LT(renderer.textWidthOf(1), cx);

    const int x = 100, y = 200;
    const int left = x, top = y - extent.cy + 2;
    const auto covered = gdiCoverage(engine->font(), L"Hg|W", cx, extent.cy);
    ASSERT_GT(std::count(covered.begin(), covered.end(), true), 20);
    beginFrame();
    renderer.draw(x, y, Colour::fromPacked(kWhite));
    const auto picture = captureRegion(0, 0, kWidth, kHeight);
    endFrame();
    const auto mismatches = compare(picture, [&](int px, int py) -> std::uint32_t {
        const bool inText = inside(px, py, left, top, left + cx, top + extent.cy) &&
                            covered[static_cast<std::size_t>(py - top) * cx + (px - left)];
        const std::uint32_t got = picture.at(px, py);
        // Edges are blended greys: only whether a pixel is touched at all must agree.
        return inText == (got != kBlack) ? got : (inText ? kWhite : kBlack);
    });
    EXPECT_EQ(mismatches.count, 0u) << mismatches.first;
}

// The text's colour goes to its own draw only: what the caller set before stays in force.
TEST_F(TextRendererTest, Direct3DTextKeepsTheRenderersColour) {
    startBackEnd(BackEndKind::Direct3D8);
    TextRenderer renderer;
    ASSERT_TRUE(renderer.create(engines, L"SSERIFE.FON", 12));
    renderer.setPlainText(L"WWWW");
    constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;
    beginFrame();
    painter.setColour(Colour::fromPacked(kRed));
    renderer.draw(10, 30, Colour::fromPacked(kGreen));
    painter.fillRect(100, 10, 120, 30);
    const auto picture = captureRegion(0, 0, 130, 40);
    endFrame();
    EXPECT_EQ(picture.at(110, 20), kRed) << "the fill after the text keeps the colour set before it";
    // The text's pixels are shades of its green (its edges blend with the black behind it).
    const auto green = std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                     [](std::uint32_t p) { return (p & 0xFF00FFu) == 0 && (p & 0x00FF00u) != 0; });
    const auto reddish = std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                       [](std::uint32_t p) { return (p & 0xFF0000u) != 0; });
    EXPECT_GT(green, 20) << "the text is drawn in its own colour";
    EXPECT_EQ(reddish, 20 * 20) << "only the fill is red";
}

TEST_F(TextRendererTest, Direct3DTextIsMadeAgainAfterTheDeviceIsRestored) {
    startBackEnd(BackEndKind::Direct3D8);
    TextRenderer renderer;
    ASSERT_TRUE(renderer.create(engines, L"SSERIFE.FON", 12));
    auto* engine = dynamic_cast<GdiTextEngine*>(renderer.engine());
    ASSERT_NE(engine, nullptr);
    renderer.setPlainText(L"Lost");
    auto countLit = [&] {
        beginFrame();
        renderer.draw(20, 40, Colour::fromPacked(kWhite));
        const auto picture = captureRegion(0, 0, 100, 60);
        endFrame();
        return std::count_if(picture.pixels.begin(), picture.pixels.end(), [](std::uint32_t p) { return p != kBlack; });
    };
    const auto before = countLit();
    ASSERT_GT(before, 10);
    EXPECT_EQ(engine->keptTextures(), 1u);
    painter.recoverLostDevice();
    EXPECT_EQ(engine->keptTextures(), 0u);  // released before the device was restored
    EXPECT_EQ(countLit(), before);
    EXPECT_EQ(engine->keptTextures(), 1u);

    // A renderer of another kind in force draws nothing: the engine kind follows the last creation.
    context.kind = BackEndKind::OpenGl;  // as after a change of back end
    TextRenderer glyphs;
    EXPECT_FALSE(glyphs.create(engines, L"nosuchfont.ttf", 30));
    EXPECT_EQ(renderer.textWidth(), 0);
    context.kind = BackEndKind::Direct3D8;
}

}  // namespace
}  // namespace likenex::test
