#pragma once
// An independent reading of sanitized markup for the tests: every '<' must open a plain tag
// (name, then attributes as name="value") of a benign element; no attribute may be an event
// handler, a style or another address-holding attribute, and href and src must be http or
// https addresses as the browser reads them (entities decoded, blanks dropped). Written without the sanitizer's code,
// with Boost.Regex, so that the two do not share a mistake.

#include <string>

namespace likenex::update::testing {

// Empty when the markup holds no active content; otherwise what was found.
[[nodiscard]] std::string activeContentIn(const std::u16string& markup);

}  // namespace likenex::update::testing
