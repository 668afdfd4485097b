#pragma once
// Conversions between the program's text encodings, written once. Interface text is UTF-16;
// the tools' text files and the message log are UTF-8; wide strings are what Win32 takes
// (UTF-16 there, UTF-32 in the host build, which is why wide conversions are not plain
// copies). The system's 8-bit code page sits behind CodePage.h.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace likenex::text {

inline constexpr char32_t kReplacementCharacter = 0xfffd;

[[nodiscard]] constexpr bool isHighSurrogate(char32_t unit) { return unit >= 0xd800 && unit <= 0xdbff; }
[[nodiscard]] constexpr bool isLowSurrogate(char32_t unit) { return unit >= 0xdc00 && unit <= 0xdfff; }

// Code points beyond U+10FFFF and lone surrogates must not reach these.
void appendUtf8(std::string& out, char32_t c);
void appendUtf16(std::u16string& out, char32_t c);

// One code point from UTF-8 at `i`, advancing `i` past it. Refuses overlong forms, encoded
// surrogates, values past U+10FFFF and cut sequences (then `i` is left where it was).
[[nodiscard]] std::optional<char32_t> decodeUtf8(std::string_view s, std::size_t& i);

// Calls `visit(codePoint, lone)` for every code point of UTF-16 text; an unpaired surrogate
// is passed as itself with `lone` set.
template <typename Visit>
void forEachCodePoint(std::u16string_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t u = text[i];
        if (isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            visit(0x10000 + ((u - 0xd800) << 10) + (text[i + 1] - 0xdc00u), false);
            ++i;
        } else {
            visit(u, isHighSurrogate(u) || isLowSurrogate(u));
        }
    }
}

// Unpaired surrogates become U+FFFD.
[[nodiscard]] std::string utf8FromUtf16(std::u16string_view text);
// Empty when the text holds an unpaired surrogate: for peers that must not see a guess.
[[nodiscard]] std::optional<std::string> utf8FromUtf16Strict(std::u16string_view text);
// Empty when the bytes are not valid UTF-8.
[[nodiscard]] std::optional<std::u16string> utf16FromUtf8(std::string_view text);
// For text from outside that is shown rather than trusted: every byte that does not start a
// valid sequence becomes one U+FFFD, and decoding goes on from the next byte.
[[nodiscard]] std::u16string utf16FromUtf8Replacing(std::string_view text);

[[nodiscard]] std::wstring wideFromUtf16(std::u16string_view text);
[[nodiscard]] std::u16string utf16FromWide(std::wstring_view text);
[[nodiscard]] std::string utf8FromWide(std::wstring_view text);

// A language table text with its first "%d" replaced by the number; a text without one as it is.
[[nodiscard]] std::wstring withNumber(std::wstring text, long long number);

}  // namespace likenex::text
