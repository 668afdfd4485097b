#pragma once
// What the item reader needs from a loaded feed document, kept small so that any XML
// component can stand behind it: the system's XML DOM in the library, a small parser of the
// feed text in the tests. Every call can report that the component failed; the reader then
// stops walking and keeps what it has.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace likenex::news {

enum class NodeStatus {
    found,
    missing,  // no node at that path: the field stays empty
    failed,   // the component reported an error
};

struct NodeText {
    NodeStatus status = NodeStatus::missing;
    std::u16string text;
};

// One "item" element.
class FeedElement {
public:
    virtual ~FeedElement() = default;
    // The text of the single node at `path` below the element ("title", "dc:date", ...).
    [[nodiscard]] virtual NodeText childText(std::u16string_view path) = 0;
};

class FeedDocument {
public:
    virtual ~FeedDocument() = default;
    // How many "item" elements the document holds; false when the component failed.
    [[nodiscard]] virtual bool itemCount(std::size_t& count) = 0;
    // The item at `index`, or null when the component failed.
    [[nodiscard]] virtual std::unique_ptr<FeedElement> item(std::size_t index) = 0;
};

// What a load gives: the document, or none. A feed that does not load (no answer, not XML)
// simply has no items; a failure of the component itself is also reported, like one during the
// walk.
struct LoadedFeed {
    LoadedFeed() = default;
    LoadedFeed(std::unique_ptr<FeedDocument> loaded) : document(std::move(loaded)) {}
    [[nodiscard]] static LoadedFeed componentFailure() {
        LoadedFeed failed;
        failed.componentFailed = true;
        return failed;
    }

    std::unique_ptr<FeedDocument> document;
    bool componentFailed = false;
};

// Fetches and parses the feed at an address.
class FeedLoader {
public:
    virtual ~FeedLoader() = default;
    [[nodiscard]] virtual LoadedFeed load(std::string_view address) = 0;
};

}  // namespace likenex::news
