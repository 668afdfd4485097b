#pragma once
// The four functions News.dll exports, by name, with the C calling convention of the
// platform: the caller sets the address, has the feed fetched, then copies items out. Each
// returns 1 for success and 0 for failure.

#include "news/RssItem.h"

#include <cstdint>

namespace likenex::news {

using SetUrlFunction = std::int32_t (*)(const char* address);
using BrowseFunction = std::int32_t (*)();
using CountOfItemsFunction = std::int32_t (*)();
using GetItemFunction = std::int32_t (*)(RSSITEM* item, std::int32_t index);

inline constexpr char kSetUrlExport[] = "SetURL";
inline constexpr char kBrowseExport[] = "Broswer";  // the name callers link to, spelling and all
inline constexpr char kCountOfItemsExport[] = "GetCountOfItems";
inline constexpr char kGetItemExport[] = "GetItem";

}  // namespace likenex::news
