#include "news/FeedUrl.h"

#include <gtest/gtest.h>

namespace likenex::news {
namespace {

TEST(FeedUrl, TakesHttpWithADottedHost) {
    for (const char* address : {"http://news.example.com", "http://a.b", "http://news.example.com:8080/rss/feed.xml",
                                "http://news.example.com:/", "http://news.example.com/rss?v=1.0&ln=zh-tw",
                                "http://127.0.0.1:4567/news/rss.xml"})
        EXPECT_TRUE(isFeedUrl(address)) << address;
}

TEST(FeedUrl, RefusesAHostWithoutADotAndOtherSchemes) {
    for (const char* address : {"http://localhost/feed.xml", "http://localhost:80/a.b", "http://", "http://.com",
                                "http://news./", "https://news.example.com/", "ftp://news.example.com/",
                                "HTTP://news.example.com/", "http:/news.example.com", "http://news example.com", ""})
        EXPECT_FALSE(isFeedUrl(address)) << address;
}

// The pattern has to span the whole address: text before "http://" is refused even though a
// search would find a good address inside it. Its lazy tail spans anything after the host.
TEST(FeedUrl, MatchesTheWholeAddressNotAPart) {
    EXPECT_FALSE(isFeedUrl(" http://news.example.com/"));
    EXPECT_FALSE(isFeedUrl("see http://news.example.com/"));
    EXPECT_FALSE(isFeedUrl("xhttp://news.example.com/"));
    EXPECT_TRUE(isFeedUrl("http://news.example.com/ trailing words\tand\nlines"));
    EXPECT_TRUE(isFeedUrl(std::string("http://news.example.com/") + std::string(100000, '/')));
}

}  // namespace
}  // namespace likenex::news
