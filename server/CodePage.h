#pragma once
// The 8-bit code pages the server understands for the client's texts: passwords are digested
// in the client's code page, and the 8-bit texts the server sends are written in it. A
// character the code page lacks becomes '?', as the Windows conversion does by default.

#include "net/PasswordDigest.h"

#include <optional>
#include <string>
#include <string_view>

namespace likenex {

[[nodiscard]] std::string toWindows1252(std::u16string_view text);
[[nodiscard]] std::string toLatin1(std::u16string_view text);

// The conversion for a configured name ("windows-1252", "iso-8859-1"); nothing for others.
[[nodiscard]] std::optional<CodePageConversion> codePageNamed(std::string_view name);

}  // namespace likenex

namespace likenex {

// Folds letters to lower case for comparisons that ignore case: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic (the scripts of the client's languages that have case).
[[nodiscard]] std::u16string foldCase(std::u16string_view text);

}  // namespace likenex
