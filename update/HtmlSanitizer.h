#pragma once
// Feed text goes into a local page that the browser control shows with the rights of a local
// file, so nothing from the feed may run there. Titles and contents keep the markup of an
// ordinary news item (paragraphs, line breaks, emphasis, fonts, lists, tables, http and https
// links and images); everything else is dropped: script and style with their text, frames,
// objects, embeds, forms, meta and base, comments, event-handler and style attributes, and any
// address that is not http or https (javascript:, vbscript:, data:, ...).
//
// The kept markup is written back in one plain form (attribute values in double quotes, double
// quotes and angle brackets inside them escaped), so the browser cannot read it differently from us. Markup that
// is already in that form comes out byte for byte as it went in.

#include <string>
#include <string_view>

namespace likenex::update {

[[nodiscard]] std::u16string sanitizeHtml(std::u16string_view html);

// The value for an href="..." written by the page itself: the link when it is an http or https
// address, with any double quote (and angle bracket) escaped so that it cannot leave the
// attribute; otherwise empty.
[[nodiscard]] std::u16string safeHref(std::u16string_view link);

// Text meant as text: &, <, > and " escaped.
[[nodiscard]] std::u16string escapeText(std::u16string_view text);

}  // namespace likenex::update
