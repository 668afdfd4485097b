// What both back ends must draw alike, read back from the back buffer before presenting.

#include "test_support/WinTestSupport.h"

namespace likenex::test {
namespace {

class BackendDrawing : public ::testing::TestWithParam<BackEndKind>, public RendererFixture {
protected:
    void SetUp() override { startBackEnd(GetParam()); }
    void TearDown() override { stopBackEnd(); }
};

TEST_P(BackendDrawing, ClearGivesBlackAndSaveRegionWritesAWholeBmp) {
    beginFrame();
    const std::wstring path = tempBmpPath();
    ASSERT_TRUE(painter.saveRegion(0, 0, kWidth, kHeight, path.c_str()));
    const auto bytes = readFile(path);
    DeleteFileW(path.c_str());
    const auto bmp = decodeBmp(bytes);
    ASSERT_TRUE(bmp);
    const std::uint32_t dataBytes = 4u * kWidth * kHeight;
    EXPECT_EQ(bytes.size(), 54u + dataBytes);
    EXPECT_EQ(bmp->fileSize, 54u + dataBytes);
    EXPECT_EQ(bmp->dataOffset, 54u);
    EXPECT_EQ(bmp->infoSize, 40u);
    EXPECT_EQ(bmp->height, kHeight);  // positive: bottom row first
    EXPECT_EQ(bmp->planes, 1);
    EXPECT_EQ(bmp->imageSize, dataBytes);
    EXPECT_PICTURE(*bmp, [](int, int) { return kBlack; });
    EXPECT_FALSE(painter.saveRegion(0, 0, 0, 10, tempBmpPath().c_str()));
    EXPECT_FALSE(painter.saveRegion(0, 0, 10, -1, tempBmpPath().c_str()));
    endFrame();
}

TEST_P(BackendDrawing, FillRectCoversExactlyItsRectangle) {
    beginFrame();
    setColour(kTeal);
    painter.fillRect(100, 50, 300, 200);
    setColour(kOrange);
    painter.fillRect(0, 530, 5, 537);  // the window's bottom-left corner
    EXPECT_PICTURE(captureRegion(0, 0, kWidth, kHeight), [](int x, int y) {
        if (inside(x, y, 100, 50, 300, 200)) return kTeal;
        return inside(x, y, 0, 530, 5, 537) ? kOrange : kBlack;
    });
    // A region of the window: the rectangle's corner at (10, 5) of it.
    EXPECT_PICTURE(captureRegion(90, 45, 30, 20),
                   [](int x, int y) { return inside(x, y, 10, 5, 30, 20) ? kTeal : kBlack; });
    endFrame();
}

TEST_P(BackendDrawing, LinesAndTrianglesCoverTheirPixels) {
    beginFrame();
    setColour(kOrange);
    painter.drawLine(200, 100, 200, 300);  // vertical: exactly column 200
    painter.drawLine(50, 400, 250, 400);   // on the edge between rows 399 and 400
    painter.fillTriangle(300, 100, 500, 100, 300, 300);
    const auto picture = captureRegion(0, 0, kWidth, kHeight);
    const int row = picture.at(150, 399) == kOrange ? 399 : 400;  // either side, but one whole row
    // Where the rasterisation rules of the two back ends may differ (the last two pixels of a
    // line's ends, the triangle's slanted edge) a pixel is either covered or not, in the
    // line's colour or black, never anything else.
    auto eitherWay = [&](int x, int y) -> std::uint32_t {
        const std::uint32_t got = picture.at(x, y);
        return got == kOrange ? kOrange : kBlack;
    };
    EXPECT_PICTURE(picture, [&](int x, int y) -> std::uint32_t {
        const int diagonal = x + y;  // the triangle's slanted edge is x + y = 600
        if (x == 200 && y >= 98 && y < 302) return y >= 102 && y < 298 ? kOrange : eitherWay(x, y);
        if (y == row && x >= 48 && x < 252) return x >= 52 && x < 248 ? kOrange : eitherWay(x, y);
        if (inside(x, y, 299, 99, 501, 301) && diagonal >= 598 && diagonal <= 601) return eitherWay(x, y);
        return inside(x, y, 300, 100, 500, 300) && diagonal < 599 ? kOrange : kBlack;
    });
    endFrame();
}

TEST_P(BackendDrawing, TextureShowsUprightAndReleasedOrZeroHandlesDrawNothing) {
    // Memory rows, bottom first: red, green; then blue, white. On screen blue and white are on top.
    const std::vector<std::uint8_t> pixels = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
    TextureHandle handle = 0, none = 0;
    ASSERT_EQ(painter.createTexture(&handle, 2, 2, pixels.data()), 0);
    EXPECT_TRUE(painter.isTexture(&handle));
    EXPECT_FALSE(painter.isTexture(&none));

    beginFrame();
    setColour(kWhite);  // textures are modulated by the colour
    painter.drawImage(&handle, 200, 100, 264, 164);
    painter.drawTexture(&none, 0, 0, 1, 1, 0, 0, kWidth, kHeight);
    EXPECT_PICTURE(captureRegion(0, 0, kWidth, kHeight), [](int x, int y) -> std::uint32_t {
        if (!inside(x, y, 200, 100, 264, 164)) return kBlack;
        if (y < 132) return x < 232 ? 0xFF0000FFu : kWhite;
        return x < 232 ? 0xFFFF0000u : 0xFF00FF00u;
    });
    endFrame();

    painter.releaseTexture(&handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(painter.isTexture(&handle));
    painter.releaseTexture(&handle);  // again: harmless
    beginFrame();
    painter.drawImage(&handle, 0, 0, 50, 50);
    EXPECT_PICTURE(captureRegion(0, 0, 60, 60), [](int, int) { return kBlack; });
    endFrame();
}

TEST_P(BackendDrawing, ClipLetsOnlyItsRectangleChange) {
    beginFrame();
    painter.setClip(ClipRect{10, 20, 110, 70});
    setColour(kTeal);
    painter.fillRect(0, 0, kWidth, kHeight);
    // Clips reaching outside the window keep pixels in place; wholly outside or empty ones
    // let nothing through.
    painter.setClip(ClipRect{-20, 500, 30, 600});
    painter.fillRect(0, 0, kWidth, kHeight);
    painter.setClip(ClipRect{700, 0, 800, 100});
    painter.fillRect(0, 0, kWidth, kHeight);
    painter.setClip(ClipRect{50, 50, 50, 80});
    painter.fillRect(0, 0, kWidth, kHeight);
    painter.resetClip();
    setColour(kOrange);
    painter.fillRect(300, 300, 310, 310);
    EXPECT_PICTURE(captureRegion(0, 0, kWidth, kHeight), [](int x, int y) {
        if (inside(x, y, 10, 20, 110, 70) || inside(x, y, 0, 500, 30, 537)) return kTeal;
        return inside(x, y, 300, 300, 310, 310) ? kOrange : kBlack;
    });
    endFrame();
}

TEST_P(BackendDrawing, LateCallsAfterStopAreHarmless) {
    const std::uint8_t white[4] = {255, 255, 255, 255};
    TextureHandle handle = 0;
    ASSERT_EQ(painter.createTexture(&handle, 1, 1, white), 0);
    stopRenderer(context);
    EXPECT_EQ(context.backEnd, nullptr);
    painter.releaseTexture(&handle);  // the painter outlives the stopped back end
    EXPECT_EQ(handle, 0u);
    painter.resize(100, 100);
    painter.clear();
    EXPECT_FALSE(painter.saveRegion(0, 0, 1, 1, tempBmpPath().c_str()));
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, BackendDrawing, ::testing::Values(BackEndKind::OpenGl, BackEndKind::Direct3D8),
                         [](const auto& info) { return info.param == BackEndKind::OpenGl ? "OpenGl" : "Direct3D8"; });

}  // namespace
}  // namespace likenex::test
