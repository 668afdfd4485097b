#include "catalogue/ByteIo.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/DataFiles.h"
#include "catalogue/tests/CatalogueTestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace likenex {
namespace {

using testing::sampleCatalogue;
using testing::TempProgramDirectory;

std::vector<std::uint8_t> encode(const CatalogueTables& t) {
    auto bytes = encodeAvatarData(t);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or(std::vector<std::uint8_t>{});
}

// Loads all three sections; each result separately.
struct LoadResults {
    bool section1, bodyParts, items;
};
LoadResults readAll(Catalogue& c, std::span<const std::uint8_t> file) {
    LoadResults r;
    r.section1 = c.readCatalogueSection1(file);
    r.bodyParts = c.readBodyParts(file);
    r.items = c.readItems(file);
    return r;
}

std::uint32_t headerWord(const std::vector<std::uint8_t>& file, int i) {
    ByteReader r(file);
    r.seek(4 * static_cast<std::uint64_t>(i));
    return r.u32();
}

void putU32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

template <typename T>
bool isPrefix(const std::vector<T>& part, const std::vector<T>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// ---- Layout: a file built by hand, byte by byte, independent of the writer ----

TEST(CatalogueLayout, ReadsAHandBuiltFileFieldByField) {
    ByteWriter w;
    w.u32(0);  // offsets patched below
    w.u32(0);
    w.u32(0);
    // Section 2 first in the file: sections may come in any order.
    w.patchU32(4, static_cast<std::uint32_t>(w.size()));
    w.i32(1);
    w.i32(4);          // body layer
    w.i32(-2);         // kept
    w.u8(0x11);        // kept
    w.u8(0xaa);        // gap
    w.u8(0xbb);
    w.u8(0xcc);
    w.i32(37);         // style
    w.i32(9000);       // list value
    w.u8(0x21);
    w.u8(0x22);
    w.u16(0xfffe);     // identifier, unsigned
    // Section 1.
    w.patchU32(0, static_cast<std::uint32_t>(w.size()));
    w.i32(1);
    w.i32(2);  // face layer
    w.i32(55);
    w.u8(3);
    w.u8(1);
    w.u8(2);
    w.u8(3);
    w.i32(-1);
    w.i32(1);          // one action
    w.i32(70);         // first value
    w.i32(1);          // one frame
    w.u8(0xf0);        // flag byte
    w.i32(123456);     // display value
    w.u16(0x1234);     // low half-word
    w.u16(40000);      // identifier
    w.i32(250);        // duration
    w.i32(3);          // direction offset
    w.i32(-4);         // third value
    w.i32(2);          // m: comes before the ten layer entries
    for (int v = 0; v < 10; ++v)
        for (int word = 0; word < 5; ++word) w.i32(v * 10 + word);
    for (int i = 0; i < 2; ++i) {
        w.i32(1001 + i);
        w.i32(-1);
        w.i32(12);
        w.i32(-13);
        w.u32(0x80u | static_cast<std::uint32_t>(i));
    }
    // Section 3.
    w.patchU32(8, static_cast<std::uint32_t>(w.size()));
    w.i32(1);
    for (int word = 0; word < 7; ++word) w.i32(100 + word);
    w.u8(2);
    w.u8(0xd1);
    w.u8(0xd2);
    w.u8(0xd3);
    w.i32(-77);
    w.u8(0x36);
    w.u8(0x37);
    w.u16(6050);

    Catalogue c;
    LoadResults r = readAll(c, w.bytes());
    ASSERT_TRUE(r.section1 && r.bodyParts && r.items);

    ASSERT_EQ(c.layerOptions().size(), 1u);
    EXPECT_EQ(c.layerOptions()[0], (LayerOption{2, 55, 3, {1, 2, 3}, -1}));

    ASSERT_EQ(c.actions().size(), 1u);
    const Action& a = c.actions()[0];
    EXPECT_EQ(a.firstValue, 70);
    EXPECT_EQ(a.flagByte, 0xf0);
    EXPECT_EQ(a.displayValue, 123456);
    EXPECT_EQ(a.lowHalfWord, 0x1234);
    EXPECT_EQ(a.identifier, 40000);
    ASSERT_EQ(a.frames.size(), 1u);
    const ActionFrame& f = a.frames[0];
    EXPECT_EQ(f.duration, 250);
    EXPECT_EQ(f.directionOffset, 3);
    EXPECT_EQ(f.thirdValue, -4);
    EXPECT_EQ(f.layers[0], (LayerEntry{0, 1, 2, 3, 4}));
    EXPECT_EQ(f.layers[9], (LayerEntry{90, 91, 92, 93, 94}));
    ASSERT_EQ(f.images.size(), 2u);
    EXPECT_EQ(f.images[1], (FrameImage{1002, -1, 12, -13, 0x81}));

    ASSERT_EQ(c.bodyParts().size(), 1u);
    EXPECT_EQ(c.bodyParts()[0], (BodyPart{4, -2, 0x11, {0xaa, 0xbb, 0xcc}, 37, 9000, 0x21, 0x22, 0xfffe}));

    ASSERT_EQ(c.items().size(), 1u);
    EXPECT_EQ(c.items()[0], (Item{100, 101, 102, 103, 104, 105, 106, 2, {0xd1, 0xd2, 0xd3}, -77, 0x36, 0x37, 6050}));

    // The writer puts the same records in the same shapes: a record-for-record rewrite
    // reads back equal (the sections' order in the file is the writer's own).
    Catalogue again;
    auto rewritten = encode(c.tables());
    LoadResults r2 = readAll(again, rewritten);
    ASSERT_TRUE(r2.section1 && r2.bodyParts && r2.items);
    EXPECT_EQ(again.tables(), c.tables());
    EXPECT_EQ(rewritten.size(), w.size());
}

// ---- Writer and reader together ----

TEST(CatalogueRoundTrip, WriterAndReaderAreInverse) {
    CatalogueTables original = sampleCatalogue();
    std::vector<std::uint8_t> file = encode(original);
    EXPECT_EQ(headerWord(file, 0), 12u);

    Catalogue c;
    LoadResults r = readAll(c, file);
    ASSERT_TRUE(r.section1 && r.bodyParts && r.items);
    EXPECT_EQ(c.tables(), original);
    EXPECT_EQ(encode(c.tables()), file);

    // Section sizes follow the record sizes exactly.
    std::size_t section1Size = 4 + 3 * kLayerOptionSize + 4 + 2 * kActionHeadSize +
        2 * (kFrameHeadSize + 10 * kLayerEntrySize) + 3 * kFrameImageSize;
    EXPECT_EQ(headerWord(file, 1), 12 + section1Size);
    EXPECT_EQ(headerWord(file, 2), headerWord(file, 1) + 4 + 2 * kBodyPartSize);
    EXPECT_EQ(file.size(), headerWord(file, 2) + 4 + 2 * kItemSize);
}

TEST(CatalogueRoundTrip, EmptyTables) {
    std::vector<std::uint8_t> file = encode(CatalogueTables{});
    EXPECT_EQ(file.size(), 12u + 4 * 4);
    Catalogue c;
    c.replaceTables(sampleCatalogue());
    LoadResults r = readAll(c, file);
    ASSERT_TRUE(r.section1 && r.bodyParts && r.items);
    EXPECT_EQ(c.tables(), CatalogueTables{});
}

TEST(CatalogueFiles, LoadsFromTheProgramDirectory) {
    TempProgramDirectory dir;
    ASSERT_TRUE(writeAvatarData(dir.path(), sampleCatalogue()));
    Catalogue c;
    EXPECT_TRUE(c.loadCatalogueSection1(dir.path()));
    EXPECT_TRUE(c.loadBodyParts(dir.path()));
    EXPECT_TRUE(c.loadItems(dir.path()));
    EXPECT_EQ(c.tables(), sampleCatalogue());
}

TEST(CatalogueFiles, MissingFileOrUnusableDirectoryFailsAndKeepsTheTables) {
    TempProgramDirectory dir;
    Catalogue c;
    c.replaceTables(sampleCatalogue());
    EXPECT_FALSE(c.loadCatalogueSection1(dir.path()));
    EXPECT_FALSE(c.loadBodyParts(dir.path()));
    EXPECT_FALSE(c.loadItems(dir.path()));
    EXPECT_FALSE(c.loadCatalogueSection1(""));

    // 500 characters or more never reach the file system.
    ASSERT_TRUE(writeAvatarData(dir.path(), CatalogueTables{}));
    std::string longDir = dir.path();
    while (longDir.size() < kMaxProgramDirectoryLength + 1) longDir += "/.";
    longDir.resize(kMaxProgramDirectoryLength + 1);
    if (longDir.back() == '/') longDir.back() = '.';
    EXPECT_FALSE(c.loadCatalogueSection1(longDir));
    EXPECT_FALSE(c.loadItems(longDir + "/."));
    EXPECT_FALSE(writeAvatarData(longDir, CatalogueTables{}));
    EXPECT_EQ(c.tables(), sampleCatalogue());
}

// ---- Finds ----

class CatalogueFinds : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogueTables t = sampleCatalogue();
        t.items.push_back({1, 5, 0, 0, 0, 0, 0, 1, {}, 0, 0, 0, 0});     // identifier 0
        t.items.push_back({2, 4, 0, 0, 0, 0, 0, 1, {}, 0, 0, 0, 2001});  // a later 2001
        t.bodyParts.push_back({5, 0, 0, {}, 0, 0, 0, 0, 0});
        t.layerOptions.push_back({1, 13, 2, {}, 999});  // offered twin of the withdrawn 13
        t.layerOptions.push_back({1, 11, 2, {}, 998});  // later twin of an offered option
        Action again;
        again.identifier = 4020;
        again.firstValue = -1;
        t.actions.push_back(again);
        c.replaceTables(t);
    }
    Catalogue c;
};

TEST_F(CatalogueFinds, TheFirstRecordInFileOrderWins) {
    const Item* item = c.findItem(2001);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->category, 2);
    EXPECT_EQ(item, &c.items()[1]);

    const Action* action = c.findAction(4020);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->firstValue, 7);

    const LayerOption* option = c.findLayerOption(11, 1);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->screenValue, 101);
}

TEST_F(CatalogueFinds, IdentifiersBelowOneFindNothing) {
    EXPECT_EQ(c.findItem(0), nullptr);
    EXPECT_EQ(c.findItem(-5), nullptr);
    EXPECT_EQ(c.findBodyPart(0), nullptr);
    EXPECT_EQ(c.findBodyPart(-5), nullptr);
    EXPECT_NE(c.findBodyPart(301), nullptr);
    // Identifiers are 16-bit in the file; a wider number matches none of them.
    EXPECT_EQ(c.findItem(2001 + 65536), nullptr);
    EXPECT_EQ(c.findItem(999), nullptr);
    EXPECT_EQ(c.findAction(1), nullptr);
}

TEST_F(CatalogueFinds, WithdrawnOptionsStayInTheTableButAreNeverFound) {
    const LayerOption* option = c.findLayerOption(13, 1);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->screenValue, 999);  // the withdrawn first one is passed over
    EXPECT_EQ(c.layerOptions()[2].availability, 0);

    EXPECT_EQ(c.findLayerOption(11, 2), nullptr);  // wrong face layer
    EXPECT_NE(c.findLayerOption(12, 2), nullptr);
}

TEST_F(CatalogueFinds, TheFaceLayerIsComparedAsASignedByte) {
    EXPECT_EQ(c.findLayerOption(11, 257), c.findLayerOption(11, 1));
    EXPECT_EQ(c.findLayerOption(11, -255), c.findLayerOption(11, 1));
    EXPECT_EQ(c.findLayerOption(12, 258), c.findLayerOption(12, 2));
    EXPECT_EQ(c.findLayerOption(11, 256 + 2), nullptr);
}

TEST_F(CatalogueFinds, AnActionWithoutFramesIsFoundAndHasNone) {
    const Action* still = c.findAction(4046);
    ASSERT_NE(still, nullptr);
    EXPECT_TRUE(still->frames.empty());
}

// ---- Short and hostile files ----

TEST(CatalogueHostile, EveryTruncationKeepsOnlyCompleteRecords) {
    const CatalogueTables whole = sampleCatalogue();
    const std::vector<std::uint8_t> file = encode(whole);
    for (std::size_t length = 0; length <= file.size(); ++length) {
        SCOPED_TRACE(length);
        std::span<const std::uint8_t> cut(file.data(), length);
        Catalogue c;
        LoadResults r = readAll(c, cut);
        // A loader fails exactly when its header word or its section start is missing.
        EXPECT_EQ(r.section1, length >= 4 && headerWord(file, 0) <= length);
        EXPECT_EQ(r.bodyParts, length >= 8 && headerWord(file, 1) <= length);
        EXPECT_EQ(r.items, length >= 12 && headerWord(file, 2) <= length);
        EXPECT_TRUE(isPrefix(c.layerOptions(), whole.layerOptions));
        EXPECT_TRUE(isPrefix(c.actions(), whole.actions));
        EXPECT_TRUE(isPrefix(c.bodyParts(), whole.bodyParts));
        EXPECT_TRUE(isPrefix(c.items(), whole.items));
    }
    // Cutting the last byte of the last item drops just that item.
    Catalogue c;
    ASSERT_TRUE(c.readItems(std::span(file.data(), file.size() - 1)));
    EXPECT_EQ(c.items().size(), whole.items.size() - 1);
}

TEST(CatalogueHostile, ASectionOffsetPastTheEndFailsAndKeepsTheTables) {
    std::vector<std::uint8_t> file = encode(sampleCatalogue());
    for (std::uint32_t offset : {static_cast<std::uint32_t>(file.size() + 1), 0x7fffffffu, 0x80000000u, 0xffffffffu}) {
        SCOPED_TRACE(offset);
        std::vector<std::uint8_t> bad = file;
        for (int i = 0; i < 3; ++i) putU32(bad, 4 * static_cast<std::size_t>(i), offset);
        Catalogue c;
        c.replaceTables(sampleCatalogue());
        LoadResults r = readAll(c, bad);
        EXPECT_FALSE(r.section1 || r.bodyParts || r.items);
        EXPECT_EQ(c.tables(), sampleCatalogue());
    }
    // An offset exactly at the end is a section cut before its count: empty, not failed.
    std::vector<std::uint8_t> atEnd = file;
    putU32(atEnd, 8, static_cast<std::uint32_t>(file.size()));
    Catalogue c;
    c.replaceTables(sampleCatalogue());
    EXPECT_TRUE(c.readItems(atEnd));
    EXPECT_TRUE(c.items().empty());
}

// A file whose three sections all start at one count, followed by the given bytes.
std::vector<std::uint8_t> fileWithSharedSection(std::int32_t count, std::span<const std::uint8_t> records) {
    ByteWriter w;
    for (int i = 0; i < 3; ++i) w.u32(12);
    w.i32(count);
    w.append(records);
    return w.take();
}

TEST(CatalogueHostile, CountsThatLieReadOnlyWhatIsThere) {
    const CatalogueTables sample = sampleCatalogue();
    for (std::int32_t count : {std::numeric_limits<std::int32_t>::max(), 1000000, 3}) {
        SCOPED_TRACE(count);
        // Two items behind a count that claims more: ASan would report a reservation sized
        // from the count.
        ByteWriter items;
        CatalogueTables two;
        two.items = sample.items;
        auto encoded = encode(two);
        items.append(std::span(encoded).subspan(headerWord(encoded, 2) + 4));
        std::vector<std::uint8_t> file = fileWithSharedSection(count, items.bytes());
        Catalogue c;
        ASSERT_TRUE(c.readItems(file));
        EXPECT_EQ(c.items(), sample.items);
        // The same 80 bytes hold three whole body parts and a part of a fourth.
        ASSERT_TRUE(c.readBodyParts(file));
        EXPECT_EQ(c.bodyParts().size(), 3u);
    }
    // Negative counts read nothing.
    std::vector<std::uint8_t> negative = fileWithSharedSection(-1, std::vector<std::uint8_t>(64, 0));
    Catalogue c;
    ASSERT_TRUE(c.readCatalogueSection1(negative));
    EXPECT_TRUE(c.layerOptions().empty());
}

TEST(CatalogueHostile, LyingFrameAndPictureCountsDropTheUnfinishedAction) {
    CatalogueTables t;
    t.actions = sampleCatalogue().actions;
    std::vector<std::uint8_t> file = encode(t);
    const std::size_t firstAction = 12 + 4 + 4;  // no layer options, then the action count

    std::vector<std::uint8_t> hugeFrames = file;
    putU32(hugeFrames, firstAction + 4, 0x7fffffffu);
    Catalogue c;
    ASSERT_TRUE(c.readCatalogueSection1(hugeFrames));
    EXPECT_TRUE(c.actions().empty());

    std::vector<std::uint8_t> hugeImages = file;
    putU32(hugeImages, firstAction + kActionHeadSize + 12, 0x7fffffffu);
    ASSERT_TRUE(c.readCatalogueSection1(hugeImages));
    EXPECT_TRUE(c.actions().empty());

    // A lying action count keeps the complete actions that are there.
    std::vector<std::uint8_t> hugeActions = file;
    putU32(hugeActions, firstAction - 4, 0x7fffffffu);
    ASSERT_TRUE(c.readCatalogueSection1(hugeActions));
    EXPECT_EQ(c.actions(), t.actions);

    // Negative frame and picture counts read none.
    std::vector<std::uint8_t> negativeFrames = file;
    putU32(negativeFrames, firstAction + 4, 0xffffffffu);
    ASSERT_TRUE(c.readCatalogueSection1(negativeFrames));
    ASSERT_FALSE(c.actions().empty());
    EXPECT_TRUE(c.actions()[0].frames.empty());
}

}  // namespace
}  // namespace likenex
