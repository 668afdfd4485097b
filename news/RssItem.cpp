#include "news/RssItem.h"

#include "base/Text.h"

#include <algorithm>
#include <cstring>

namespace likenex::news {
namespace {

// The %XX form of a character's UTF-8 bytes.
std::string percentEncoded(char32_t c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string utf8;
    text::appendUtf8(utf8, c);
    std::string out;
    for (const char byte : utf8) {
        const auto b = static_cast<unsigned char>(byte);
        out += '%';
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}

}  // namespace

void storeUtf16(char16_t* field, std::size_t units, std::u16string_view text) {
    if (units == 0) return;
    std::size_t count = std::min(text.size(), units - 1);
    // Cutting between the two halves of a pair would leave a lone high surrogate at the end:
    // not a character, so the page would show U+FFFD there, and a date holding it would sort
    // by half a character. The whole pair goes instead.
    if (count < text.size() && count > 0 && text::isHighSurrogate(text[count - 1]) && text::isLowSurrogate(text[count]))
        --count;
    std::fill_n(field, units, u'\0');
    std::copy_n(text.begin(), count, field);
}

void storeLink(RSSITEM& item, std::u16string_view link, const CodePage& codePage) {
    std::string bytes;
    bool full = false;
    text::forEachCodePoint(link, [&](char32_t c, bool lone) {
        if (full) return;
        if (lone) c = text::kReplacementCharacter;
        std::u16string utf16;
        text::appendUtf16(utf16, c);
        std::optional<std::string> spelled = codePage.fromWideExact(text::wideFromUtf16(utf16));
        const std::string piece = spelled && !spelled->empty() ? *spelled : percentEncoded(c);
        // Whole characters only: the rest of a double-byte character cut off at the end would
        // be read as half of something else.
        if (bytes.size() + piece.size() > kLinkBytes - 1) {
            full = true;
            return;
        }
        bytes += piece;
    });
    std::memset(item.link, 0, kLinkBytes);
    std::memcpy(item.link, bytes.data(), bytes.size());
}

std::u16string_view fieldText(const char16_t* field, std::size_t units) {
    return std::u16string_view(field, static_cast<std::size_t>(std::find(field, field + units, u'\0') - field));
}

std::string_view linkText(const RSSITEM& item) {
    return std::string_view(item.link,
                            static_cast<std::size_t>(std::find(item.link, item.link + kLinkBytes, '\0') - item.link));
}

}  // namespace likenex::news
