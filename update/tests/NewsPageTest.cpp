#include "update/NewsPage.h"

#include "base/Text.h"
#include "update/tests/ActiveContentCheck.h"
#include "update/tests/Latin1CodePage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace likenex::update {
namespace {

using news::RSSITEM;
using testing::Latin1;

RSSITEM item(std::string_view link, std::u16string_view title, std::u16string_view date, std::u16string_view content) {
    RSSITEM record{};
    news::storeUtf16(record.title, title);
    news::storeUtf16(record.date, date);
    news::storeUtf16(record.content, content);
    std::copy_n(link.begin(), std::min(link.size(), news::kLinkBytes - 1), record.link);
    return record;
}

// The expected page, kept as UTF-8 text, as the file's bytes: FF FE, then UTF-16 low byte first.
std::vector<std::uint8_t> expectedFile(const char* fixture) {
    std::ifstream in(std::string(LIKENEX_UPDATE_FIXTURES) + "/" + fixture, std::ios::binary);
    EXPECT_TRUE(in) << fixture;
    std::ostringstream utf8;
    utf8 << in.rdbuf();
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    const std::u16string page = text::utf16FromUtf8(utf8.str()).value();
    for (const char16_t unit : page) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

TEST(NewsPage, ABenignFeedGivesThePageByteForByte) {
    const std::vector<RSSITEM> items = {
        item(
            "http://news.example.com/item?id=21&ln=en", u"Version <b>2.1</b> is out", u"2007-06-01T10:00:00+08:00",
            u"<p>New <strong>wardrobe</strong> items, <em>faster</em> start-up.<br>Read the "
            u"<a href=\"https://news.example.com/notes\" target=\"_blank\">release notes</a>.</p>"
            u"<ul><li>Hats</li><li><font color=\"#FF0000\" size=\"2\">Red</font> shoes</li></ul>"
            u"<img src=\"http://news.example.com/img/hat.png\" alt=\"A hat\" width=\"64\" height=\"64\" border=\"0\">"),
        item("https://news.example.com/item?id=20", u"Maintenance &amp; <i>downtime</i>", u"2007-05-15",
             u"<table width=\"100%\" border=\"0\"><tr><td colspan=\"2\" nowrap>Server</td><td><span>02:00 &ndash; "
             u"04:00</span></td></tr></table><ol><li><u>Save</u> your avatar</li></ol><br />Thanks, <b><i>the "
             u"team</i></b>. \u4e2d\u6587 \u263a 1 > 0"),
        item("http://news.example.com/caf\xe9", u"", u"", u""),  // the link in the code page
    };
    const std::vector<std::uint8_t> file = newsPageFile(buildNewsPage(items, Latin1()));
    const std::vector<std::uint8_t> expected = expectedFile("benign-page.html");
    ASSERT_EQ(file.size(), expected.size());
    EXPECT_TRUE(file == expected);
    // The file opens with the byte-order mark and "<HTML>" in UTF-16.
    const std::vector<std::uint8_t> opening = {0xFF, 0xFE, '<', 0, 'H', 0, 'T', 0, 'M', 0, 'L', 0, '>', 0};
    EXPECT_TRUE(std::equal(opening.begin(), opening.end(), file.begin()));
}

TEST(NewsPage, NoItemsGiveTheHeadAndTheClosingOnly) {
    EXPECT_TRUE(newsPageFile(buildNewsPage({}, Latin1())) == expectedFile("empty-page.html"));
}

TEST(NewsPage, FeedTextCannotPutActiveContentIntoThePage) {
    const std::vector<RSSITEM> items = {
        item("javascript:alert(1)", u"<script>alert(1)</script>t", u"<img src=x onerror=alert(1)>",
             u"<iframe src=\"http://x.example.com/\"></iframe><p onclick=alert(1)>c</p>"),
        item("http://x.example.com/\" onmouseover=\"alert(1)", u"<a href=\"vbscript:x\">t</a>",
             u"2007-05-01\"><script>alert(1)</script>", u"<img src=\"http://x.example.com/a.png"),
    };
    const std::u16string page = buildNewsPage(items, Latin1());
    const std::u16string body = u"marginheight=\"5\"><br>";
    const std::size_t start = page.find(body);
    ASSERT_NE(start, std::u16string::npos);
    const std::size_t end = page.rfind(u"</body></html>");
    ASSERT_NE(end, std::u16string::npos);
    // Between the page's own head and closing, everything is checked, the page's pieces included.
    const std::u16string items16 = page.substr(start + body.size(), end - start - body.size());
    EXPECT_EQ(testing::activeContentIn(items16), "") << text::utf8FromUtf16(page);
    EXPECT_NE(page.find(u"<a href=\"\" target=\"_blank\">"), std::u16string::npos);
    EXPECT_NE(page.find(u"<a href=\"http://x.example.com/&quot; onmouseover=&quot;alert(1)\""), std::u16string::npos);
}

// The library's four functions over a fixed list.
class FakeSource : public NewsSource {
public:
    std::vector<RSSITEM> items;
    bool browses = true;
    std::int32_t reportedCount = -1;  // the true count when negative
    std::string url;

    bool setUrl(const std::string& address) override {
        url = address;
        return true;
    }
    bool browse() override { return browses; }
    std::int32_t countOfItems() override {
        return reportedCount >= 0 ? reportedCount : static_cast<std::int32_t>(items.size());
    }
    bool getItem(RSSITEM& out, std::int32_t index) override {
        if (index < 0 || index >= static_cast<std::int32_t>(items.size())) return false;
        out = items[static_cast<std::size_t>(index)];
        return true;
    }
};

TEST(NewsItems, FetchedThroughTheLibraryInItsOrder) {
    FakeSource source;
    source.items = {item("http://a.example.com/", u"first", u"2", u""),
                    item("http://b.example.com/", u"second", u"1", u"")};
    const auto items = fetchNewsItems(source, "http://news.example.com/rss?v=1.0&ln=fr");
    ASSERT_TRUE(items);
    EXPECT_EQ(source.url, "http://news.example.com/rss?v=1.0&ln=fr");
    ASSERT_EQ(items->size(), 2u);
    EXPECT_EQ(news::fieldText((*items)[1].title), u"second");

    // A count the library cannot back up ends at the first item it refuses.
    source.reportedCount = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(fetchNewsItems(source, "http://news.example.com/")->size(), 2u);

    source.browses = false;  // no page is written: the old one stays
    EXPECT_FALSE(fetchNewsItems(source, "http://news.example.com/"));
}

}  // namespace
}  // namespace likenex::update
