#include "news/RssItem.h"

#include "news/tests/TestCodePage.h"

#include <gtest/gtest.h>

#include <cstring>

namespace likenex::news {
namespace {

// True when every unit of the field past `used` is zero.
template <typename Unit, std::size_t N>
bool zeroFrom(const Unit (&field)[N], std::size_t used) {
    for (std::size_t i = used; i < N; ++i)
        if (field[i] != 0) return false;
    return true;
}

TEST(RssItemFields, LongTextsAreCutToTheirFieldsAndTheRestStaysZero) {
    auto item = std::make_unique<RSSITEM>();
    std::memset(item.get(), 0x5A, sizeof(RSSITEM));  // whatever was there before
    storeUtf16(item->title, std::u16string(400, u't'));
    storeUtf16(item->content, std::u16string(5000, u'c'));
    storeUtf16(item->date, std::u16string(200, u'd'));
    EXPECT_EQ(fieldText(item->title), std::u16string(299, u't'));
    EXPECT_EQ(fieldText(item->content), std::u16string(3071, u'c'));
    EXPECT_EQ(fieldText(item->date), std::u16string(127, u'd'));
    EXPECT_TRUE(zeroFrom(item->title, 299));
    EXPECT_TRUE(zeroFrom(item->content, 3071));
    EXPECT_TRUE(zeroFrom(item->date, 127));
    // The link between title and content was not written over by either.
    EXPECT_EQ(static_cast<unsigned char>(item->link[0]), 0x5A);
    EXPECT_EQ(static_cast<unsigned char>(item->link[kLinkBytes - 1]), 0x5A);

    storeUtf16(item->title, u"short");
    EXPECT_EQ(fieldText(item->title), u"short");
    EXPECT_TRUE(zeroFrom(item->title, 5));
}

TEST(RssItemFields, ACutNeverSplitsASurrogatePair) {
    RSSITEM item{};
    const std::u16string smile = u"\U0001F600";
    // The pair would straddle the last stored unit: both halves go.
    storeUtf16(item.title, std::u16string(298, u'a') + smile + u"zz");
    EXPECT_EQ(fieldText(item.title), std::u16string(298, u'a'));
    // A pair that ends exactly at the last stored unit stays whole.
    storeUtf16(item.title, std::u16string(297, u'a') + smile + u"zz");
    EXPECT_EQ(fieldText(item.title), std::u16string(297, u'a') + smile);
    // A lone high surrogate already in the text is not ours to mend; only the cut matters.
    storeUtf16(item.date, std::u16string(126, u'1') + u"\xd83d" + u"x");
    EXPECT_EQ(fieldText(item.date).size(), 127u);
}

TEST(RssItemFields, FieldTextStopsAtTheFieldEvenWithoutATerminator) {
    RSSITEM item{};
    std::fill(std::begin(item.date), std::end(item.date), u'9');
    std::memset(item.link, 'h', kLinkBytes);
    EXPECT_EQ(fieldText(item.date).size(), kDateUnits);
    EXPECT_EQ(linkText(item).size(), kLinkBytes);
}

TEST(RssItemLink, StoredInTheCodePageWithWholeCharactersOnly) {
    const testing::TestCodePage codePage;
    RSSITEM item{};
    storeLink(item, u"http://news.example.com/\u4E2D\u6587", codePage);
    EXPECT_EQ(linkText(item), "http://news.example.com/\x81\x2D\x98\x87");

    // 510 bytes leave room for one byte, not for a two-byte character.
    storeLink(item, std::u16string(510, u'a') + u"\u4E2D", codePage);
    EXPECT_EQ(linkText(item), std::string(510, 'a'));
    EXPECT_TRUE(zeroFrom(item.link, 510));
    storeLink(item, std::u16string(600, u'a'), codePage);
    EXPECT_EQ(linkText(item), std::string(511, 'a'));
    EXPECT_EQ(item.link[511], '\0');
}

TEST(RssItemLink, CharactersTheCodePageCannotSpellArePercentEncoded) {
    const testing::TestCodePage codePage;
    RSSITEM item{};
    storeLink(item, u"http://news.example.com/caf\u00e9?q=\U0001F600", codePage);
    EXPECT_EQ(linkText(item), "http://news.example.com/caf%C3%A9?q=%F0%9F%98%80");
    storeLink(item, u"http://a.b/\xdc00", codePage);  // a lone half is no character at all
    EXPECT_EQ(linkText(item), "http://a.b/%EF%BF%BD");
    // An encoded character that does not fit whole is left out whole.
    storeLink(item, std::u16string(508, u'a') + u"\u00e9", codePage);
    EXPECT_EQ(linkText(item), std::string(508, 'a'));
}

}  // namespace
}  // namespace likenex::news
