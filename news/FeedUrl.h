#pragma once
// The feed address check: "http://", a host name with at least one dot, then anything. The
// pattern must match the whole address, not a part of it.

#include <string_view>

namespace likenex::news {

[[nodiscard]] bool isFeedUrl(std::string_view address);

}  // namespace likenex::news
