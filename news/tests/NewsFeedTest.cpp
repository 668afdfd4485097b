#include "news/NewsFeed.h"

#include "news/tests/TestCodePage.h"
#include "news/tests/XmlFeed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <new>
#include <thread>

namespace likenex::news {
namespace {

constexpr char kFeed[] = "http://news.example.com/rss.xml?v=1.0&ln=en";

struct NewsFeedTest : ::testing::Test {
    testing::FixtureLoader loader;
    testing::TestCodePage codePage;
    std::vector<std::string> debugLines;
    NewsFeed feed{loader, codePage, [this](const char* text) { debugLines.emplace_back(text); }};

    NewsFeedTest() { loader.serve(kFeed, testing::readFixture("dates.xml")); }
};

TEST_F(NewsFeedTest, AddressIsKeptOnlyWhenItIsAFeedAddress) {
    EXPECT_FALSE(feed.browse());  // nothing kept yet: nothing fetched, nothing counted
    EXPECT_EQ(loader.loads, 0);
    EXPECT_EQ(feed.countOfItems(), 0);

    ASSERT_TRUE(feed.setUrl(kFeed));
    EXPECT_FALSE(feed.setUrl("http://localhost/rss.xml"));
    EXPECT_EQ(feed.url(), kFeed);
    ASSERT_TRUE(feed.browse());
    EXPECT_EQ(feed.countOfItems(), 5);
    EXPECT_TRUE(debugLines.empty());
}

TEST_F(NewsFeedTest, GetItemCopiesTheWholeRecordAndRefusesIndexesOutOfRange) {
    ASSERT_TRUE(feed.setUrl(kFeed));
    ASSERT_TRUE(feed.browse());
    RSSITEM out;
    std::memset(&out, 0x77, sizeof out);
    RSSITEM untouched;
    std::memset(&untouched, 0x77, sizeof untouched);
    for (const std::int32_t index : {-1, 5, std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_FALSE(feed.getItem(out, index)) << index;
        EXPECT_EQ(std::memcmp(&out, &untouched, sizeof out), 0) << index;
    }
    ASSERT_TRUE(feed.getItem(out, 0));
    RSSITEM expected{};
    storeUtf16(expected.title, u"June");
    storeLink(expected, u"http://news.example.com/item?id=2", codePage);
    storeUtf16(expected.content, u"<p>Second</p>");
    storeUtf16(expected.date, u"2007-06-01");
    EXPECT_EQ(std::memcmp(&out, &expected, sizeof out), 0);  // every byte after each text is zero too
    ASSERT_TRUE(feed.getItem(out, 4));
    EXPECT_EQ(fieldText(out.title), u"Undated");
}

TEST_F(NewsFeedTest, AFeedThatDoesNotLoadLeavesNoItems) {
    ASSERT_TRUE(feed.setUrl(kFeed));
    ASSERT_TRUE(feed.browse());
    ASSERT_EQ(feed.countOfItems(), 5);
    for (const char* name :
         {"unclosed.xml", "crossed-tags.xml", "unknown-entity.xml", "two-roots.xml", "truncated.xml",
          "html-error-page.xml", "empty.xml", "invalid-utf8.xml", "surrogate-reference.xml", "open-cdata.xml"}) {
        loader.serve(kFeed, testing::readFixture(std::string("malformed/") + name));
        EXPECT_TRUE(feed.browse()) << name;
        EXPECT_EQ(feed.countOfItems(), 0) << name;
    }
    // An address nobody answers is the same.
    ASSERT_TRUE(feed.setUrl("http://gone.example.com/rss.xml"));
    EXPECT_TRUE(feed.browse());
    EXPECT_EQ(feed.countOfItems(), 0);
    EXPECT_TRUE(debugLines.empty());
}

// Loads a document through a function, so a test can look at the feed while it is rebuilt.
class CallbackLoader : public FeedLoader {
public:
    std::function<LoadedFeed()> onLoad;
    LoadedFeed load(std::string_view) override { return onLoad(); }
};

class BrokenDocument : public FeedDocument {
public:
    explicit BrokenDocument(bool throws) : throws_(throws) {}
    bool itemCount(std::size_t& count) override {
        count = 4;
        return true;
    }
    std::unique_ptr<FeedElement> item(std::size_t index) override {
        if (index == 2) {
            if (throws_) throw std::bad_alloc();
            return nullptr;
        }
        return kept_->item(0);
    }

private:
    bool throws_;
    std::unique_ptr<FeedDocument> kept_ = testing::parseFeed("<item><title>kept</title></item>");
};

TEST(NewsFeedFailures, AWalkThatFailsReportsOnceAndKeepsTheItemsReadSoFar) {
    CallbackLoader loader;
    testing::TestCodePage codePage;
    std::vector<std::string> debugLines;
    NewsFeed feed{loader, codePage, [&](const char* text) { debugLines.emplace_back(text); }};
    ASSERT_TRUE(feed.setUrl(kFeed));

    loader.onLoad = [] { return LoadedFeed(std::make_unique<BrokenDocument>(false)); };
    EXPECT_TRUE(feed.browse());
    EXPECT_EQ(feed.countOfItems(), 2);
    EXPECT_EQ(debugLines, std::vector<std::string>{"error:FindIt"});

    // A failure the walk does not handle itself is swallowed; what was read is still offered.
    loader.onLoad = [] { return LoadedFeed(std::make_unique<BrokenDocument>(true)); };
    EXPECT_TRUE(feed.browse());
    EXPECT_EQ(feed.countOfItems(), 2);
    loader.onLoad = []() -> LoadedFeed { throw std::runtime_error("no component"); };
    EXPECT_TRUE(feed.browse());
    EXPECT_EQ(feed.countOfItems(), 0);

    // The component failing to load is reported too; a feed that does not load is not.
    loader.onLoad = [] { return LoadedFeed::componentFailure(); };
    EXPECT_TRUE(feed.browse());
    EXPECT_EQ(feed.countOfItems(), 0);
    EXPECT_EQ(debugLines, (std::vector<std::string>{"error:FindIt", "error:FindIt"}));
    loader.onLoad = [] { return LoadedFeed(); };
    EXPECT_TRUE(feed.browse());
    EXPECT_EQ(debugLines.size(), 2u);
}

TEST(NewsFeedThreads, NoItemIsHandedOutWhileTheListIsRebuilt) {
    CallbackLoader loader;
    testing::TestCodePage codePage;
    NewsFeed feed{loader, codePage, nullptr};
    const std::string feedText = testing::readFixture("dates.xml");
    ASSERT_TRUE(feed.setUrl(kFeed));
    loader.onLoad = [&] {
        RSSITEM out;
        EXPECT_EQ(feed.countOfItems(), 0);
        EXPECT_FALSE(feed.getItem(out, 0));
        return testing::parseFeed(feedText);
    };
    ASSERT_TRUE(feed.browse());
    ASSERT_EQ(feed.countOfItems(), 5);
    ASSERT_TRUE(feed.browse());  // the second rebuild frees the first list's records

    // A reader copying items while the list is rebuilt over and over only ever sees whole,
    // live records (AddressSanitizer reports any read of a freed one).
    loader.onLoad = [&] { return testing::parseFeed(feedText); };
    std::atomic<bool> done{false};
    std::atomic<int> copies{0};
    std::thread reader([&] {
        RSSITEM out;
        while (!done.load()) {
            for (std::int32_t i = 0; i < 5; ++i) {
                if (!feed.getItem(out, i)) continue;
                ++copies;
                EXPECT_FALSE(fieldText(out.title).empty());
            }
        }
    });
    for (int round = 0; round < 200; ++round) EXPECT_TRUE(feed.browse());
    done = true;
    reader.join();
    EXPECT_EQ(feed.countOfItems(), 5);
    RecordProperty("copies", copies.load());
}

}  // namespace
}  // namespace likenex::news
