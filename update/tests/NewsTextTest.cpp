#include "update/NewsText.h"

#include <gtest/gtest.h>

#include <vector>

namespace likenex::update {
namespace {

using news::RSSITEM;

RSSITEM item(std::u16string_view title, std::u16string_view date, std::u16string_view content) {
    RSSITEM record{};
    news::storeUtf16(record.title, title);
    news::storeUtf16(record.date, date);
    news::storeUtf16(record.content, content);
    return record;
}

TEST(NewsText, MarkupBecomesLinesOfText) {
    EXPECT_EQ(plainTextOfMarkup(u"<p>First <b>news</b>.</p><p>Second\n   line</p>"), u"First news.\r\nSecond line");
    EXPECT_EQ(plainTextOfMarkup(u"one<br>two<BR/>three"), u"one\r\ntwo\r\nthree");
    EXPECT_EQ(plainTextOfMarkup(u"<ul><li>a</li><li>b</li></ul>"), u"a\r\nb");
    EXPECT_EQ(plainTextOfMarkup(u"  <p></p><p></p>  "), u"");
}

TEST(NewsText, EntitiesAreDecodedAndUnknownOnesKept) {
    EXPECT_EQ(plainTextOfMarkup(u"Tom &amp; Jerry &lt;3 &quot;x&quot; &#39;y&#x27;"), u"Tom & Jerry <3 \"x\" 'y'");
    EXPECT_EQ(plainTextOfMarkup(u"&#x1F600; &#65;"), u"\xD83D\xDE00 A");
    EXPECT_EQ(plainTextOfMarkup(u"&copy; & &#xD800; &#1; &#99999999; &;"), u"&copy; & &#xD800; &#1; &#99999999; &;");
}

TEST(NewsText, ActiveContentAndBrokenTagsShowNoSource) {
    EXPECT_EQ(plainTextOfMarkup(u"a<script>alert(1)</script>b<style>p{}</style>c"), u"abc");
    // The sanitizer reads an unfinished tag as text.
    EXPECT_EQ(plainTextOfMarkup(u"kept <b unfinished"), u"kept <b unfinished");
}

TEST(NewsText, ItemsGiveTitleDateAndContentSeparatedByABlankLine) {
    const std::vector<RSSITEM> items = {item(u"June <i>news</i>", u"2007-06-01", u"<p>Second</p>"),
                                        item(u"May news", u"", u"")};
    EXPECT_EQ(newsPlainText(items), u"June news\r\n2007-06-01\r\nSecond\r\n\r\nMay news\r\n");
    EXPECT_EQ(newsPlainText({}), u"");
}

}  // namespace
}  // namespace likenex::update
