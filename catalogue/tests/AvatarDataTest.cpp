#include "catalogue/AvatarData.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/tests/CatalogueTestData.h"
#include "test_support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace likenex {
namespace {

using testing::sampleCatalogue;
using testing::TempDirectory;

// A program directory holding a catalogue, a one-sprite archive and a colour table.
class AvatarDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.file("data"));
        ASSERT_TRUE(writeAvatarData(dir.path(), sampleCatalogue()));
        SpriteSource sprite;
        sprite.key = 1050000000;
        sprite.width = sprite.height = 1;
        sprite.pixels = {100, 100, 100, 255};
        ASSERT_TRUE(writeAvatarArchive(dir.path(), std::span<const SpriteSource>(&sprite, 1)));
        ColourSet set;
        ASSERT_TRUE(writeColourTable(dir.file("color.dat"), std::span<const ColourSet>(&set, 1)));
    }
    TempDirectory dir;
    Catalogue catalogue;
    ColourTables tables;
    AvatarArchive archive{tables};
};

TEST_F(AvatarDataTest, LoadsEveryPartOfACompleteDirectory) {
    ASSERT_TRUE(loadAvatarData(catalogue, archive, tables, dir.path()));
    EXPECT_EQ(catalogue.tables().items.size(), sampleCatalogue().items.size());
    EXPECT_EQ(catalogue.tables().bodyParts.size(), sampleCatalogue().bodyParts.size());
    EXPECT_TRUE(archive.isLoaded());
    EXPECT_EQ(tables.colour.size(), 1u);
}

TEST_F(AvatarDataTest, StopsAtTheArchiveWhenItIsMissing) {
    std::remove(dir.file("data/avatar.inx").c_str());
    EXPECT_FALSE(loadAvatarData(catalogue, archive, tables, dir.path()));
    EXPECT_FALSE(catalogue.tables().bodyParts.empty()) << "the steps before the archive ran";
    EXPECT_TRUE(tables.colour.empty()) << "the colour tables come after the archive";
    EXPECT_TRUE(catalogue.tables().items.empty()) << "the items come last";
}

TEST_F(AvatarDataTest, MissingCatalogueFailsFirst) {
    std::remove(dir.file("data/avatar.dat").c_str());
    EXPECT_FALSE(loadAvatarData(catalogue, archive, tables, dir.path()));
    EXPECT_FALSE(archive.isLoaded());
}

TEST_F(AvatarDataTest, EmptyOrOverlongDirectoryFailsAtOnce) {
    EXPECT_FALSE(loadAvatarData(catalogue, archive, tables, ""));
    EXPECT_FALSE(loadAvatarData(catalogue, archive, tables, std::string(500, 'd')));
    EXPECT_FALSE(archive.isLoaded());
}

}  // namespace
}  // namespace likenex
