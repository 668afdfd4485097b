#include "test_support/ArchiveTestSupport.h"
#include "test_support/RecordingRenderer.h"
#include "ui/InterfaceArchive.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace likenex {
namespace {

using testing::Bytes;
using testing::RecordingRenderer;
using testing::TempDirectory;
using Pixels = std::vector<std::uint8_t>;

SkinImageSource picture(std::uint32_t id, std::uint32_t layoutWidth, std::uint32_t layoutHeight, std::uint32_t texW,
                        std::uint32_t texH) {
    SkinImageSource s{id, layoutWidth, layoutHeight, texW, texH, {}};
    for (std::uint32_t i = 0; i < texW * texH * 4; ++i) s.pixels.push_back(static_cast<std::uint8_t>(id * 7 + i));
    return s;
}

class InterfaceArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::install(); }
    void TearDown() override { RecordingRenderer::uninstall(); }
    RecordingRenderer& renderer() { return RecordingRenderer::current(); }

    void writePictures(const std::vector<SkinImageSource>& pictures) {
        ASSERT_TRUE(writeInterfaceArchive(dir.path(), pictures));
        ASSERT_TRUE(archive.loadInterfaceArchive(dir.path()));
    }
    void writeRaw(const Bytes& index, const Bytes& data) {
        dir.write("data/inter.inx", index.data);
        dir.write("data/inter.dat", data.data);
        ASSERT_TRUE(archive.loadInterfaceArchive(dir.path()));
    }

    TempDirectory dir;
    InterfaceArchive archive{RecordingRenderer::painter()};
};

TEST_F(InterfaceArchiveTest, PicturesComeBackWithTheirSizesAndStoredPixels) {
    std::vector<SkinImageSource> pictures{picture(14004001, 30, 40, 3, 2), picture(1001001, 9, 9, 1, 4),
                                          picture(0xFFFFFFF0u, 0, 0, 2, 2)};
    writePictures(pictures);
    std::vector<std::uint32_t> order;
    for (const auto& [id, entry] : archive.index()) order.push_back(id);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{1001001, 14004001, 0xFFFFFFF0u}));  // unsigned order

    for (const SkinImageSource& source : pictures) {
        SkinImage image;
        ASSERT_TRUE(archive.getImage(source.skinIdentifier, image));
        EXPECT_EQ(image.layoutWidth, source.layoutWidth);
        EXPECT_EQ(image.layoutHeight, source.layoutHeight);
        EXPECT_EQ(image.width, static_cast<std::int32_t>(source.texW));
        EXPECT_EQ(image.height, static_cast<std::int32_t>(source.texH));
        EXPECT_EQ(image.xOffset, 0);
        EXPECT_EQ(image.yOffset, 0);
        EXPECT_EQ(image.rect, (ImageRect{0, 0, image.width, image.height}));
        EXPECT_TRUE(image.pixels.empty());
        ASSERT_EQ(renderer().live.count(image.texture), 1u);
        // The stored rows go to the renderer as they are: bottom row first, like the texture.
        EXPECT_EQ(renderer().live[image.texture].pixels, source.pixels);
    }
}

TEST_F(InterfaceArchiveTest, RepeatedRequestsShareOneTextureAndCopiesAreIndependent) {
    writePictures({picture(7001001, 5, 6, 2, 3)});
    SkinImage first, second, third;
    ASSERT_TRUE(archive.getImage(7001001, first));
    first.rect = {10, 10, 20, 20};
    ASSERT_TRUE(archive.getImage(7001001, second));
    EXPECT_EQ(second.texture, first.texture);
    EXPECT_EQ(second.rect, (ImageRect{0, 0, 2, 3}));
    second.pixels = {1, 2, 3};
    ASSERT_TRUE(archive.getImage(7001001, second));  // the caller's pixel array stays
    EXPECT_EQ(second.pixels, (Pixels{1, 2, 3}));
    EXPECT_EQ(renderer().created, 1);
    EXPECT_EQ(archive.cachedImageCount(), 1u);

    // A texture lost behind the cache's back is made again.
    TextureHandle lost = first.texture;
    RecordingRenderer::painter().releaseTexture(&lost);
    ASSERT_TRUE(archive.getImage(7001001, third));
    EXPECT_NE(third.texture, first.texture);
    EXPECT_EQ(renderer().live.count(third.texture), 1u);
}

TEST_F(InterfaceArchiveTest, AFailedTextureIsHandedOutWithoutOneAndTriedAgain) {
    writePictures({picture(2001001, 5, 6, 2, 3)});
    renderer().failCreate = true;
    SkinImage image;
    ASSERT_TRUE(archive.getImage(2001001, image));
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(archive.cachedImageCount(), 0u);
    renderer().failCreate = false;
    ASSERT_TRUE(archive.getImage(2001001, image));
    EXPECT_NE(image.texture, 0u);
}

TEST_F(InterfaceArchiveTest, TheFirstEntryOfAnIdentifierWins) {
    Bytes data;
    data.u32(1).u32(1).u32(1).u32(1).pixel(1, 1, 1, 1);
    data.u32(2).u32(2).u32(1).u32(1).pixel(2, 2, 2, 2);
    Bytes index;
    index.u32(2).u32(99).u32(20).u32(20).u32(99).u32(0).u32(20);
    writeRaw(index, data);
    SkinImage image;
    ASSERT_TRUE(archive.getImage(99, image));
    EXPECT_EQ(image.layoutWidth, 2u);
    EXPECT_EQ(renderer().live[image.texture].pixels, (Pixels{2, 2, 2, 2}));
}

TEST_F(InterfaceArchiveTest, RecordsOutsideTheDataFileAndUnknownIdentifiersAreRefused) {
    Bytes data;
    data.u32(1).u32(1).u32(1).u32(1).pixel(1, 1, 1, 1);            // good, at 0
    data.u32(1).u32(1).u32(0x80000000u).u32(2).pixel(1, 1, 1, 1);  // at 20: a side too wide
    data.u32(1).u32(1).u32(0x7FFFFFFFu).u32(0x7FFFFFFFu);          // at 40: 4*W*H wraps in 32 bits
    data.u32(1).u32(1).u32(2).u32(2).pixel(1, 1, 1, 1);            // at 56: claims 4 pixels, the file ends
    const auto total = static_cast<std::uint32_t>(data.data.size());
    data.u32(1).u32(1);  // a header cut short
    Bytes index;
    index.u32(7).u32(1).u32(0).u32(20).u32(2).u32(20).u32(20).u32(3).u32(40).u32(16).u32(4).u32(56).u32(32);
    index.u32(5).u32(total).u32(16).u32(6).u32(total + 8).u32(0).u32(7).u32(0xFFFFFFF8u).u32(0);
    writeRaw(index, data);

    SkinImage good;
    ASSERT_TRUE(archive.getImage(1, good));
    for (std::uint32_t id : {2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
        SkinImage image;
        image.layoutWidth = 77;
        EXPECT_FALSE(archive.getImage(id, image)) << id;
        EXPECT_EQ(image.layoutWidth, 77u);
        EXPECT_EQ(image.texture, 0u);
    }
    EXPECT_EQ(renderer().created, 1);
}

TEST_F(InterfaceArchiveTest, LoadingFailsWithoutItsFilesAndWorksReadOnly) {
    writePictures({picture(1, 1, 1, 1, 1)});
    {
        const testing::ReadOnlyFolder readOnly(dir.path());
        ASSERT_EQ(readOnly.failure(), "");
        InterfaceArchive other(RecordingRenderer::painter());
        EXPECT_TRUE(other.loadInterfaceArchive(dir.path()));
    }

    // (Windows cannot delete a mapped file: the broken installs are other folders.)
    TempDirectory noData, noIndex, shortIndex;
    noData.write("data/inter.inx", Bytes{}.u32(0).data);
    EXPECT_FALSE(archive.loadInterfaceArchive(noData.path()));
    EXPECT_TRUE(archive.index().empty());
    EXPECT_FALSE(archive.isLoaded());
    noIndex.write("data/inter.dat", {});
    EXPECT_FALSE(archive.loadInterfaceArchive(noIndex.path()));
    shortIndex.write("data/inter.inx", {0, 0});
    shortIndex.write("data/inter.dat", {0});
    EXPECT_FALSE(archive.loadInterfaceArchive(shortIndex.path()));
    // An empty data file is a broken install, as Windows cannot map it.
    TempDirectory emptyData;
    emptyData.write("data/inter.inx", Bytes{}.u32(0).data);
    emptyData.write("data/inter.dat", {});
    EXPECT_FALSE(archive.loadInterfaceArchive(emptyData.path()));
    EXPECT_FALSE(archive.isLoaded());
    EXPECT_FALSE(archive.loadInterfaceArchive(std::string(500, 'd')));
}

TEST_F(InterfaceArchiveTest, ReleaseDropsEveryCachedTextureAndTheIndex) {
    writePictures({picture(1, 1, 1, 1, 1), picture(2, 1, 1, 2, 1), picture(3, 1, 1, 1, 1)});
    SkinImage image;
    ASSERT_TRUE(archive.getImage(1, image));
    ASSERT_TRUE(archive.getImage(2, image));
    ASSERT_TRUE(archive.getImage(2, image));
    archive.releaseInterfaceArchive();
    EXPECT_EQ(renderer().released, 2);
    EXPECT_TRUE(renderer().live.empty());
    EXPECT_FALSE(archive.isLoaded());
    EXPECT_FALSE(archive.getImage(3, image));
    archive.releaseInterfaceArchive();  // a second release is harmless
    EXPECT_EQ(renderer().released, 2);
}

TEST_F(InterfaceArchiveTest, TheWriterRefusesPixelsThatDoNotMatchTheSize) {
    SkinImageSource lying = picture(1, 1, 1, 2, 2);
    lying.pixels.pop_back();
    EXPECT_FALSE(encodeInterfaceArchive(std::vector<SkinImageSource>{lying}).has_value());
    auto files = encodeInterfaceArchive(std::vector<SkinImageSource>{picture(5, 1, 1, 1, 1), picture(6, 1, 1, 2, 1)});
    ASSERT_TRUE(files.has_value());
    ArchiveIndex<std::uint32_t> index;
    ASSERT_TRUE(parseArchiveIndex(std::span<const std::uint8_t>(files->index), index));
    EXPECT_EQ(index.at(6), (ArchiveEntry{20, 24}));  // the size word covers the whole record
    EXPECT_EQ(files->data.size(), 44u);
}

}  // namespace
}  // namespace likenex
