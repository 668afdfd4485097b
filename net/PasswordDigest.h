#pragma once
// The password digest the editor sends: a password of at most 30 characters becomes the MD5
// of its bytes in the client's 8-bit code page, as 32 lower-case hexadecimal digits; a longer
// text is a digest remembered from an earlier sign-in and is sent as it is (its 8-bit
// conversion, at most 32 bytes). The server applies the same rule wherever a person types a
// password (the account command, the registration and access-password pages).

#include <functional>
#include <string>
#include <string_view>

namespace likenex {

inline constexpr std::size_t kLongestDigestedPassword = 30;

// Converts UTF-16 text to the client's 8-bit code page.
using CodePageConversion = std::function<std::string(std::u16string_view)>;

[[nodiscard]] std::string passwordDigest(std::u16string_view password, const CodePageConversion& toCodePage);

}  // namespace likenex
