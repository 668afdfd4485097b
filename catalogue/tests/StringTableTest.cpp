#include "base/ByteIo.h"
#include "catalogue/StringTable.h"
#include "catalogue/StringTableWriter.h"
#include "catalogue/tests/CatalogueTestData.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

// A record written by hand, independent of the writer.
void putRecord(ByteWriter& w, std::int32_t group, std::int32_t identifier, const LanguageTexts& texts) {
    for (const std::u16string& t : texts) {
        w.u16(static_cast<std::uint16_t>(t.size()));
        for (char16_t u : t) w.u16(u);
    }
    w.i32(identifier);
    w.i32(group);
}

LanguageTexts textsFor(const std::u16string& stem) {
    return {stem + u"-0", stem + u"-1", stem + u"-2", stem + u"-3", stem + u"-4"};
}

StringTable tableFrom(const ByteWriter& w) {
    StringTable t;
    t.readStringTable(w.bytes());
    return t;
}

TEST(StringTableLookup, EachKindReadsItsGroup) {
    ByteWriter w;
    for (std::int32_t g = 0; g < 8; ++g) putRecord(w, g, 42, textsFor(u"g" + std::u16string(1, u'0' + g)));
    StringTable t = tableFrom(w);
    t.setLanguage(2);
    EXPECT_EQ(t.uiText(42), u"g0-2");
    const char16_t expectedGroup[] = {u'1', u'2', u'3', u'6', u'7', u'5', u'4'};
    for (int kind = 0; kind < 7; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(t.text(kind, 42), u"g" + std::u16string(1, expectedGroup[kind]) + u"-2");
    }
    EXPECT_EQ(t.text(-1, 42), u"");
    EXPECT_EQ(t.text(7, 42), u"");
    EXPECT_EQ(t.uiText(43), u"");
}

TEST(StringTableLookup, LanguagesPickTheirText) {
    ByteWriter w;
    putRecord(w, 0, 115, {u"\u932f\u8aa4", u"\u9519\u8bef", u"Error", u"\u30a8\u30e9\u30fc", u"Erreur"});
    StringTable t = tableFrom(w);
    EXPECT_EQ(t.uiText(115), u"\u932f\u8aa4");  // language 0 until set
    t.setLanguage(3);
    EXPECT_EQ(t.uiText(115), u"\u30a8\u30e9\u30fc");
    t.setLanguage(4);
    EXPECT_EQ(t.uiText(115), u"Erreur");
    t.setLanguage(4);
    EXPECT_EQ(t.uiText(115), u"Erreur");
    for (std::int32_t outside : {5, -1, 1000}) {
        t.setLanguage(outside);
        EXPECT_EQ(t.uiText(115), u"");
    }
    t.setLanguage(2);
    EXPECT_EQ(t.uiText(115), u"Error");
}

TEST(StringTableRecords, GroupsOutsideTheTableAreDroppedAndReadingGoesOn) {
    ByteWriter w;
    putRecord(w, 8, 1, textsFor(u"eight"));
    putRecord(w, 0, 1, textsFor(u"zero"));
    putRecord(w, -1, 2, textsFor(u"minus"));
    putRecord(w, 0, 2, textsFor(u"two"));
    StringTable t = tableFrom(w);
    EXPECT_EQ(t.uiText(1), u"zero-0");
    EXPECT_EQ(t.uiText(2), u"two-0");
    EXPECT_EQ(t.records().size(), 2u);
}

TEST(StringTableRecords, TheLastRecordOfAnIdentifierWins) {
    ByteWriter w;
    putRecord(w, 1, 100123, textsFor(u"first"));
    putRecord(w, 2, 100123, textsFor(u"other group"));
    putRecord(w, 1, 100123, textsFor(u"second"));
    StringTable t = tableFrom(w);
    EXPECT_EQ(t.text(0, 100123), u"second-0");
    EXPECT_EQ(t.text(1, 100123), u"other group-0");
}

TEST(StringTableRecords, TextsEndAtTheirLengthOrFirstZeroUnit) {
    ByteWriter w;
    putRecord(w, 0, 1, {u"", std::u16string(u"ab\0cd", 5), u"x", u"", u"\U0001F600"});
    StringTable t = tableFrom(w);
    EXPECT_EQ(t.uiText(1), u"");
    t.setLanguage(1);
    EXPECT_EQ(t.uiText(1), u"ab");
    t.setLanguage(2);
    EXPECT_EQ(t.uiText(1), u"x");
    t.setLanguage(4);
    EXPECT_EQ(t.uiText(1), u"\U0001F600");
}

TEST(StringTableRecords, OverLongTextsAreCutAndTheRecordStaysInStep) {
    std::u16string longText(3000, u'a');
    std::u16string pairAtTheCut(2046, u'b');
    pairAtTheCut += u"\U0001F600tail";  // the high surrogate is unit 2047
    ByteWriter w;
    putRecord(w, 0, 7, {longText, pairAtTheCut, std::u16string(2047, u'c'), u"d", u"e"});
    putRecord(w, 0, 8, textsFor(u"next"));
    StringTable t = tableFrom(w);
    EXPECT_EQ(t.uiText(7), std::u16string(2047, u'a'));
    t.setLanguage(1);
    EXPECT_EQ(t.uiText(7), std::u16string(2046, u'b'));
    t.setLanguage(2);
    EXPECT_EQ(t.uiText(7), std::u16string(2047, u'c'));
    t.setLanguage(3);
    EXPECT_EQ(t.uiText(7), u"d");
    EXPECT_EQ(t.uiText(8), u"next-3");
}

TEST(StringTableHostile, ARecordCutShortIsDropped) {
    ByteWriter w;
    std::vector<std::size_t> ends;
    for (std::int32_t id = 0; id < 4; ++id) {
        putRecord(w, id % 2, id, textsFor(u"r" + std::u16string(1, u'0' + id)));
        ends.push_back(w.size());
    }
    const std::vector<std::uint8_t>& file = w.bytes();
    for (std::size_t length = 0; length <= file.size(); ++length) {
        SCOPED_TRACE(length);
        StringTable t;
        t.readStringTable(std::span(file.data(), length));
        std::size_t complete = 0;
        while (complete < ends.size() && ends[complete] <= length) ++complete;
        ASSERT_EQ(t.records().size(), complete);
        for (std::int32_t id = 0; id < 4; ++id)
            EXPECT_EQ(t.groupText(id % 2, id).empty(), static_cast<std::size_t>(id) >= complete);
    }
}

TEST(StringTableHostile, LengthsThatLieEndTheTable) {
    ByteWriter w;
    putRecord(w, 0, 1, textsFor(u"kept"));
    w.u16(0xffff);  // claims 131070 bytes of text
    w.u16(u'x');
    StringTable t = tableFrom(w);
    EXPECT_EQ(t.uiText(1), u"kept-0");
    EXPECT_EQ(t.records().size(), 1u);
}

TEST(StringTableFiles, LoadsTheWrittenFileAndKeepsTheTableWhenTheFileIsMissing) {
    testing::TempProgramDirectory dir;
    std::vector<StringRecord> records = {
        {0, 1, textsFor(u"ok")},
        {1, 100000 + 9000 * 2 + 2001, {u"\u8863", u"\u8863", u"Shirt", u"\u30b7\u30e3\u30c4", u"Chemise"}},
        {7, -3, {u"", u"", u"", u"", u""}},
    };
    ASSERT_TRUE(writeStringTable(dir.dataFile("lang.bin"), records));
    StringTable t;
    ASSERT_TRUE(t.loadStringTable(dir.dataFile("lang.bin")));
    EXPECT_EQ(t.records(), records);
    t.setLanguage(2);
    EXPECT_EQ(t.text(0, 100000 + 9000 * 2 + 2001), u"Shirt");

    EXPECT_FALSE(t.loadStringTable(dir.dataFile("missing.bin")));
    EXPECT_EQ(t.records(), records);

    // Rewriting what was read gives the same bytes.
    auto first = encodeStringTable(records);
    auto again = encodeStringTable(t.records());
    ASSERT_TRUE(first && again);
    EXPECT_EQ(*first, *again);
}

TEST(StringTableFiles, TheWriterRefusesTextsBeyondA16BitLength) {
    std::vector<StringRecord> records = {{0, 1, {std::u16string(65536, u'a'), u"", u"", u"", u""}}};
    EXPECT_FALSE(encodeStringTable(records).has_value());
    records[0].texts[0].resize(65535);
    EXPECT_TRUE(encodeStringTable(records).has_value());
}

}  // namespace
}  // namespace likenex
