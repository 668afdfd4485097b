#pragma once
// One feed item as News.dll hands it to its caller: a fixed record of 7512 bytes, copied whole
// across the library boundary, so its layout is part of the interface. Every text field is
// zero-terminated and zero after its text. The record is plain data: it is filled only through
// the store functions below, which cut a text that does not fit instead of overrunning.

#include "base/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace likenex::news {

inline constexpr std::size_t kTitleUnits = 300;     // 299 units and the terminator
inline constexpr std::size_t kLinkBytes = 512;      // 511 bytes and the terminator
inline constexpr std::size_t kContentUnits = 3072;  // 3071 units and the terminator
inline constexpr std::size_t kDateUnits = 128;      // 127 units and the terminator

struct RSSITEM {
    char16_t title[kTitleUnits];
    char link[kLinkBytes];  // in the system's 8-bit code page
    char16_t content[kContentUnits];
    char16_t date[kDateUnits];
};

static_assert(sizeof(RSSITEM) == 7512, "the record is copied whole across the library boundary");
static_assert(offsetof(RSSITEM, title) == 0);
static_assert(offsetof(RSSITEM, link) == 600);
static_assert(offsetof(RSSITEM, content) == 1112);
static_assert(offsetof(RSSITEM, date) == 7256);

// Stores UTF-16 text into a field of `units` code units: at most units - 1 of them, the rest
// zero. A cut never leaves the first half of a surrogate pair at the end of the field.
void storeUtf16(char16_t* field, std::size_t units, std::u16string_view text);

// Stores the link in the code page: at most 511 bytes, the rest zero, cut between characters
// (never inside a double-byte character). A character the code page cannot spell exactly is
// written as its UTF-8 bytes in %XX form, as browsers do with such addresses, so the link
// still leads where the feed meant rather than to a best-fit guess.
void storeLink(RSSITEM& item, std::u16string_view link, const CodePage& codePage);

// A field's text up to its terminator, never past the field.
[[nodiscard]] std::u16string_view fieldText(const char16_t* field, std::size_t units);
[[nodiscard]] std::string_view linkText(const RSSITEM& item);

template <std::size_t N>
void storeUtf16(char16_t (&field)[N], std::u16string_view text) {
    storeUtf16(field, N, text);
}
template <std::size_t N>
[[nodiscard]] std::u16string_view fieldText(const char16_t (&field)[N]) {
    return fieldText(field, N);
}

}  // namespace likenex::news
