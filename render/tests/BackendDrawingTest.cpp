// What both back ends must draw alike, read back from the back buffer before presenting.

#include "render/tests/WinTestSupport.h"

#include <array>

namespace likenex::test {
namespace {

constexpr std::uint32_t kTeal = 0xFF2090C0u;
constexpr std::uint32_t kOrange = 0xFFF08010u;

void setColour(std::uint32_t argb) { renderOps().setColour(Colour::fromPacked(argb)); }

class BackendDrawing : public ::testing::TestWithParam<BackEndKind>, public RendererFixture {
protected:
    void SetUp() override { startBackEnd(GetParam()); }
    void TearDown() override { stopBackEnd(); }

    static std::optional<DecodedBmp> captureWindow() { return captureRegion(0, 0, kWindowWidth, kWindowHeight); }
};

TEST_P(BackendDrawing, ClearGivesBlackAndTheSavedFileDescribesTheRegion) {
    beginFrame();
    const std::wstring path = tempBmpPath();
    ASSERT_TRUE(renderOps().saveRegion(0, 0, kWindowWidth, kWindowHeight, path.c_str()));
    const auto bytes = readFile(path);
    DeleteFileW(path.c_str());
    const auto picture = decodeBmp(bytes);
    ASSERT_TRUE(picture);
    const std::uint32_t dataBytes = 4u * kWindowWidth * kWindowHeight;
    EXPECT_EQ(bytes.size(), 54u + dataBytes);
    EXPECT_EQ(picture->fileSize, 54u + dataBytes);
    EXPECT_EQ(picture->reserved, 0u);
    EXPECT_EQ(picture->dataOffset, 54u);
    EXPECT_EQ(picture->infoSize, 40u);
    EXPECT_EQ(picture->width, kWindowWidth);
    EXPECT_EQ(picture->height, kWindowHeight);  // positive: bottom row first
    EXPECT_EQ(picture->planes, 1);
    EXPECT_EQ(picture->imageSize, dataBytes);
    const Mismatches m = compare(*picture, [](int, int) { return kBlack; });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, FillRectCoversExactlyItsRectangle) {
    beginFrame();
    setColour(kTeal);
    renderOps().fillRect(100, 50, 300, 200);
    setColour(kOrange);
    renderOps().fillRect(0, 530, 5, 537);  // touching the bottom-left corner of the window
    const auto picture = captureWindow();
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int x, int y) {
        if (inside(x, y, 100, 50, 300, 200)) return kTeal;
        if (inside(x, y, 0, 530, 5, 537)) return kOrange;
        return kBlack;
    });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, SaveRegionReadsTheRequestedPartOfTheWindow) {
    beginFrame();
    setColour(kTeal);
    renderOps().fillRect(110, 55, 120, 60);
    // x 100..130, y 50..70: the rectangle sits at (10, 5)-(20, 10) inside it.
    const auto picture = captureRegion(100, 50, 30, 20);
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int x, int y) { return inside(x, y, 10, 5, 20, 10) ? kTeal : kBlack; });
    EXPECT_EQ(m.count, 0u) << m.first;
    EXPECT_FALSE(renderOps().saveRegion(0, 0, 0, 10, tempBmpPath().c_str()));
    EXPECT_FALSE(renderOps().saveRegion(0, 0, 10, -1, tempBmpPath().c_str()));
    endFrame();
}

TEST_P(BackendDrawing, LinesRunAlongTheirPixels) {
    beginFrame();
    setColour(kOrange);
    renderOps().drawLine(200, 100, 200, 300);  // vertical: exactly column 200
    renderOps().drawLine(50, 400, 250, 400);   // horizontal, on the edge between rows 399 and 400
    const auto picture = captureWindow();
    ASSERT_TRUE(picture);
    for (int y = 110; y < 290; ++y) {
        EXPECT_EQ(picture->at(200, y), kOrange) << "row " << y;
        EXPECT_EQ(picture->at(199, y), kBlack) << "row " << y;
        EXPECT_EQ(picture->at(201, y), kBlack) << "row " << y;
    }
    // The horizontal line is one whole row, whichever side of the edge the rasteriser takes.
    const int row = picture->at(150, 399) == kOrange ? 399 : 400;
    for (int x = 60; x < 240; ++x) {
        EXPECT_EQ(picture->at(x, row), kOrange) << "column " << x;
        EXPECT_EQ(picture->at(x, 399 + 400 - row), kBlack) << "column " << x;
    }
    // Nothing outside the two lines' neighbourhoods.
    const Mismatches m = compare(*picture, [&](int x, int y) {
        if (inside(x, y, 199, 98, 202, 303) || inside(x, y, 48, 398, 253, 402)) return picture->at(x, y);
        return kBlack;
    });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, FillTriangleFillsTheInside) {
    beginFrame();
    setColour(kTeal);
    renderOps().fillTriangle(100, 100, 300, 100, 100, 300);
    const auto picture = captureWindow();
    ASSERT_TRUE(picture);
    // Away from the slanted edge x + y = 400 by more than a pixel, the answer is certain.
    const Mismatches m = compare(*picture, [&](int x, int y) {
        const float cx = x + 0.5f, cy = y + 0.5f;
        const bool nearEdge = cx + cy > 398.0f && cx + cy < 402.0f && x >= 99 && y >= 99 && x <= 301 && y <= 301;
        if (nearEdge) return picture->at(x, y);
        return inside(x, y, 100, 100, 300, 300) && cx + cy < 400.0f ? kTeal : kBlack;
    });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, TextureShowsUprightWithEachTexelOnItsQuadrant) {
    // Memory rows, bottom first: red, green; then blue, white. Seen on screen: blue and white
    // on top.
    const std::vector<std::uint8_t> pixels = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
    TextureHandle handle = 0;
    ASSERT_EQ(renderOps().createTexture(&handle, 2, 2, pixels.data()), 0);
    ASSERT_NE(handle, 0u);
    EXPECT_TRUE(renderOps().isTexture(&handle));

    beginFrame();
    setColour(0xFFFFFFFFu);  // the texture is modulated by the colour
    render::drawImage(&handle, 200, 100, 264, 164);
    const auto picture = captureWindow();
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int x, int y) -> std::uint32_t {
        if (!inside(x, y, 200, 100, 264, 164)) return kBlack;
        const bool top = y < 132, left = x < 232;
        if (top) return left ? 0xFF0000FFu : 0xFFFFFFFFu;
        return left ? 0xFFFF0000u : 0xFF00FF00u;
    });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
    renderOps().releaseTexture(&handle);
}

TEST_P(BackendDrawing, TexturePartsUseTheirCoordinates) {
    // 2 x 1 picture: left half red, right half green; draw only the right half, stretched.
    const std::vector<std::uint8_t> pixels = {0, 0, 255, 255, 0, 255, 0, 255};
    TextureHandle handle = 0;
    ASSERT_EQ(renderOps().createTexture(&handle, 2, 1, pixels.data()), 0);
    beginFrame();
    setColour(0xFFFFFFFFu);
    renderOps().drawTexture(&handle, 0.5f, 0.0f, 1.0f, 1.0f, 10, 10, 50, 30);
    const auto picture = captureRegion(0, 0, 64, 40);
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int x, int y) { return inside(x, y, 10, 10, 50, 30) ? 0xFF00FF00u : kBlack; });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
    renderOps().releaseTexture(&handle);
}

TEST_P(BackendDrawing, TextureAlphaBlendsOverWhatIsThere) {
    const std::vector<std::uint8_t> pixels = {255, 0, 0, 128};  // blue at alpha 128
    TextureHandle handle = 0;
    ASSERT_EQ(renderOps().createTexture(&handle, 1, 1, pixels.data()), 0);
    beginFrame();
    setColour(0xFFFF0000u);
    renderOps().fillRect(0, 0, 20, 20);
    setColour(0xFFFFFFFFu);
    render::drawImage(&handle, 0, 0, 20, 20);
    const auto picture = captureRegion(0, 0, 20, 20);
    ASSERT_TRUE(picture);
    // blue * 128/255 + red * 127/255, within one step of rounding.
    const std::uint32_t p = picture->at(10, 10);
    EXPECT_NEAR(static_cast<int>(p >> 16 & 0xFF), 127, 1);
    EXPECT_EQ(p >> 8 & 0xFF, 0u);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 128, 1);
    endFrame();
    renderOps().releaseTexture(&handle);
}

TEST_P(BackendDrawing, HandleZeroIsNoTextureAndDrawsNothing) {
    TextureHandle none = 0;
    EXPECT_FALSE(renderOps().isTexture(&none));
    beginFrame();
    setColour(0xFFFFFFFFu);
    renderOps().drawTexture(&none, 0, 0, 1, 1, 0, 0, kWindowWidth, kWindowHeight);
    render::drawImage(&none, 10, 10, 100, 100);
    const auto picture = captureWindow();
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int, int) { return kBlack; });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, ReleasedTextureIsGoneAndItsHandleZero) {
    const std::vector<std::uint8_t> white(4 * 4 * 4, 255);
    TextureHandle handle = 0;
    ASSERT_EQ(renderOps().createTexture(&handle, 4, 4, white.data()), 0);
    renderOps().releaseTexture(&handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(renderOps().isTexture(&handle));
    renderOps().releaseTexture(&handle);  // twice is harmless
    renderOps().releaseTexture(nullptr);
    EXPECT_EQ(handle, 0u);

    beginFrame();
    setColour(0xFFFFFFFFu);
    render::drawImage(&handle, 0, 0, 50, 50);
    const auto picture = captureRegion(0, 0, 60, 60);
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int, int) { return kBlack; });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, CreateTextureRefusesNonsenseAndLeavesTheHandle) {
    const std::uint8_t pixel[4] = {1, 2, 3, 4};
    TextureHandle handle = 0;
    EXPECT_NE(renderOps().createTexture(&handle, 0, 1, pixel), 0);
    EXPECT_NE(renderOps().createTexture(&handle, 1, -1, pixel), 0);
    EXPECT_NE(renderOps().createTexture(&handle, 1, 1, nullptr), 0);
    EXPECT_NE(renderOps().createTexture(nullptr, 1, 1, pixel), 0);
    EXPECT_EQ(handle, 0u);
}

TEST_P(BackendDrawing, ClipLetsOnlyItsRectangleChange) {
    beginFrame();
    renderOps().setClip(ClipRect{10, 20, 110, 70});
    setColour(kTeal);
    renderOps().fillRect(0, 0, kWindowWidth, kWindowHeight);
    setColour(0xFFFFFFFFu);
    renderOps().drawLine(0, 45, kWindowWidth, 45);
    renderOps().resetClip();
    setColour(kOrange);
    renderOps().fillRect(300, 300, 310, 310);  // after resetClip the whole window is open again
    const auto picture = captureWindow();
    ASSERT_TRUE(picture);
    const int lineRow = picture->at(50, 44) == 0xFFFFFFFFu ? 44 : 45;
    const Mismatches m = compare(*picture, [&](int x, int y) {
        if (inside(x, y, 10, 20, 110, 70)) return y == lineRow ? 0xFFFFFFFFu : kTeal;
        if (inside(x, y, 300, 300, 310, 310)) return kOrange;
        return kBlack;
    });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, ClipReachingOutsideTheWindowKeepsPixelsInPlace) {
    beginFrame();
    renderOps().setClip(ClipRect{-20, 500, 30, 600});
    setColour(kTeal);
    renderOps().fillRect(0, 0, kWindowWidth, kWindowHeight);
    setColour(kOrange);
    renderOps().fillRect(5, 520, 10, 525);
    renderOps().setClip(ClipRect{700, 0, 800, 100});  // wholly outside: nothing is drawn
    renderOps().fillRect(0, 0, kWindowWidth, kWindowHeight);
    renderOps().setClip(ClipRect{50, 50, 50, 80});  // empty
    renderOps().fillRect(0, 0, kWindowWidth, kWindowHeight);
    renderOps().resetClip();
    const auto picture = captureWindow();
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int x, int y) {
        if (inside(x, y, 5, 520, 10, 525)) return kOrange;
        if (inside(x, y, 0, 500, 30, 537)) return kTeal;
        return kBlack;
    });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
}

TEST_P(BackendDrawing, FramesCanBeDrawnOneAfterAnother) {
    for (std::uint32_t colour : {kTeal, kOrange}) {
        beginFrame();
        setColour(colour);
        renderOps().fillRect(0, 0, 10, 10);
        const auto picture = captureRegion(0, 0, 12, 12);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->at(5, 5), colour);
        EXPECT_EQ(picture->at(11, 11), kBlack);
        endFrame();
    }
}

TEST_P(BackendDrawing, LateReleaseAfterStopIsHarmless) {
    const std::vector<std::uint8_t> white(4, 255);
    TextureHandle handle = 0;
    ASSERT_EQ(renderOps().createTexture(&handle, 1, 1, white.data()), 0);
    stopRenderer(context);
    EXPECT_EQ(context.backEnd, nullptr);
    // The table still holds the stopped back end's entries.
    ASSERT_NE(renderOps().releaseTexture, nullptr);
    renderOps().releaseTexture(&handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(renderOps().isTexture(&handle));
    renderOps().resize(100, 100);
    renderOps().clear();
    EXPECT_FALSE(renderOps().saveRegion(0, 0, 1, 1, tempBmpPath().c_str()));
    stopRenderer(context);  // twice is harmless
}

TEST_P(BackendDrawing, StartingASecondBackEndLeavesTheFirstInCharge) {
    const RenderOps before = renderOps();
    RenderContext other;
    EXPECT_FALSE(startRenderer(window.get(), BackEndKind::OpenGl, other));
    EXPECT_EQ(other.backEnd, nullptr);
    EXPECT_EQ(renderOps().fillRect, before.fillRect);
    stopRenderer(other);  // names no running back end: does nothing
    beginFrame();
    setColour(kTeal);
    renderOps().fillRect(0, 0, 4, 4);
    const auto picture = captureRegion(0, 0, 4, 4);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->at(2, 2), kTeal);
    endFrame();
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, BackendDrawing, ::testing::Values(BackEndKind::OpenGl, BackEndKind::Direct3D8),
                         [](const auto& info) { return std::string(backEndName(info.param)); });

}  // namespace
}  // namespace likenex::test
