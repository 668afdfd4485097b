#include "base/Text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace likenex::text {
namespace {

TEST(Utf, EveryCodePointRoundTripsThroughUtf8AndUtf16) {
    for (char32_t c = 0; c <= 0x10ffff; ++c) {
        if (isHighSurrogate(c) || isLowSurrogate(c)) continue;
        std::u16string utf16;
        appendUtf16(utf16, c);
        const std::string utf8 = utf8FromUtf16(utf16);
        ASSERT_EQ(utf8.size(), c < 0x80      ? 1u
                               : c < 0x800   ? 2u
                               : c < 0x10000 ? 3u
                                             : 4u)
            << std::hex << static_cast<std::uint32_t>(c);
        std::size_t i = 0;
        const std::optional<char32_t> decoded = decodeUtf8(utf8, i);
        ASSERT_TRUE(decoded) << std::hex << static_cast<std::uint32_t>(c);
        ASSERT_EQ(static_cast<std::uint32_t>(*decoded), static_cast<std::uint32_t>(c));
        ASSERT_EQ(i, utf8.size());
        ASSERT_EQ(utf16FromUtf8(utf8), utf16);
        ASSERT_EQ(utf16FromWide(wideFromUtf16(utf16)), utf16);
    }
}

TEST(Utf, MalformedUtf8IsRefusedWithoutMoving) {
    for (const std::string bad : {"\xc0\x80", "\xe0\x80\x80", "\xf0\x80\x80\x80",  // overlong forms
                                  "\xed\xa0\x80", "\xed\xbf\xbf",                  // encoded surrogates
                                  "\xf4\x90\x80\x80", "\xf8\x88\x80\x80\x80",      // past U+10FFFF
                                  "\x80", "\xc3", "\xe4\xb8", "\xf0\x9f\x98",      // stray and cut
                                  "\xc3\x28"}) {
        std::size_t i = 0;
        EXPECT_FALSE(decodeUtf8(bad, i)) << testing::PrintToString(bad);
        EXPECT_EQ(i, 0u);
        EXPECT_FALSE(utf16FromUtf8("ok" + bad));
    }
    std::size_t past = 2;
    EXPECT_FALSE(decodeUtf8("ab", past));
}

TEST(Utf, ReplacingDecoderGivesOneReplacementPerByteItCannotStartFrom) {
    EXPECT_EQ(utf16FromUtf8Replacing("a\xc3\xa9\xf0\x9f\x98\x80z"), u"a\u00e9\U0001F600z");
    EXPECT_EQ(utf16FromUtf8Replacing("\xff\xc3"), u"\ufffd\ufffd");
    // A cut sequence gives up its lead alone: the byte after it is read afresh.
    EXPECT_EQ(utf16FromUtf8Replacing("\xe4\xb8z"), u"\ufffd\ufffdz");
    EXPECT_EQ(utf16FromUtf8Replacing("\xc3\x28"), u"\ufffd(");
    EXPECT_EQ(utf16FromUtf8Replacing("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");
    EXPECT_EQ(utf16FromUtf8Replacing("\xc0\xaf"), u"\ufffd\ufffd");
    EXPECT_EQ(utf16FromUtf8Replacing("\xf4\x90\x80\x80"), u"\ufffd\ufffd\ufffd\ufffd");
}

TEST(Utf, LoneSurrogatesAreReplacedOrRefused) {
    const std::u16string lone =
        u"a\xd800"
        u"b\xdc00";
    EXPECT_EQ(utf8FromUtf16(lone), "a\uFFFDb\uFFFD");
    EXPECT_FALSE(utf8FromUtf16Strict(lone));
    EXPECT_EQ(utf8FromUtf16Strict(u"\u00e9\U0001F600"), "\u00e9\U0001F600");
    // A high surrogate at the very end has nothing to pair with.
    EXPECT_EQ(utf8FromUtf16(u"x\xd83d"), "x\uFFFD");
}

TEST(Utf, WideStringsCarryAstralCharacters) {
    const std::u16string astral = u"\U0001F600z";
    const std::wstring wide = wideFromUtf16(astral);
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 3u : 2u);
    EXPECT_EQ(utf16FromWide(wide), astral);
    EXPECT_EQ(utf8FromWide(wide), "\U0001F600z");
}

TEST(WithNumber, ReplacesOnlyTheFirstPlaceholder) {
    EXPECT_EQ(withNumber(L"Price: %d points", 150), L"Price: 150 points");
    EXPECT_EQ(withNumber(L"%d of %d", -3), L"-3 of %d");
    EXPECT_EQ(withNumber(L"no number here", 7), L"no number here");
    EXPECT_EQ(withNumber(L"%", 7), L"%");
}

}  // namespace
}  // namespace likenex::text
