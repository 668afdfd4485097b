#include "news/FeedUrl.h"

#include <boost/regex.hpp>

#include <stdexcept>

namespace likenex::news {

bool isFeedUrl(std::string_view address) {
    // Perl syntax; regex_match succeeds only when the pattern spans the whole address. The lazy
    // tail still has to reach the end, so in effect any text may follow the dotted host.
    static const boost::regex kPattern(R"(http://(\w+\.)+\w+(:\d*){0,1}(/\w*)*(\.\w*){0,1}(.*?))");
    try {
        return boost::regex_match(address.begin(), address.end(), kPattern);
    } catch (const std::runtime_error&) {
        return false;  // the matcher gave up on an address too complex for it: not an address we take
    }
}

}  // namespace likenex::news
