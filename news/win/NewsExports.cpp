// The exports of News.dll: one process-wide feed behind four C functions. The feed object is
// built on first use (inside a call, never while the loader lock is held) and lives until the
// process ends; its item lock is what makes GetItem safe beside a running Broswer.

#include "news/NewsExports.h"

#include "news/NewsFeed.h"
#include "news/win/DomFeedLoader.h"
#include "platform/win/CodePage.h"

#include <windows.h>

namespace {

using likenex::news::NewsFeed;
using likenex::news::RSSITEM;

NewsFeed& feed() {
    static likenex::news::DomFeedLoader loader;
    static NewsFeed instance(loader, likenex::systemCodePage(), [](const char* text) { OutputDebugStringA(text); });
    return instance;
}

// Nothing may leave through the C boundary: a failure the feed did not expect is a 0.
template <typename Call>
std::int32_t guarded(Call call) noexcept {
    try {
        return call() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace

extern "C" {

__declspec(dllexport) std::int32_t SetURL(const char* address) {
    if (!address) return 0;
    return guarded([&] { return feed().setUrl(address); });
}

__declspec(dllexport) std::int32_t Broswer() {
    return guarded([] { return feed().browse(); });
}

__declspec(dllexport) std::int32_t GetCountOfItems() {
    try {
        return feed().countOfItems();
    } catch (...) {
        return 0;
    }
}

__declspec(dllexport) std::int32_t GetItem(RSSITEM* item, std::int32_t index) {
    if (!item) return 0;
    return guarded([&] { return feed().getItem(*item, index); });
}

}  // extern "C"

// The exported types must match what callers load by name.
static_assert(std::is_same_v<decltype(&SetURL), likenex::news::SetUrlFunction>);
static_assert(std::is_same_v<decltype(&Broswer), likenex::news::BrowseFunction>);
static_assert(std::is_same_v<decltype(&GetCountOfItems), likenex::news::CountOfItemsFunction>);
static_assert(std::is_same_v<decltype(&GetItem), likenex::news::GetItemFunction>);
