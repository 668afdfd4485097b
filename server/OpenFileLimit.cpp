#include "server/OpenFileLimit.h"

#include <sys/resource.h>

#include <algorithm>

namespace likenex {

std::uint64_t raiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur != limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        // The kernel may refuse an infinite soft limit (above fs.nr_open); the old one stands then.
        if (::setrlimit(RLIMIT_NOFILE, &raised) != 0) return limit.rlim_cur == RLIM_INFINITY ? 0 : limit.rlim_cur;
    }
    return openFileLimit();
}

std::uint64_t openFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
    return limit.rlim_cur;
}

std::string ConnectionCaps::describe(std::uint64_t openFiles, std::uint64_t reserve) const {
    std::string text =
        "at most " + std::to_string(protocol) + " protocol and " + std::to_string(web) + " web connections";
    if (openFiles == 0) return text + " (no open-file limit)";
    text += " (open-file limit " + std::to_string(openFiles) + ", " + std::to_string(reserve) + " kept for the rest";
    return text + (lowered ? "; lowered to fit)" : ")");
}

ConnectionCaps fitConnectionCaps(std::uint64_t openFiles, std::uint64_t reserve, int protocol, int web) {
    ConnectionCaps caps{std::max(1, protocol), std::max(1, web), false};
    if (openFiles == 0) return caps;
    const std::uint64_t available = openFiles > reserve ? openFiles - reserve : 0;
    const std::uint64_t wanted =
        static_cast<std::uint64_t>(caps.protocol) + kDescriptorsPerWebConnection * static_cast<std::uint64_t>(caps.web);
    if (wanted <= available) return caps;
    // Proportional shares, rounded down, so that the sum stays within what is available.
    auto share = [&](int cap) {
        return static_cast<int>(std::max<std::uint64_t>(1, static_cast<std::uint64_t>(cap) * available / wanted));
    };
    caps.protocol = share(caps.protocol);
    caps.web = share(caps.web);
    caps.lowered = true;
    return caps;
}

}  // namespace likenex
