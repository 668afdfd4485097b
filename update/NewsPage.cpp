#include "update/NewsPage.h"

#include "base/Text.h"
#include "update/HtmlSanitizer.h"

namespace likenex::update {
namespace {

// Written one after the other, with nothing between them.
constexpr std::u16string_view kHead[] = {
    u"<HTML>",
    u"<HEAD>",
    u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
    u"<style type=\"text/css\">",
    u"<!--",
    u"body,td,tr,table,input,select,textarea, {",
    u"\tfont-size: 12px;",
    u"}",
    u"a:link {",
    u"color: #000000;",
    u"text-decoration: none;",
    u"}",
    u"a:hover {",
    u"color: #FF0000;",
    u"text-decoration: underline;",
    u"}",
    u"a:active {",
    u"color: #FFCC00;",
    u"text-decoration: none;",
    u"}",
    u"a:visited {",
    u"color: #000000;",
    u"text-decoration: none;",
    u"}",
    u"-->",
    u"</style>",
    u"</head>",
    u"<body text=\"#181818\" leftmargin=\"5\" topmargin=\"5\" marginwidth=\"5\" marginheight=\"5\">",
    u"<br>",
};

constexpr std::u16string_view kBeforeLink =
    u"<table width=\"100%\" border=\"0\" cellpadding=\"3\" cellspacing=\"0\" bgcolor=\"#FFFFFF\">"
    u"<tr> "
    u"<td width=\"1%\" bgcolor=\"#FFFFFF\"><strong><font color=\"#A8A8A8\">\u25A0</font></strong></td>"
    u"<td nowrap bgcolor=\"#FFFFFF\"><a href=\"";
constexpr std::u16string_view kBeforeTitle = u"\" target=\"_blank\"><strong>";
constexpr std::u16string_view kBeforeDate =
    u"</strong></a> "
    u"</td>"
    u"<td width=\"20%\" nowrap bgcolor=\"#EFEFEF\">";
constexpr std::u16string_view kBeforeContent =
    u"</td>"
    u"</tr>"
    u"</table>"
    u"<table width=\"100%\" border=\"0\" cellpadding=\"3\" cellspacing=\"3\" bgcolor=\"#EFEFEF\">"
    u"<tr> "
    u"<td colspan=\"2\" bgcolor=\"#FFFFFF\">";
constexpr std::u16string_view kAfterContent =
    u"</td>"
    u"</tr>"
    u"</table>"
    u"<hr width=\"98%\" size=\"1\" noshade>";
constexpr std::u16string_view kClosing = u"</body></html>";

}  // namespace

std::u16string buildNewsPage(std::span<const news::RSSITEM> items, const CodePage& codePage) {
    std::u16string page;
    for (const std::u16string_view piece : kHead) page += piece;
    for (const news::RSSITEM& item : items) {
        page += kBeforeLink;
        page += safeHref(text::utf16FromWide(codePage.toWide(news::linkText(item))));
        page += kBeforeTitle;
        page += sanitizeHtml(news::fieldText(item.title));
        page += kBeforeDate;
        // A date is never markup: escaping leaves an ordinary one as it is.
        page += escapeText(news::fieldText(item.date));
        page += kBeforeContent;
        page += sanitizeHtml(news::fieldText(item.content));
        page += kAfterContent;
    }
    page += kClosing;
    return page;
}

std::vector<std::uint8_t> newsPageFile(std::u16string_view page) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    bytes.reserve(2 + 2 * page.size());
    for (const char16_t unit : page) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::optional<std::vector<news::RSSITEM>> fetchNewsItems(NewsSource& source, const std::string& address) {
    // A refused address is not checked here: the fetch then finds no address and says so.
    source.setUrl(address);
    if (!source.browse()) return std::nullopt;
    std::vector<news::RSSITEM> items;
    const std::int32_t count = source.countOfItems();
    for (std::int32_t i = 0; i < count; ++i) {
        news::RSSITEM item;
        // The library refuses only indexes past its count, so the first refusal is the end (a
        // refresh in between, or a count it cannot back up): nothing is written from a record
        // it did not fill.
        if (!source.getItem(item, i)) break;
        items.push_back(item);
    }
    return items;
}

}  // namespace likenex::update
