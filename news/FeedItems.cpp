#include "news/FeedItems.h"

#include <algorithm>

namespace likenex::news {
namespace {

std::u16string_view dateOf(const RSSITEM& item) { return fieldText(item.date); }

// Null when the component failed on one of the element's children.
std::unique_ptr<RSSITEM> readItem(FeedElement& element, const CodePage& codePage) {
    auto item = std::make_unique<RSSITEM>();  // value-initialised: every field zero
    NodeText title = element.childText(u"title");
    if (title.status == NodeStatus::failed) return nullptr;
    NodeText link = element.childText(u"link");
    if (link.status == NodeStatus::failed) return nullptr;
    NodeText date = element.childText(u"dc:date");
    if (date.status == NodeStatus::failed) return nullptr;
    NodeText content = element.childText(u"content:encoded");
    if (content.status == NodeStatus::failed) return nullptr;
    // A missing child reads as empty text, which leaves its field zero.
    storeUtf16(item->title, title.text);
    storeLink(*item, link.text, codePage);
    storeUtf16(item->date, date.text);
    storeUtf16(item->content, content.text);
    return item;
}

}  // namespace

void insertNewestFirst(ItemList& list, std::unique_ptr<RSSITEM> item) {
    const std::u16string_view date = dateOf(*item);
    // The list is sorted newest first, so "not less than the new date" holds for a prefix of
    // it: the first record past that prefix is the first one whose date is less.
    const auto place = std::partition_point(
        list.begin(), list.end(), [&](const std::unique_ptr<RSSITEM>& held) { return dateOf(*held) >= date; });
    list.insert(place, std::move(item));
}

bool readFeedItems(FeedDocument& document, const CodePage& codePage, ItemList& list) {
    std::size_t count = 0;
    if (!document.itemCount(count)) return false;
    // `count` is the component's word, not trusted to size anything: items are read one by one
    // and the walk stops at the first one the component cannot give.
    for (std::size_t i = 0; i < count; ++i) {
        const std::unique_ptr<FeedElement> element = document.item(i);
        if (!element) return false;
        std::unique_ptr<RSSITEM> item = readItem(*element, codePage);
        if (!item) return false;
        insertNewestFirst(list, std::move(item));
    }
    return true;
}

}  // namespace likenex::news
