#include "update/tests/ActiveContentCheck.h"

#include "base/Text.h"

#include <boost/regex.hpp>

#include <algorithm>
#include <cctype>
#include <set>

namespace likenex::update::testing {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The value as the browser reads it for an address: entities decoded, blanks and controls gone.
std::string addressForm(const std::string& value) {
    std::string decoded =
        boost::regex_replace(value, boost::regex("&#(?:0*(?:9|10|13)|[xX]0*(?:9|a|A|d|D))(?![0-9a-fA-F]);?"), " ");
    decoded = boost::regex_replace(decoded, boost::regex("&(colon|#58|#x3a|#x3A);?"), ":");
    std::string out;
    for (const unsigned char c : decoded)
        if (c > ' ') out += static_cast<char>(std::tolower(c));
    return out;
}

}  // namespace

std::string activeContentIn(const std::u16string& markup) {
    static const std::set<std::string> kBenign = {
        "a",      "img",    "p",  "div",   "span",    "br",    "hr",    "b",     "i",    "u",   "s",
        "strike", "strong", "em", "small", "big",     "sub",   "sup",   "tt",    "code", "pre", "blockquote",
        "center", "font",   "h1", "h2",    "h3",      "h4",    "h5",    "h6",    "ul",   "ol",  "li",
        "dl",     "dt",     "dd", "table", "caption", "thead", "tbody", "tfoot", "tr",   "td",  "th"};
    static const std::set<std::string> kNeverAllowed = {
        "style",  "background", "dynsrc",   "lowsrc", "datasrc", "datafld",   "dataformatas",
        "action", "formaction", "codebase", "data",   "xmlns",   "xlink:href"};
    static const boost::regex kTag(R"re(<(/?)([A-Za-z][A-Za-z0-9]*)((?:\s+[A-Za-z]+(?:="[^"]*")?)*)\s*/?>)re");
    static const boost::regex kAttribute(R"re(([A-Za-z]+)(?:="([^"]*)")?)re");

    const std::string text = text::utf8FromUtf16(markup);
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string::npos) {
        boost::smatch tag;
        const std::string rest = text.substr(at);
        if (!boost::regex_search(rest, tag, kTag, boost::match_continuous))
            return "a '<' that opens no plain tag: " + rest.substr(0, 40);
        const std::string name = lower(tag[2]);
        if (!kBenign.count(name)) return "element " + name;
        const std::string attributes = tag[3];
        for (boost::sregex_iterator it(attributes.begin(), attributes.end(), kAttribute), end; it != end; ++it) {
            const std::string attribute = lower((*it)[1]);
            const std::string value = (*it)[2];
            if (attribute.rfind("on", 0) == 0 || kNeverAllowed.count(attribute)) return "attribute " + attribute;
            const std::string address = addressForm(value);
            // An empty address names the page itself.
            if ((attribute == "href" || attribute == "src") && !address.empty() && address.rfind("http://", 0) != 0 &&
                address.rfind("https://", 0) != 0)
                return attribute + "=\"" + value + "\"";
        }
        at += static_cast<std::size_t>(tag.length(0));
    }
    return {};
}

}  // namespace likenex::update::testing
