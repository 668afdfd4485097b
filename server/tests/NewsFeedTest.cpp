// The news feed built from the operator's news file: whatever bytes a line holds, the feed
// stays well-formed XML (checked with Python's XML parser), and a line with a date that
// cannot exist is left out like any malformed line.
#include "server/WebSite.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace likenex {
namespace {

using namespace testing;
using namespace std::string_literals;

// Whether Python's XML parser reads the document; the parser's complaint goes to the test's output.
bool parsesAsXml(const std::string& document) {
    TempDirectory directory;
    const std::string path = directory.path() + "/feed.xml";
    {
        std::ofstream out(path, std::ios::binary);
        out << document;
    }
    return runCommand("python3 -c 'import sys, xml.etree.ElementTree as E; E.parse(sys.argv[1])' " + path) == 0;
}

TEST(NewsFeed, ForbiddenCharactersAndBrokenUtf8NeverReachTheFeed) {
    const std::string news =
        "2026-01-02T10:00:00Z\tBell\x07 in the title\t/a\x01/1\t<p>before\x0b"
        "after\x1f</p>\n"
        "2026-01-03T10:00:00Z\tBroken \xff\xfe bytes\t/\tcut \xe2\x82 short, overlong \xc0\xaf, surrogate "
        "\xed\xa0\x80\n"
        "2026-01-04T10:00:00Z\tNot characters \xef\xbf\xbe\xef\xbf\xbf\t/\t<p>caf\xc3\xa9 \xf0\x9f\x99\x82 "
        "tab\there</p>\r\n"
        "2026-01-05T10:00:00Z\tNull \x00 byte\t/\tend\n"s;
    const std::string feed = rssFeed(news, "http://news.example.com");
    EXPECT_TRUE(parsesAsXml(feed)) << feed;
    for (char c = 1; c < 0x20; ++c) {
        if (c == '\t' || c == '\n' || c == '\r') continue;
        EXPECT_EQ(feed.find(c), std::string::npos) << static_cast<int>(c);
    }
    EXPECT_EQ(feed.find('\0'), std::string::npos);
    // Every line made an item, and what was valid around the bad bytes is kept.
    EXPECT_NE(feed.find("Bell in the title"), std::string::npos);
    EXPECT_NE(feed.find("<p>beforeafter</p>"), std::string::npos);
    EXPECT_NE(feed.find("Broken \xef\xbf\xbd\xef\xbf\xbd bytes"), std::string::npos);
    EXPECT_NE(feed.find("caf\xc3\xa9 \xf0\x9f\x99\x82 tab\there"), std::string::npos);
    EXPECT_EQ(feed.find("\xef\xbf\xbe"), std::string::npos);
    EXPECT_NE(feed.find("Null  byte"), std::string::npos);
}

TEST(NewsFeed, ImpossibleDatesAreSkippedAndNeverTheNewest) {
    std::string news =
        "2026-03-01T09:00:00Z\tThe real newest\t/\tyes\n"
        "2024-02-29T12:00:00Z\tA leap day\t/\tyes\n";
    for (const char* date :
         {"2026-13-01T00:00:00Z", "2026-00-10T00:00:00Z", "2026-12-32T00:00:00Z", "2026-12-00T00:00:00Z",
          "2026-02-30T00:00:00Z", "2025-02-29T00:00:00Z", "2100-02-29T00:00:00Z", "2026-04-31T00:00:00Z",
          "2026-12-01T24:00:00Z", "2026-12-01T23:60:00Z", "2026-12-01T23:59:60Z", "9999-99-99T99:99:99Z"})
        news += std::string(date) + "\tImpossible " + date + "\t/\tno\n";
    const std::string feed = rssFeed(news, "http://news.example.com");
    EXPECT_EQ(feed.find("Impossible"), std::string::npos) << feed;
    const std::size_t first = feed.find("<item>");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(feed.find("<title>The real newest</title>"), feed.find("<title>", first)) << feed;
    EXPECT_NE(feed.find("<dc:date>2024-02-29T12:00:00Z</dc:date>"), std::string::npos);
    EXPECT_TRUE(parsesAsXml(feed));
}

}  // namespace
}  // namespace likenex
