#include "base/Text.h"

namespace likenex::text {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3f));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xd800 + (c >> 10));
        out += static_cast<char16_t>(0xdc00 + (c & 0x3ff));
    }
}

std::optional<char32_t> decodeUtf8(std::string_view s, std::size_t& i) {
    if (i >= s.size()) return std::nullopt;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const int extra = lead < 0x80             ? 0
                      : (lead & 0xe0) == 0xc0 ? 1
                      : (lead & 0xf0) == 0xe0 ? 2
                      : (lead & 0xf8) == 0xf0 ? 3
                                              : -1;
    if (extra < 0) return std::nullopt;
    char32_t c = extra == 0 ? lead : lead & (0x3f >> extra);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(extra); ++k) {
        if (i + k >= s.size() || (byte(i + k) & 0xc0) != 0x80) return std::nullopt;
        c = c << 6 | (byte(i + k) & 0x3f);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10ffff || isHighSurrogate(c) || isLowSurrogate(c)) return std::nullopt;
    i += static_cast<std::size_t>(extra) + 1;
    return c;
}

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c, bool lone) { appendUtf8(out, lone ? kReplacementCharacter : c); });
    return out;
}

std::optional<std::string> utf8FromUtf16Strict(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    bool sound = true;
    forEachCodePoint(text, [&](char32_t c, bool lone) {
        if (lone) sound = false;
        else appendUtf8(out, c);
    });
    if (!sound) return std::nullopt;
    return out;
}

std::optional<std::u16string> utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<char32_t> c = decodeUtf8(text, i);
        if (!c) return std::nullopt;
        appendUtf16(out, *c);
    }
    return out;
}

std::u16string utf16FromUtf8Replacing(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<char32_t> c = decodeUtf8(text, i);
        if (c) {
            appendUtf16(out, *c);
        } else {
            out += static_cast<char16_t>(kReplacementCharacter);
            ++i;
        }
    }
    return out;
}

std::wstring wideFromUtf16(std::u16string_view text) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::wstring(text.begin(), text.end());
    } else {
        std::wstring out;
        out.reserve(text.size());
        forEachCodePoint(text,
                         [&](char32_t c, bool lone) { out += static_cast<wchar_t>(lone ? kReplacementCharacter : c); });
        return out;
    }
}

std::u16string utf16FromWide(std::wstring_view text) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::u16string(text.begin(), text.end());
    } else {
        std::u16string out;
        out.reserve(text.size());
        for (const wchar_t w : text) {
            const auto c = static_cast<char32_t>(w);
            appendUtf16(out, c > 0x10ffff || isHighSurrogate(c) || isLowSurrogate(c) ? kReplacementCharacter : c);
        }
        return out;
    }
}

std::string utf8FromWide(std::wstring_view text) { return utf8FromUtf16(utf16FromWide(text)); }

std::wstring withNumber(std::wstring text, long long number) {
    const std::size_t at = text.find(L"%d");
    if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(number));
    return text;
}

}  // namespace likenex::text
