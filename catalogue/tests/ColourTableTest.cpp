#include "catalogue/ColourTable.h"
#include "test_support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace likenex {
namespace {

using testing::Bytes;
using testing::TempDirectory;

ColourSet setOf(std::uint32_t base) {
    ColourSet set;
    for (std::uint32_t j = 0; j < 6; ++j)
        for (std::uint32_t k = 0; k < 3; ++k) set.colours[j][k] = base + 3 * j + k;
    return set;
}

TEST(ColourTableTest, RecordNumbersArePositionsAndCountZeroIsEmpty) {
    std::vector<ColourSet> sets{setOf(900), setOf(1), setOf(500)};
    ColourTable table;
    table.parse(encodeColourTable(sets));
    ASSERT_EQ(table.size(), 3u);
    for (std::int32_t i = 0; i < 3; ++i) {
        ASSERT_NE(table.find(i), nullptr);
        EXPECT_EQ(*table.find(i), sets[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(table.find(3), nullptr);
    EXPECT_EQ(table.find(-1), nullptr);

    table.parse(Bytes{}.u32(0).data);
    EXPECT_TRUE(table.empty());
}

TEST(ColourTableTest, TheFileLayoutIsRedGreenBluePerColour) {
    Bytes file;
    file.u32(1);
    for (std::uint32_t v = 0; v < 18; ++v) file.u32(v * 10);
    ColourTable table;
    table.parse(file.data);
    ASSERT_NE(table.find(0), nullptr);
    EXPECT_EQ(table.find(0)->colours[0], (std::array<std::uint32_t, 3>{0, 10, 20}));
    EXPECT_EQ(table.find(0)->colours[5], (std::array<std::uint32_t, 3>{150, 160, 170}));
}

TEST(ColourTableTest, OnlyCompleteRecordsOfAShortFileAreUsed) {
    std::vector<ColourSet> sets{setOf(1), setOf(2)};
    auto bytes = encodeColourTable(sets);
    bytes[0] = 0xFF;  // claims 255 + 4 bytes worth of records
    bytes[1] = bytes[2] = bytes[3] = 0xFF;
    bytes.resize(bytes.size() - 5);  // the second record is cut short
    ColourTable table;
    table.parse(bytes);
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(*table.find(0), sets[0]);

    table.parse(std::vector<std::uint8_t>{1, 0});  // not even a count
    EXPECT_TRUE(table.empty());
}

TEST(ColourTableTest, AMissingFileLeavesItsTableAndTheOthersStillLoad) {
    TempDirectory dir;
    std::vector<ColourSet> colours{setOf(10), setOf(20)}, walls{setOf(30)};
    dir.write("color.dat", encodeColourTable(colours));
    dir.write("wall.dat", encodeColourTable(walls));
    ColourTables tables;
    std::vector<ColourSet> earlierSkins{setOf(77)};
    tables.skin.parse(encodeColourTable(earlierSkins));
    tables.colour.parse(encodeColourTable(walls));  // replaced by the file

    loadColourTables(tables, dir.path());
    EXPECT_EQ(tables.colour.size(), 2u);
    EXPECT_EQ(*tables.colour.find(1), colours[1]);
    ASSERT_EQ(tables.skin.size(), 1u);
    EXPECT_EQ(*tables.skin.find(0), earlierSkins[0]);
    EXPECT_EQ(*tables.wall.find(0), walls[0]);

    EXPECT_EQ(tables.forKind(0), &tables.colour);
    EXPECT_EQ(tables.forKind(1), &tables.skin);
    EXPECT_EQ(tables.forKind(2), nullptr);  // the wall table has no colour kind
    EXPECT_EQ(tables.forKind(-1), nullptr);
}

TEST(ColourTableTest, WriterAndLoaderRoundTripThroughFiles) {
    TempDirectory dir;
    std::vector<ColourSet> skins{setOf(0), setOf(256), setOf(0xFFFFFFF0u)};
    ASSERT_TRUE(writeColourTable(dir.file("skin.dat"), skins));
    ColourTables tables;
    loadColourTables(tables, dir.path());
    ASSERT_EQ(tables.skin.size(), 3u);
    for (std::int32_t i = 0; i < 3; ++i) EXPECT_EQ(*tables.skin.find(i), skins[static_cast<std::size_t>(i)]);
    EXPECT_TRUE(tables.colour.empty());

    ColourTables untouched;
    loadColourTables(untouched, std::string(500, 'a'));  // too long for the loaders
    EXPECT_TRUE(untouched.skin.empty());
}

}  // namespace
}  // namespace likenex
