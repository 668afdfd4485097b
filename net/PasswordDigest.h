#pragma once
// Password digests. A password a person types is always sent and stored as the MD5 of its
// bytes in the client's 8-bit code page, as 32 lower-case hexadecimal digits
// (`typedPasswordDigest`); only a digest the editor remembered from an earlier sign-in goes
// out as it was kept. Earlier versions sent a typed password of more than 30 characters
// unchanged instead of digesting it (`legacyPasswordDigest`); the server still accepts that
// form where it has stored it, so that such accounts and access passwords keep working.

#include <functional>
#include <string>
#include <string_view>

namespace likenex {

inline constexpr std::size_t kLongestDigestedPassword = 30;

// Converts UTF-16 text to the client's 8-bit code page.
using CodePageConversion = std::function<std::string(std::u16string_view)>;

[[nodiscard]] std::string typedPasswordDigest(std::u16string_view password, const CodePageConversion& toCodePage);

// The earlier rule: at most 30 characters digested as above, a longer text passed through as
// its 8-bit conversion cut to 32 bytes.
[[nodiscard]] std::string legacyPasswordDigest(std::u16string_view password, const CodePageConversion& toCodePage);

}  // namespace likenex
