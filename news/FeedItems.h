#pragma once
// Turning a loaded feed into the library's item list: each "item" element read into a record,
// records kept newest first by their date text.

#include "base/CodePage.h"
#include "news/FeedDocument.h"
#include "news/RssItem.h"

#include <memory>
#include <vector>

namespace likenex::news {

using ItemList = std::vector<std::unique_ptr<RSSITEM>>;

// Inserts before the first record whose date is less than the new one, comparing the UTF-16
// texts code unit by code unit (so a date ending in a surrogate pair sorts below one ending in
// U+E000 or above). Records with equal dates keep their arrival order. `list` must already be
// in this order, as every list built here is.
void insertNewestFirst(ItemList& list, std::unique_ptr<RSSITEM> item);

// Reads every item of the document into `list` (which it does not empty first). An element
// lacking a child leaves that field empty. Returns false when the component failed during the
// walk; the records read before the failure stay in the list.
[[nodiscard]] bool readFeedItems(FeedDocument& document, const CodePage& codePage, ItemList& list);

}  // namespace likenex::news
