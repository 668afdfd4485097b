// Fuzzes the HTML sanitizer: any UTF-16 text (the input's bytes taken in pairs, low byte
// first) comes out with no active content, as the tests' independent check reads it, and
// sanitizing the output again changes nothing.
#include "test_support/FuzzCheck.h"
#include "update/HtmlSanitizer.h"
#include "update/tests/ActiveContentCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string html;
    for (std::size_t i = 0; i + 1 < size; i += 2) html += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    const std::u16string out = likenex::update::sanitizeHtml(html);
    likenex::fuzzing::check(likenex::update::testing::activeContentIn(out).empty(), "no active content survives");
    likenex::fuzzing::check(likenex::update::sanitizeHtml(out) == out, "sanitized text is a fixed point");
    return 0;
}
