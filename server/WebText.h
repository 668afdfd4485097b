#pragma once
// Small text helpers of the web side: HTML escaping, form and query decoding.

#include <map>
#include <string>
#include <string_view>

namespace likenex {

// Escapes & < > " ' so that any text is safe inside element content and quoted attributes.
[[nodiscard]] std::string htmlEscape(std::string_view text);
// Decodes %XX and '+' of a query or form value; malformed escapes stay as they are.
[[nodiscard]] std::string percentDecode(std::string_view text);
// "a=1&b=2" as a map; the first of repeated keys wins.
[[nodiscard]] std::map<std::string, std::string> parseForm(std::string_view text);
// Keeps only the path of a target ("/a/1?x" gives "/a/1").
[[nodiscard]] std::string_view targetPath(std::string_view target);
[[nodiscard]] std::string_view targetQuery(std::string_view target);

}  // namespace likenex
