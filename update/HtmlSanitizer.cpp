#include "update/HtmlSanitizer.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace likenex::update {
namespace {

struct Element {
    std::u16string_view name;
    std::u16string_view attributes;  // space-separated, besides the ones every element may have
};

// The allow-list. Names are lower case; input is compared case-insensitively.
constexpr std::array kElements = {
    Element{u"a", u"href target name"},
    Element{u"img", u"src alt width height border align hspace vspace"},
    Element{u"p", u"align"},
    Element{u"div", u"align"},
    Element{u"span", u""},
    Element{u"br", u"clear"},
    Element{u"hr", u"width size noshade align"},
    Element{u"b", u""},
    Element{u"i", u""},
    Element{u"u", u""},
    Element{u"s", u""},
    Element{u"strike", u""},
    Element{u"strong", u""},
    Element{u"em", u""},
    Element{u"small", u""},
    Element{u"big", u""},
    Element{u"sub", u""},
    Element{u"sup", u""},
    Element{u"tt", u""},
    Element{u"code", u""},
    Element{u"pre", u""},
    Element{u"blockquote", u""},
    Element{u"center", u""},
    Element{u"font", u"color size face"},
    Element{u"h1", u"align"},
    Element{u"h2", u"align"},
    Element{u"h3", u"align"},
    Element{u"h4", u"align"},
    Element{u"h5", u"align"},
    Element{u"h6", u"align"},
    Element{u"ul", u"type"},
    Element{u"ol", u"type start"},
    Element{u"li", u"type value"},
    Element{u"dl", u""},
    Element{u"dt", u""},
    Element{u"dd", u""},
    Element{u"table", u"width height border cellpadding cellspacing bgcolor align"},
    Element{u"caption", u"align"},
    Element{u"thead", u"align valign"},
    Element{u"tbody", u"align valign"},
    Element{u"tfoot", u"align valign"},
    Element{u"tr", u"align valign bgcolor height"},
    Element{u"td", u"width height align valign bgcolor colspan rowspan nowrap"},
    Element{u"th", u"width height align valign bgcolor colspan rowspan nowrap"},
};
constexpr std::u16string_view kCommonAttributes = u"title";
// Attributes holding an address: only http and https ones are kept.
constexpr std::array<std::u16string_view, 2> kAddressAttributes = {u"href", u"src"};

// Elements whose text the browser does not read as markup: they go with everything up to their
// end tag, since that text is script, style sheet or a frame's fallback.
constexpr std::array<std::u16string_view, 12> kDroppedWithText = {u"script",   u"style",     u"iframe",  u"noembed",
                                                                  u"noframes", u"noscript",  u"xmp",     u"title",
                                                                  u"textarea", u"plaintext", u"comment", u"xml"};

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

std::u16string lowered(std::u16string_view text) {
    std::u16string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && lowered(text.substr(0, prefix.size())) == prefix;
}

bool inList(std::u16string_view list, std::u16string_view word) {
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t end = list.find(u' ', at);
        if (end == std::u16string_view::npos) end = list.size();
        if (list.substr(at, end - at) == word) return true;
        at = end + 1;
    }
    return false;
}

const Element* allowedElement(std::u16string_view lowerName) {
    for (const Element& element : kElements)
        if (element.name == lowerName) return &element;
    return nullptr;
}

bool isHttpAddress(std::u16string_view value) {
    return startsWithNoCase(value, u"http://") || startsWithNoCase(value, u"https://");
}

// Appends an attribute value for writing inside double quotes. Only the quote could end the
// value; the angle brackets are escaped too, so that no reader that looks for tags without
// regard to quotes finds one in a value.
void appendQuoted(std::u16string& out, std::u16string_view value) {
    for (const char16_t c : value) {
        switch (c) {
        case u'"': out += u"&quot;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        default: out += c;
        }
    }
}

struct Attribute {
    std::u16string_view name;
    std::optional<std::u16string_view> value;  // as written, entities and all
};

// One tag as the browser's tokenizer splits it: the name runs to a space, '/' or '>'; a quoted
// value runs to its closing quote, '>' included.
struct Tag {
    bool end = false;
    std::u16string_view name;
    std::vector<Attribute> attributes;
    bool selfClosing = false;
    bool spaceBeforeSlash = false;
    std::size_t next = 0;  // just past the '>'
};

// The tag starting at `at` (a '<' followed by a letter, or "</" and a letter); empty when the
// text ends before the tag does.
std::optional<Tag> readTag(std::u16string_view html, std::size_t at) {
    Tag tag;
    std::size_t i = at + 1;
    if (html[i] == u'/') {
        tag.end = true;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < html.size() && !isSpace(html[i]) && html[i] != u'/' && html[i] != u'>') ++i;
    tag.name = html.substr(nameStart, i - nameStart);
    for (;;) {
        while (i < html.size() && (isSpace(html[i]) || html[i] == u'/')) {
            if (html[i] == u'/' && i + 1 < html.size() && html[i + 1] == u'>') {
                tag.selfClosing = true;
                tag.spaceBeforeSlash = isSpace(html[i - 1]);
            }
            ++i;
        }
        if (i >= html.size()) return std::nullopt;
        if (html[i] == u'>') {
            tag.next = i + 1;
            return tag;
        }
        tag.selfClosing = false;
        const std::size_t attributeStart = i;
        ++i;  // a name may begin with '='
        while (i < html.size() && !isSpace(html[i]) && html[i] != u'/' && html[i] != u'>' && html[i] != u'=') ++i;
        Attribute attribute{html.substr(attributeStart, i - attributeStart), std::nullopt};
        std::size_t j = i;
        while (j < html.size() && isSpace(html[j])) ++j;
        if (j < html.size() && html[j] == u'=') {
            ++j;
            while (j < html.size() && isSpace(html[j])) ++j;
            if (j >= html.size()) return std::nullopt;
            if (html[j] == u'"' || html[j] == u'\'') {
                const std::size_t close = html.find(html[j], j + 1);
                if (close == std::u16string_view::npos) return std::nullopt;
                attribute.value = html.substr(j + 1, close - j - 1);
                i = close + 1;
            } else {
                const std::size_t valueStart = j;
                while (j < html.size() && !isSpace(html[j]) && html[j] != u'>') ++j;
                attribute.value = html.substr(valueStart, j - valueStart);
                i = j;
            }
        }
        tag.attributes.push_back(attribute);
    }
}

bool keepAttribute(const Element& element, const Attribute& attribute) {
    const std::u16string name = lowered(attribute.name);
    if (!inList(element.attributes, name) && !inList(kCommonAttributes, name)) return false;
    if (std::find(kAddressAttributes.begin(), kAddressAttributes.end(), name) != kAddressAttributes.end())
        return attribute.value && isHttpAddress(*attribute.value);
    return true;
}

void writeTag(std::u16string& out, const Tag& tag) {
    out += tag.end ? u"</" : u"<";
    out += tag.name;
    if (!tag.end) {
        const Element& element = *allowedElement(lowered(tag.name));
        for (const Attribute& attribute : tag.attributes) {
            if (!keepAttribute(element, attribute)) continue;
            out += u' ';
            out += attribute.name;
            if (attribute.value) {
                out += u"=\"";
                appendQuoted(out, *attribute.value);
                out += u'"';
            }
        }
        if (tag.selfClosing) out += tag.spaceBeforeSlash ? u" /" : u"/";
    }
    out += u'>';
}

// Where the text of a dropped element ends: just past its end tag, or the end of the text.
std::size_t pastEndTag(std::u16string_view html, std::size_t from, std::u16string_view lowerName) {
    for (std::size_t at = html.find(u"</", from); at != std::u16string_view::npos; at = html.find(u"</", at + 2)) {
        const std::size_t after = at + 2 + lowerName.size();
        if (!startsWithNoCase(html.substr(at + 2), lowerName)) continue;
        if (after < html.size() && !isSpace(html[after]) && html[after] != u'/' && html[after] != u'>') continue;
        const std::size_t close = html.find(u'>', after);
        return close == std::u16string_view::npos ? html.size() : close + 1;
    }
    return html.size();
}

// Just past the '>' closing a comment, a declaration or a processing instruction, or the end of
// the text. Nothing of these is kept: conditional comments are how old browsers hid script.
std::size_t pastMarkupDeclaration(std::u16string_view html, std::size_t at) {
    const bool comment = html.substr(at, 4) == u"<!--";
    const std::size_t close = comment ? html.find(u"-->", at + 4) : html.find(u'>', at + 1);
    if (close == std::u16string_view::npos) return html.size();
    return close + (comment ? 3 : 1);
}

}  // namespace

std::u16string sanitizeHtml(std::u16string_view html) {
    std::u16string out;
    out.reserve(html.size());
    std::size_t i = 0;
    while (i < html.size()) {
        const char16_t c = html[i];
        if (c != u'<') {
            out += c;
            ++i;
            continue;
        }
        const char16_t next = i + 1 < html.size() ? html[i + 1] : u'\0';
        if (next == u'!' || next == u'?') {
            i = pastMarkupDeclaration(html, i);
            continue;
        }
        const bool tagLike = isAsciiLetter(next) || (next == u'/' && i + 2 < html.size() && isAsciiLetter(html[i + 2]));
        const std::optional<Tag> tag = tagLike ? readTag(html, i) : std::nullopt;
        if (!tag) {
            // Not a tag, or one cut off by the end of the text: as text, so that it cannot join
            // the markup that follows it in the page.
            out += u"&lt;";
            ++i;
            continue;
        }
        const std::u16string name = lowered(tag->name);
        if (allowedElement(name)) {
            writeTag(out, *tag);
            i = tag->next;
        } else if (!tag->end &&
                   std::find(kDroppedWithText.begin(), kDroppedWithText.end(), name) != kDroppedWithText.end()) {
            i = pastEndTag(html, tag->next, name);
        } else {
            i = tag->next;  // the tag goes; what it held is read as markup like the rest
        }
    }
    return out;
}

std::u16string safeHref(std::u16string_view link) {
    std::u16string out;
    if (isHttpAddress(link)) appendQuoted(out, link);
    return out;
}

std::u16string escapeText(std::u16string_view text) {
    std::u16string out;
    for (const char16_t c : text) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace likenex::update
