#include "base/ByteIo.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/DataFiles.h"
#include "catalogue/tests/CatalogueTestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <tuple>

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

// ---- Layout: a file built by hand, independent of the writer ----

void words(ByteWriter& w, std::initializer_list<std::int32_t> values) {
    for (std::int32_t v : values) w.i32(v);
}
void octets(ByteWriter& w, std::initializer_list<std::uint8_t> values) {
    for (std::uint8_t v : values) w.u8(v);
}

TEST(CatalogueLayout, ReadsAHandBuiltFileFieldByField) {
    ByteWriter w;
    words(w, {0, 0, 0});
    // Body parts first: the header, not the order, places the sections.
    w.patchU32(4, static_cast<std::uint32_t>(w.size()));
    words(w, {1, 4, -2});
    octets(w, {0x11, 0xaa, 0xbb, 0xcc});
    words(w, {37, 9000});
    octets(w, {0x21, 0x22});
    w.u16(0xfffe);
    w.patchU32(0, static_cast<std::uint32_t>(w.size()));
    words(w, {1, 2, 55});
    octets(w, {3, 1, 2, 3});
    words(w, {-1, 1, 70, 1});  // option value; one action: first value, one frame
    w.u8(0xf0);                // the packed 17-byte head
    w.i32(123456);
    w.u16(0x1234);
    w.u16(40000);
    words(w, {250, 3, -4, 2});  // the picture count comes before the ten layer entries
    for (int v = 0; v < 10; ++v) words(w, {v * 10, v * 10 + 1, v * 10 + 2, v * 10 + 3, v * 10 + 4});
    for (int i = 0; i < 2; ++i) words(w, {1001 + i, -1, 12, -13, 0x80 | i});
    w.patchU32(8, static_cast<std::uint32_t>(w.size()));
    words(w, {1, 100, 101, 102, 103, 104, 105, 106});
    octets(w, {2, 0xd1, 0xd2, 0xd3});
    w.i32(-77);
    octets(w, {0x36, 0x37});
    w.u16(6050);

    Catalogue c;
    LoadResults r = readAll(c, w.bytes());
    ASSERT_TRUE(r.section1 && r.bodyParts && r.items);
    ASSERT_EQ(c.layerOptions().size(), 1u);
    EXPECT_EQ(c.layerOptions()[0], (LayerOption{2, 55, 3, {1, 2, 3}, -1}));
    ASSERT_EQ(c.actions().size(), 1u);
    const Action& a = c.actions()[0];
    EXPECT_EQ(std::tuple(a.firstValue, a.flagByte, a.price, a.lowHalfWord, a.identifier),
              std::tuple(70, 0xf0, 123456, 0x1234, 40000));
    ASSERT_EQ(a.frames.size(), 1u);
    const ActionFrame& f = a.frames[0];
    EXPECT_EQ(std::tuple(f.duration, f.directionOffset, f.thirdValue), std::tuple(250, 3, -4));
    EXPECT_EQ(f.layers[0], (LayerEntry{0, 1, 2, 3, 4}));
    EXPECT_EQ(f.layers[9], (LayerEntry{90, 91, 92, 93, 94}));
    ASSERT_EQ(f.images.size(), 2u);
    EXPECT_EQ(f.images[1], (FrameImage{1002, -1, 12, -13, 0x81}));
    ASSERT_EQ(c.bodyParts().size(), 1u);
    EXPECT_EQ(c.bodyParts()[0], (BodyPart{4, -2, 0x11, {0xaa, 0xbb, 0xcc}, 37, 9000, 0x21, 0x22, 0xfffe}));
    ASSERT_EQ(c.items().size(), 1u);
    EXPECT_EQ(c.items()[0], (Item{100, 101, 102, 103, 104, 105, 106, 2, {0xd1, 0xd2, 0xd3}, -77, 0x36, 0x37, 6050}));
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
    std::string longDir = dir.path();  // an existing directory, named in 500 characters or more
    while (longDir.size() < kMaxProgramDirectoryLength + 1) longDir += "/.";
    EXPECT_FALSE(c.loadCatalogueSection1(longDir));
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
    ASSERT_NE(c.findAction(4046), nullptr);
    EXPECT_TRUE(c.findAction(4046)->frames.empty());

    const LayerOption* option = c.findLayerOption(11, 1);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->price, 101);
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
    EXPECT_EQ(option->price, 999);  // the withdrawn first one is passed over
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

TEST(CatalogueHostile, CountsThatLieReadOnlyWhatIsThere) {
    CatalogueTables two;
    two.items = sampleCatalogue().items;
    const std::vector<std::uint8_t> file = encode(two);
    const std::size_t itemCount = headerWord(file, 2);
    // A reservation sized from the count would make ASan report the allocation.
    for (std::uint32_t count : {0x7fffffffu, 1000000u, 3u}) {
        SCOPED_TRACE(count);
        std::vector<std::uint8_t> lying = file;
        putU32(lying, itemCount, count);
        Catalogue c;
        ASSERT_TRUE(c.readItems(lying));
        EXPECT_EQ(c.items(), two.items);
    }
    // Negative counts read nothing.
    std::vector<std::uint8_t> negative = file;
    putU32(negative, itemCount, 0xffffffffu);
    Catalogue c;
    c.replaceTables(two);
    ASSERT_TRUE(c.readItems(negative));
    EXPECT_TRUE(c.items().empty());
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
