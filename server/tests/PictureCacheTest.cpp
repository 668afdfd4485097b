// The code pictures' cache: bounded by bytes, the least recently used out first, a picture
// larger than the budget never kept, a key kept once.
#include "server/PictureCache.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

std::shared_ptr<const CachedPicture> pictureOf(std::size_t size, char fill = 'x') {
    return std::make_shared<CachedPicture>(CachedPicture{std::vector<std::uint8_t>(size, fill), "\"e\""});
}

TEST(PictureCache, DropsTheLeastRecentlyUsedToStayWithinItsBytes) {
    PictureCache cache(4000);  // each picture below costs about 1 KB with its entry
    cache.keep("a", pictureOf(900));
    cache.keep("b", pictureOf(900));
    cache.keep("c", pictureOf(900));
    EXPECT_EQ(cache.count(), 3u);
    ASSERT_NE(cache.find("a"), nullptr);  // a is now the most recently used
    cache.keep("d", pictureOf(900));
    EXPECT_EQ(cache.find("b"), nullptr);
    EXPECT_NE(cache.find("a"), nullptr);
    EXPECT_NE(cache.find("c"), nullptr);
    EXPECT_NE(cache.find("d"), nullptr);
    EXPECT_LE(cache.bytes(), 4000u);
    // One large picture pushes out as many as it needs.
    cache.keep("e", pictureOf(3500));
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_NE(cache.find("e"), nullptr);
}

TEST(PictureCache, KeepsAKeyOnceAndNeverWhatCannotFit) {
    PictureCache cache(4000);  // each picture below costs about 1 KB with its entry
    cache.keep("a", pictureOf(900, 'a'));
    const std::size_t one = cache.bytes();
    cache.keep("a", pictureOf(900, 'b'));
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_EQ(cache.bytes(), one);
    EXPECT_EQ(cache.find("a")->bytes[0], 'b');
    // Too large for the whole budget: not kept, and nothing else is pushed out for it.
    cache.keep("huge", pictureOf(5000));
    EXPECT_EQ(cache.find("huge"), nullptr);
    EXPECT_NE(cache.find("a"), nullptr);
    // A picture handed out outlives its entry.
    auto held = cache.find("a");
    cache.keep("big", pictureOf(2900));
    EXPECT_EQ(cache.find("a"), nullptr);
    EXPECT_EQ(held->bytes.size(), 900u);
    PictureCache none(0);
    none.keep("a", pictureOf(1));
    EXPECT_EQ(none.count(), 0u);
}

}  // namespace
}  // namespace likenex
