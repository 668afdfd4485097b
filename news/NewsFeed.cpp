#include "news/NewsFeed.h"

#include "news/FeedUrl.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace likenex::news {

bool NewsFeed::setUrl(std::string_view address) {
    if (!isFeedUrl(address)) return false;
    const std::lock_guard lock(urlLock_);
    url_.assign(address);
    return true;
}

std::string NewsFeed::url() const {
    const std::lock_guard lock(urlLock_);
    return url_;
}

bool NewsFeed::browse() {
    const std::string address = url();
    if (address.empty()) return false;
    const std::lock_guard rebuilding(browseLock_);
    {
        const std::lock_guard lock(itemLock_);
        count_.store(0, std::memory_order_release);
    }
    try {
        rebuild(address);
    } catch (...) {
        // A failure the walk did not handle (out of memory, a throwing component) ends the
        // fetch; the records already read are still offered.
    }
    const std::lock_guard lock(itemLock_);
    const std::size_t held = std::min<std::size_t>(items_.size(), std::numeric_limits<std::int32_t>::max());
    count_.store(static_cast<std::int32_t>(held), std::memory_order_release);
    return true;
}

void NewsFeed::rebuild(const std::string& address) {
    items_.clear();
    const LoadedFeed loaded = loader_.load(address);
    const bool walked = loaded.document ? readFeedItems(*loaded.document, codePage_, items_) : !loaded.componentFailed;
    if (!walked && debugOutput_) debugOutput_(kWalkFailedText);
}

bool NewsFeed::getItem(RSSITEM& out, std::int32_t index) const {
    const std::lock_guard lock(itemLock_);
    if (index < 0 || index >= count_.load(std::memory_order_relaxed)) return false;
    std::memcpy(&out, items_[static_cast<std::size_t>(index)].get(), sizeof(RSSITEM));
    return true;
}

}  // namespace likenex::news
