#pragma once
// The PROXY protocol's first version as HAProxy's `send-proxy` writes it: one text line before
// the client's own bytes, "PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234\r\n", that names the
// client a proxy connection carries. The line is at most 107 bytes with its CR LF; anything
// else about it (a double space, a port 65536, an IPv6 address after TCP4, a leading zero) is
// malformed and the connection is refused. "PROXY UNKNOWN" (a health check, say) carries no
// client: the proxy's own address stands.

#include <boost/asio/ip/address.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace likenex {

struct ProxyLine {
    // Empty for UNKNOWN.
    std::optional<boost::asio::ip::address> source;
    std::uint16_t sourcePort = 0;
};

inline constexpr std::size_t kLongestProxyLine = 107;

// Parses a whole line, CR LF included; nullopt when it is malformed.
[[nodiscard]] std::optional<ProxyLine> parseProxyLine(std::string_view line);

}  // namespace likenex
