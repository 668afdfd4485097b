#pragma once
// The news as plain text, for a dialog whose browser control cannot show the page (no HTML
// engine, as under Wine here): each item's title, date and content with the markup taken out,
// lines ending in CR LF as an edit control wants them.

#include "news/RssItem.h"

#include <span>
#include <string>
#include <string_view>

namespace likenex::update {

[[nodiscard]] std::u16string newsPlainText(std::span<const news::RSSITEM> items);

// One piece of feed markup as text: active content (scripts, styles) is dropped, line-breaking
// elements become line breaks, other tags go, the common entities are decoded and runs of white
// space fold to one space.
[[nodiscard]] std::u16string plainTextOfMarkup(std::u16string_view markup);

}  // namespace likenex::update
