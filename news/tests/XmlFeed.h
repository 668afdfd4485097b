#pragma once
// A small XML reader for the tests: it loads feed text into a tree and answers the item
// reader's queries as the system's XML DOM would (items found anywhere by name, children by
// their qualified name, a node's text being all text below it). Text that is not well-formed
// XML does not load, as with the DOM.

#include "news/FeedDocument.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace likenex::news::testing {

// Null when the text is not well-formed XML in UTF-8.
[[nodiscard]] std::unique_ptr<FeedDocument> parseFeed(std::string_view xml);

[[nodiscard]] std::string readFixture(std::string_view name);

// Serves fixture texts by address; any other address does not load.
class FixtureLoader : public FeedLoader {
public:
    void serve(std::string address, std::string xml) { feeds_[std::move(address)] = std::move(xml); }
    [[nodiscard]] LoadedFeed load(std::string_view address) override;
    int loads = 0;

private:
    std::map<std::string, std::string, std::less<>> feeds_;
};

}  // namespace likenex::news::testing
