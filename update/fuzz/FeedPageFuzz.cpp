// Fuzzes what our code does with feed text on its way to the news page: item fields cut into
// their records, records ordered newest first, and the page built from them. The input is
// taken as UTF-16 (bytes in pairs, low byte first) and split at U+0001 into fields, four to an
// item: title, link, date, content. Whatever the text, every field stays terminated within its
// record, the list stays ordered with equal dates in arrival order, and the page keeps its
// head and ending with no active content in it.
#include "base/Text.h"
#include "news/FeedItems.h"
#include "news/RssItem.h"
#include "test_support/FuzzCheck.h"
#include "update/NewsPage.h"
#include "update/tests/ActiveContentCheck.h"
#include "update/tests/Latin1CodePage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace likenex;
using update::testing::Latin1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    std::vector<std::u16string> fields(1);
    for (const char16_t unit : text) {
        if (unit == 1) fields.emplace_back();
        else fields.back() += unit;
    }
    while (fields.size() % 4) fields.emplace_back();

    const Latin1 codePage;
    news::ItemList list;
    std::vector<news::RSSITEM> arrived;  // every record in feed order, for the order computed another way
    for (std::size_t i = 0; i < fields.size(); i += 4) {
        auto item = std::make_unique<news::RSSITEM>();
        news::storeUtf16(item->title, fields[i]);
        news::storeLink(*item, fields[i + 1], codePage);
        news::storeUtf16(item->date, fields[i + 2]);
        news::storeUtf16(item->content, fields[i + 3]);
        fuzzing::check(item->title[news::kTitleUnits - 1] == 0 && item->link[news::kLinkBytes - 1] == 0 &&
                           item->date[news::kDateUnits - 1] == 0 && item->content[news::kContentUnits - 1] == 0,
                       "every field ends in a terminator inside its record");
        fuzzing::check(fields[i].substr(0, news::fieldText(item->title).size()) == news::fieldText(item->title),
                       "a cut title is a prefix of the title");
        arrived.push_back(*item);
        news::insertNewestFirst(list, std::move(item));
    }
    // A stable sort by date, newest first, is the order the list must have.
    std::stable_sort(arrived.begin(), arrived.end(), [](const news::RSSITEM& a, const news::RSSITEM& b) {
        return news::fieldText(a.date) > news::fieldText(b.date);
    });
    fuzzing::check(list.size() == arrived.size(), "every item is listed");
    for (std::size_t i = 0; i < list.size(); ++i)
        fuzzing::check(std::memcmp(list[i].get(), &arrived[i], sizeof(news::RSSITEM)) == 0,
                       "newest first, equal dates in feed order");

    std::vector<news::RSSITEM> items;
    for (const auto& held : list) items.push_back(*held);
    const std::u16string page = update::buildNewsPage(items, codePage);
    // The head is the page of no items without its closing tags; it holds our own style
    // sheet, so the check for active content looks at the item blocks only.
    const std::u16string noItems = update::buildNewsPage({}, codePage);
    const std::u16string_view closing = u"</body></html>";
    const std::u16string_view head = std::u16string_view(noItems).substr(0, noItems.size() - closing.size());
    fuzzing::check(page.compare(0, head.size(), head) == 0, "the page starts with its head");
    fuzzing::check(page.size() >= head.size() + closing.size() &&
                       page.compare(page.size() - closing.size(), closing.size(), closing) == 0,
                   "the page ends with its closing tags");
    // Between the head and the closing tags: the item blocks alone.
    const std::string found =
        update::testing::activeContentIn(page.substr(head.size(), page.size() - head.size() - closing.size()));
    if (!found.empty()) std::fprintf(stderr, "%s\n", found.c_str());
    fuzzing::check(found.empty(), "no active content from the feed");
    const std::vector<std::uint8_t> file = update::newsPageFile(page);
    fuzzing::check(file.size() == 2 + 2 * page.size() && file[0] == 0xFF && file[1] == 0xFE, "FF FE, two bytes a unit");
    return 0;
}
