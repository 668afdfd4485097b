#pragma once
// The library's one feed: the address accepted last, and the items of the last fetch, newest
// first. The four exported functions of News.dll forward to one process-wide instance; the
// XML component, the code page and the debugger output are handed in, so the host tests run
// the same logic with a parser of their own.
//
// Threads: getItem and countOfItems may run while browse rebuilds the list: the count is 0
// from the start of a rebuild until the new list is complete, and the copy in getItem happens
// under the item lock, so no caller ever reads a record being freed. Two browse calls are
// serialised rather than left to race over the list.

#include "base/CodePage.h"
#include "news/FeedDocument.h"
#include "news/FeedItems.h"
#include "news/RssItem.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace likenex::news {

// Written to the debugger output when the component fails while the feed is loaded or its
// items are walked.
inline constexpr char kWalkFailedText[] = "error:FindIt";

class NewsFeed {
public:
    using DebugOutput = std::function<void(const char* text)>;

    NewsFeed(FeedLoader& loader, const CodePage& codePage, DebugOutput debugOutput)
        : loader_(loader), codePage_(codePage), debugOutput_(std::move(debugOutput)) {}

    // Keeps the address when it is a feed address (see isFeedUrl); otherwise the previous one
    // stays and the result is false.
    [[nodiscard]] bool setUrl(std::string_view address);
    [[nodiscard]] std::string url() const;

    // Fetches and parses the feed at the kept address, replacing every item. False only when no
    // address is kept (the items are then left as they were); a feed that fails to load leaves
    // no items, one that fails half way the items read so far.
    [[nodiscard]] bool browse();

    [[nodiscard]] std::int32_t countOfItems() const { return count_.load(std::memory_order_acquire); }

    // Copies item `index` (0 is the newest) into `out`; false, with `out` untouched, when the
    // index is negative or not below the count.
    [[nodiscard]] bool getItem(RSSITEM& out, std::int32_t index) const;

private:
    void rebuild(const std::string& address);

    FeedLoader& loader_;
    const CodePage& codePage_;
    DebugOutput debugOutput_;

    mutable std::mutex urlLock_;
    std::string url_;

    std::mutex browseLock_;  // one rebuild at a time; taken before the item lock
    // The item lock guards changes of the count and the copying of records. The list itself
    // is rebuilt without it, while the count is 0.
    mutable std::mutex itemLock_;
    std::atomic<std::int32_t> count_{0};
    ItemList items_;
};

}  // namespace likenex::news
