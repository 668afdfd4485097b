#include "news/tests/XmlFeed.h"

#include "base/Text.h"

#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace likenex::news::testing {
namespace {

struct Node {
    std::string name;  // empty for a text node
    std::u16string text;
    std::vector<std::unique_ptr<Node>> children;

    std::u16string allText() const {
        if (name.empty()) return text;
        std::u16string out;
        for (const auto& child : children) out += child->allText();
        return out;
    }
};

struct Malformed : std::runtime_error {
    Malformed() : std::runtime_error("not well-formed") {}
};

class Parser {
public:
    explicit Parser(std::string_view xml) : xml_(xml) {}

    std::unique_ptr<Node> document() {
        auto root = std::make_unique<Node>();
        root->name = "#document";
        std::vector<Node*> open{root.get()};
        bool rootSeen = false;
        while (at_ < xml_.size()) {
            if (!startsWith("<")) {
                const std::u16string text = textUntil('<');
                if (open.size() == 1) {
                    if (text.find_first_not_of(u" \t\r\n") != std::u16string::npos) throw Malformed();
                } else {
                    addText(*open.back(), text);
                }
            } else if (startsWith("<?")) {
                skipPast("?>");
            } else if (startsWith("<!--")) {
                skipPast("-->");
            } else if (startsWith("<![CDATA[")) {
                if (open.size() == 1) throw Malformed();
                at_ += 9;
                const std::size_t end = xml_.find("]]>", at_);
                if (end == std::string_view::npos) throw Malformed();
                addText(*open.back(), utf16(xml_.substr(at_, end - at_)));
                at_ = end + 3;
            } else if (startsWith("<!")) {
                if (rootSeen || open.size() > 1) throw Malformed();
                skipPast(">");
            } else if (startsWith("</")) {
                at_ += 2;
                const std::string name = readName();
                skipSpace();
                expect('>');
                if (open.size() == 1 || open.back()->name != name) throw Malformed();
                open.pop_back();
            } else {
                ++at_;
                if (open.size() == 1 && rootSeen) throw Malformed();  // a second root
                rootSeen = true;
                auto element = std::make_unique<Node>();
                element->name = readName();
                const bool empty = readAttributes();
                Node* raw = element.get();
                open.back()->children.push_back(std::move(element));
                if (!empty) open.push_back(raw);
            }
        }
        if (open.size() != 1 || !rootSeen) throw Malformed();
        return root;
    }

private:
    bool startsWith(std::string_view s) const { return xml_.substr(at_, s.size()) == s; }
    void skipPast(std::string_view end) {
        const std::size_t found = xml_.find(end, at_);
        if (found == std::string_view::npos) throw Malformed();
        at_ = found + end.size();
    }
    void skipSpace() {
        while (at_ < xml_.size() && std::string_view(" \t\r\n").find(xml_[at_]) != std::string_view::npos) ++at_;
    }
    void expect(char c) {
        if (at_ >= xml_.size() || xml_[at_] != c) throw Malformed();
        ++at_;
    }
    static bool nameChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '_' || c == '-' || c == '.' ||
               static_cast<unsigned char>(c) >= 0x80;
    }
    std::string readName() {
        const std::size_t start = at_;
        while (at_ < xml_.size() && nameChar(xml_[at_])) ++at_;
        if (at_ == start || std::isdigit(static_cast<unsigned char>(xml_[start]))) throw Malformed();
        return std::string(xml_.substr(start, at_ - start));
    }
    // True for an empty-element tag (<x/>).
    bool readAttributes() {
        for (;;) {
            skipSpace();
            if (startsWith("/>")) {
                at_ += 2;
                return true;
            }
            if (startsWith(">")) {
                ++at_;
                return false;
            }
            readName();
            skipSpace();
            expect('=');
            skipSpace();
            if (at_ >= xml_.size() || (xml_[at_] != '"' && xml_[at_] != '\'')) throw Malformed();
            const char quote = xml_[at_++];
            const std::size_t end = xml_.find(quote, at_);
            if (end == std::string_view::npos || xml_.substr(at_, end - at_).find('<') != std::string_view::npos)
                throw Malformed();
            decode(xml_.substr(at_, end - at_));
            at_ = end + 1;
        }
    }
    std::u16string textUntil(char stop) {
        std::size_t end = xml_.find(stop, at_);
        if (end == std::string_view::npos) end = xml_.size();
        const std::u16string text = decode(xml_.substr(at_, end - at_));
        at_ = end;
        return text;
    }
    static std::u16string utf16(std::string_view bytes) {
        std::optional<std::u16string> text = text::utf16FromUtf8(bytes);
        if (!text) throw Malformed();
        return *text;
    }
    // Character data with its five named entities and character references.
    static std::u16string decode(std::string_view raw) {
        std::u16string out;
        std::size_t i = 0;
        while (i < raw.size()) {
            const std::size_t amp = raw.find('&', i);
            out += utf16(raw.substr(i, amp == std::string_view::npos ? std::string_view::npos : amp - i));
            if (amp == std::string_view::npos) break;
            const std::size_t semi = raw.find(';', amp);
            if (semi == std::string_view::npos) throw Malformed();
            const std::string_view name = raw.substr(amp + 1, semi - amp - 1);
            static const std::map<std::string_view, char16_t> kNamed = {
                {"lt", u'<'}, {"gt", u'>'}, {"amp", u'&'}, {"quot", u'"'}, {"apos", u'\''}};
            if (auto named = kNamed.find(name); named != kNamed.end()) {
                out += named->second;
            } else if (name.size() > 1 && name[0] == '#') {
                const bool hex = name[1] == 'x';
                const std::string digits(name.substr(hex ? 2 : 1));
                if (digits.empty() || digits.size() > 8) throw Malformed();
                std::size_t used = 0;
                const unsigned long value = std::stoul(digits, &used, hex ? 16 : 10);
                if (used != digits.size() || value == 0 || value > 0x10ffff || text::isHighSurrogate(value) ||
                    text::isLowSurrogate(value))
                    throw Malformed();
                text::appendUtf16(out, static_cast<char32_t>(value));
            } else {
                throw Malformed();
            }
            i = semi + 1;
        }
        return out;
    }
    static void addText(Node& parent, const std::u16string& text) {
        auto node = std::make_unique<Node>();
        node->text = text;
        parent.children.push_back(std::move(node));
    }

    std::string_view xml_;
    std::size_t at_ = 0;
};

class XmlElement : public FeedElement {
public:
    explicit XmlElement(const Node& node) : node_(node) {}
    NodeText childText(std::u16string_view path) override {
        const std::string name = text::utf8FromUtf16(path);
        for (const auto& child : node_.children)
            if (child->name == name) return {NodeStatus::found, child->allText()};
        return {NodeStatus::missing, {}};
    }

private:
    const Node& node_;
};

class XmlDocument : public FeedDocument {
public:
    explicit XmlDocument(std::unique_ptr<Node> root) : root_(std::move(root)) { collect(*root_); }
    bool itemCount(std::size_t& count) override {
        count = items_.size();
        return true;
    }
    std::unique_ptr<FeedElement> item(std::size_t index) override {
        return index < items_.size() ? std::make_unique<XmlElement>(*items_[index]) : nullptr;
    }

private:
    void collect(const Node& node) {
        for (const auto& child : node.children) {
            if (child->name == "item") items_.push_back(child.get());
            collect(*child);
        }
    }
    std::unique_ptr<Node> root_;
    std::vector<const Node*> items_;
};

}  // namespace

std::unique_ptr<FeedDocument> parseFeed(std::string_view xml) {
    try {
        return std::make_unique<XmlDocument>(Parser(xml).document());
    } catch (const Malformed&) {
        return nullptr;
    } catch (const std::out_of_range&) {
        return nullptr;  // a character reference too large for stoul
    }
}

std::string readFixture(std::string_view name) {
    std::ifstream in(std::string(LIKENEX_NEWS_FIXTURES) + "/" + std::string(name), std::ios::binary);
    if (!in) throw std::runtime_error("no fixture " + std::string(name));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

LoadedFeed FixtureLoader::load(std::string_view address) {
    ++loads;
    const auto found = feeds_.find(address);
    return found == feeds_.end() ? nullptr : parseFeed(found->second);
}

}  // namespace likenex::news::testing
