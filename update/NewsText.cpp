#include "update/NewsText.h"

#include "update/HtmlSanitizer.h"

#include <array>
#include <cstdint>

namespace likenex::update {
namespace {

[[nodiscard]] char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

[[nodiscard]] bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; }

// The element name of a tag's text (what lies between '<' and '>'), lower case, without '/'.
[[nodiscard]] std::u16string tagName(std::u16string_view tag) {
    std::size_t i = 0;
    if (i < tag.size() && tag[i] == u'/') ++i;
    std::u16string name;
    while (i < tag.size() && !isSpace(tag[i]) && tag[i] != u'/' && tag[i] != u'>') name += lower(tag[i++]);
    return name;
}

[[nodiscard]] bool breaksLine(const std::u16string& name) {
    static constexpr std::array<std::u16string_view, 16> kBlocks = {u"br", u"p",  u"div", u"li",        u"tr", u"table",
                                                                    u"ul", u"ol", u"h1",  u"h2",        u"h3", u"h4",
                                                                    u"h5", u"h6", u"hr",  u"blockquote"};
    for (std::u16string_view block : kBlocks)
        if (name == block) return true;
    return false;
}

// Decodes the entity at `at` ('&' ... ';'); the number of code units it took, 0 when it is none
// that we know (the '&' then stays as it is).
[[nodiscard]] std::size_t decodeEntity(std::u16string_view text, std::size_t at, std::u16string& out) {
    const std::size_t end = text.find(u';', at);
    if (end == std::u16string_view::npos || end - at > 10) return 0;
    const std::u16string_view name = text.substr(at + 1, end - at - 1);
    struct Named {
        std::u16string_view name;
        char16_t unit;
    };
    static constexpr std::array<Named, 6> kNamed = {
        {{u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u' '}}};
    for (const Named& named : kNamed)
        if (name == named.name) {
            out += named.unit;
            return end - at + 1;
        }
    if (name.size() < 2 || name[0] != u'#') return 0;
    const bool hex = name[1] == u'x' || name[1] == u'X';
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (std::size_t i = hex ? 2 : 1; i < name.size(); ++i, ++digits) {
        const char16_t c = name[i];
        std::uint32_t digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (hex && lower(c) >= u'a' && lower(c) <= u'f') digit = lower(c) - u'a' + 10;
        else return 0;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF) return 0;
    }
    // Control characters and lone surrogates would only garble the text box.
    if (digits == 0 || value < 0x20 || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    if (value >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
    } else {
        out += static_cast<char16_t>(value);
    }
    return end - at + 1;
}

// Appends `text` as a line of its own, without the spaces around it; nothing when it is empty,
// so that empty paragraphs and closing tags in a row leave no empty lines.
void appendLine(std::u16string& out, std::u16string_view text) {
    while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
    if (text.empty()) return;
    out += text;
    out += u"\r\n";
}

}  // namespace

std::u16string plainTextOfMarkup(std::u16string_view markup) {
    // The sanitizer has already dropped scripts, styles and the like with their content.
    const std::u16string safe = sanitizeHtml(markup);
    std::u16string out, line;
    for (std::size_t i = 0; i < safe.size();) {
        const char16_t c = safe[i];
        if (c == u'<') {
            const std::size_t close = safe.find(u'>', i);
            if (close == std::u16string::npos) break;  // the sanitizer leaves none; nothing after it is text
            if (breaksLine(tagName(std::u16string_view(safe).substr(i + 1, close - i - 1)))) {
                appendLine(out, line);
                line.clear();
            }
            i = close + 1;
        } else if (c == u'&') {
            const std::size_t taken = decodeEntity(safe, i, line);
            if (taken == 0) line += c;
            i += taken == 0 ? 1 : taken;
        } else if (isSpace(c)) {
            if (!line.empty() && line.back() != u' ') line += u' ';
            ++i;
        } else {
            line += c;
            ++i;
        }
    }
    appendLine(out, line);
    while (out.ends_with(u"\r\n")) out.resize(out.size() - 2);
    return out;
}

std::u16string newsPlainText(std::span<const news::RSSITEM> items) {
    std::u16string out;
    for (const news::RSSITEM& item : items) {
        if (!out.empty()) out += u"\r\n";
        out += plainTextOfMarkup(news::fieldText(item.title));
        out += u"\r\n";
        const std::u16string_view date = news::fieldText(item.date);
        if (!date.empty()) {
            out += date;
            out += u"\r\n";
        }
        const std::u16string content = plainTextOfMarkup(news::fieldText(item.content));
        if (!content.empty()) {
            out += content;
            out += u"\r\n";
        }
    }
    return out;
}

}  // namespace likenex::update
