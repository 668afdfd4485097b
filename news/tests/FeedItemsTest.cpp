#include "news/FeedItems.h"

#include "news/tests/TestCodePage.h"
#include "news/tests/XmlFeed.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <stdexcept>

namespace likenex::news {
namespace {

using testing::parseFeed;
using testing::readFixture;

std::unique_ptr<RSSITEM> dated(std::u16string_view date, std::u16string_view title = u"") {
    auto item = std::make_unique<RSSITEM>();
    storeUtf16(item->date, date);
    storeUtf16(item->title, title);
    return item;
}

std::vector<std::u16string> titles(const ItemList& list) {
    std::vector<std::u16string> out;
    for (const auto& item : list) out.emplace_back(fieldText(item->title));
    return out;
}

ItemList readFixtureItems(std::string_view name) {
    const testing::TestCodePage codePage;
    const std::unique_ptr<FeedDocument> document = parseFeed(readFixture(name));
    EXPECT_TRUE(document) << name;
    ItemList list;
    if (document) {
        EXPECT_TRUE(readFeedItems(*document, codePage, list));
    }
    return list;
}

TEST(FeedOrder, NewestFirstWithEqualDatesInFeedOrderAndUndatedLast) {
    const ItemList list = readFixtureItems("dates.xml");
    EXPECT_EQ(titles(list), (std::vector<std::u16string>{u"June", u"June again", u"Mid May", u"May", u"Undated"}));
    EXPECT_EQ(fieldText(list[0]->date), u"2007-06-01");
    EXPECT_EQ(linkText(*list[3]), "http://news.example.com/item?id=1&ln=en");
    EXPECT_EQ(fieldText(list[3]->content), u"<p>First <b>news</b>.</p>");
    EXPECT_EQ(fieldText(list[2]->content), u"Third");
}

// Dates are compared as texts, code unit by code unit, not as dates or code points.
TEST(FeedOrder, DatesCompareCodeUnitByCodeUnit) {
    ItemList list;
    insertNewestFirst(list, dated(u"2007-05-01", u"padded"));
    insertNewestFirst(list, dated(u"2007-5-1", u"unpadded"));  // '5' is above '0'
    insertNewestFirst(list, dated(u"2007-05", u"prefix"));     // a prefix is less
    insertNewestFirst(list, dated(u"2007-05-01", u"padded again"));
    EXPECT_EQ(titles(list), (std::vector<std::u16string>{u"unpadded", u"padded", u"padded again", u"prefix"}));

    // U+FF10 is one unit above the lead unit 0xD83D of U+1F600, though its code point is lower;
    // and units compare unsigned, so both sort above ASCII.
    ItemList wide;
    insertNewestFirst(wide, dated(u"9", u"ascii"));
    insertNewestFirst(wide, dated(u"\U0001F600", u"astral"));
    insertNewestFirst(wide, dated(u"\uFF10", u"fullwidth"));
    EXPECT_EQ(titles(wide), (std::vector<std::u16string>{u"fullwidth", u"astral", u"ascii"}));
}

TEST(FeedItems, AMissingChildLeavesItsFieldEmpty) {
    const ItemList list = readFixtureItems("missing-children.xml");
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(titles(list),
              (std::vector<std::u16string>{u"", u"No link", u"No content", u"Nested markup text \u263A", u""}));
    EXPECT_EQ(linkText(*list[0]), "http://news.example.com/no-title");
    EXPECT_EQ(linkText(*list[1]), "");
    EXPECT_EQ(fieldText(list[2]->content), u"");
    // Only dc:date is the date; a plain "date" child is not.
    EXPECT_EQ(fieldText(list[3]->date), u"2007-05-01");
    // The empty item is all zero.
    const RSSITEM zero{};
    EXPECT_EQ(std::memcmp(list[4].get(), &zero, sizeof(RSSITEM)), 0);
}

// A document whose component fails where it is told to.
class FailingDocument : public FeedDocument {
public:
    std::size_t claimed = 3;
    std::size_t available = 3;            // item() fails from this index on
    std::size_t failingContentAt = 1000;  // childText("content:encoded") fails for this item
    bool countFails = false;

    bool itemCount(std::size_t& count) override {
        count = claimed;
        return !countFails;
    }
    std::unique_ptr<FeedElement> item(std::size_t index) override {
        if (index >= available) return nullptr;
        return std::make_unique<Element>(index, index == failingContentAt);
    }

private:
    class Element : public FeedElement {
    public:
        Element(std::size_t index, bool failContent) : index_(index), failContent_(failContent) {}
        NodeText childText(std::u16string_view path) override {
            if (path == u"content:encoded" && failContent_) return {NodeStatus::failed, {}};
            if (path == u"title") return {NodeStatus::found, u"item " + std::u16string(1, char16_t(u'0' + index_))};
            if (path == u"dc:date")
                return {NodeStatus::found, u"2007-01-0" + std::u16string(1, char16_t(u'0' + index_))};
            return {NodeStatus::missing, {}};
        }

    private:
        std::size_t index_;
        bool failContent_;
    };
};

TEST(FeedItems, AComponentFailureEndsTheWalkKeepingWhatWasRead) {
    const testing::TestCodePage codePage;
    {
        FailingDocument document;
        document.available = 2;
        ItemList list;
        EXPECT_FALSE(readFeedItems(document, codePage, list));
        EXPECT_EQ(titles(list), (std::vector<std::u16string>{u"item 1", u"item 0"}));
    }
    {
        // The item whose child failed is not kept half read.
        FailingDocument document;
        document.failingContentAt = 1;
        ItemList list;
        EXPECT_FALSE(readFeedItems(document, codePage, list));
        EXPECT_EQ(titles(list), (std::vector<std::u16string>{u"item 0"}));
    }
    {
        FailingDocument document;
        document.countFails = true;
        ItemList list;
        EXPECT_FALSE(readFeedItems(document, codePage, list));
        EXPECT_TRUE(list.empty());
    }
    {
        // A count the component cannot back up sizes nothing: the walk ends at the first gap.
        FailingDocument document;
        document.claimed = std::numeric_limits<std::size_t>::max();
        ItemList list;
        EXPECT_FALSE(readFeedItems(document, codePage, list));
        EXPECT_EQ(list.size(), 3u);
    }
}

}  // namespace
}  // namespace likenex::news
