#pragma once
// The local news page that Update shows: built from the feed's items in memory as UTF-16 and
// written as UTF-16LE after the byte-order mark FF FE. Its meta element says utf-8; the browser
// goes by the byte-order mark. Feed text passes through the sanitizer first (HtmlSanitizer.h):
// the page is shown with local rights.

#include "base/CodePage.h"
#include "news/RssItem.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace likenex::update {

// The page: the head, one block per item in the given order, then the closing tags.
[[nodiscard]] std::u16string buildNewsPage(std::span<const news::RSSITEM> items, const CodePage& codePage);

// The file's bytes: FF FE, then each code unit low byte first, no terminator.
[[nodiscard]] std::vector<std::uint8_t> newsPageFile(std::u16string_view page);

// The four functions of the news library, as the page builder calls them.
class NewsSource {
public:
    virtual ~NewsSource() = default;
    virtual bool setUrl(const std::string& address) = 0;
    [[nodiscard]] virtual bool browse() = 0;
    [[nodiscard]] virtual std::int32_t countOfItems() = 0;
    [[nodiscard]] virtual bool getItem(news::RSSITEM& item, std::int32_t index) = 0;
};

// Hands the address to the library, has it fetch the feed and copies the items out, newest
// first. Empty when the fetch was refused: the page from an earlier run then stays as it is.
[[nodiscard]] std::optional<std::vector<news::RSSITEM>> fetchNewsItems(NewsSource& source, const std::string& address);

}  // namespace likenex::update
