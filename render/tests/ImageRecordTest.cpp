#include "render/ImageRecord.h"
#include "render/Painter.h"
#include "test_support/RecordingRenderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace likenex {
namespace {

using testing::RecordingRenderer;

class ImageRecordTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::install(); }
    void TearDown() override { RecordingRenderer::uninstall(); }
    RecordingRenderer& renderer() { return RecordingRenderer::current(); }
    Painter& painter() { return RecordingRenderer::painter(); }
};

TEST_F(ImageRecordTest, DrawsAtThePointMovedByItsOffsetWithItsSize) {
    ImageRecord image;
    image.width = 10;
    image.height = 20;
    image.xOffset = -3;
    image.yOffset = 4;
    image.texture = 5;
    drawImageAt(painter(), image, 100, 50);
    image.texture = 0;
    drawImageAt(painter(), image, 100, 50);  // no texture: nothing drawn
    EXPECT_EQ(renderer().calls, std::vector<std::string>{"draw 5 97,54,107,74"});
}

TEST_F(ImageRecordTest, AssignmentSharesTheTextureAndKeepsTheTargetsPixels) {
    std::vector<std::uint8_t> pixels(16, 9);
    TextureHandle texture = makeTexture(painter(), 2, 2, pixels.data());
    ASSERT_NE(texture, 0u);

    ImageRecord source;
    source.layoutWidth = 11;
    source.layoutHeight = 12;
    source.width = 2;
    source.height = 2;
    source.texture = texture;
    source.xOffset = -1;
    source.yOffset = 3;
    source.rect = {1, 2, 3, 4};
    source.pixels = {1, 2, 3, 4};

    ImageRecord target;
    target.pixels = {7, 7, 7, 7, 7, 7, 7, 7};
    target = source;
    EXPECT_EQ(target.pixels, (std::vector<std::uint8_t>{7, 7, 7, 7, 7, 7, 7, 7}));
    EXPECT_EQ(target.texture, texture);
    EXPECT_EQ(target.layoutWidth, 11u);
    EXPECT_EQ(target.layoutHeight, 12u);
    EXPECT_EQ(target.width, 2);
    EXPECT_EQ(target.yOffset, 3);
    EXPECT_EQ(target.rect, (ImageRect{1, 2, 3, 4}));

    ImageRecord copy(source);
    EXPECT_TRUE(copy.pixels.empty());
    EXPECT_EQ(copy.texture, texture);

    target = std::move(source);  // a temporary on the right keeps the same rule
    EXPECT_EQ(target.pixels.size(), 8u);

    ImageRecord moved(std::move(target));  // a fresh record takes the pixels over
    EXPECT_EQ(moved.pixels.size(), 8u);

    EXPECT_TRUE(hasTexture(painter(), copy.texture));
    dropTexture(painter(), copy.texture);
    EXPECT_EQ(copy.texture, 0u);
    EXPECT_FALSE(hasTexture(painter(), moved.texture));  // same texture, released through the other copy
    EXPECT_EQ(moved.texture, texture);
}

TEST_F(ImageRecordTest, DestroyingARecordNeverReleasesItsTexture) {
    std::vector<std::uint8_t> pixels(4, 1);
    TextureHandle texture = makeTexture(painter(), 1, 1, pixels.data());
    {
        ImageRecord image;
        image.texture = texture;
        image.pixels = pixels;
    }
    EXPECT_TRUE(hasTexture(painter(), texture));
    EXPECT_EQ(renderer().released, 0);
}

TEST_F(ImageRecordTest, FailedCreationOrNoRendererGivesNoTexture) {
    std::vector<std::uint8_t> pixels(4, 1);
    renderer().failCreate = true;
    EXPECT_EQ(makeTexture(painter(), 1, 1, pixels.data()), 0u);
    RecordingRenderer::uninstall();
    EXPECT_EQ(makeTexture(painter(), 1, 1, pixels.data()), 0u);
    TextureHandle handle = 3;
    EXPECT_FALSE(hasTexture(painter(), handle));
    dropTexture(painter(), handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_TRUE(ImageRecord{}.empty());
}

}  // namespace
}  // namespace likenex
