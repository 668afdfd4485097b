#pragma once
// The PROXY protocol's first version as HAProxy's `send-proxy` writes it: one text line before
// the client's own bytes, "PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234\r\n", that names the
// client a proxy connection carries. The line is at most 107 bytes with its CR LF; anything
// else about it (a double space, a port 65536, an IPv6 address after TCP4, a leading zero) is
// malformed and the connection is refused. "PROXY UNKNOWN" (a health check, say) carries no
// client: the proxy's own address stands.
//
// The second version (`send-proxy-v2`) is binary: a 12-byte signature, a version and command
// byte, a family byte and a big-endian length of what follows (addresses, then TLVs, which are
// skipped). A LOCAL command or an unspecified family carries no client either; only TCP over
// IPv4 or IPv6 is taken, and a header longer than kLongestProxyV2 is refused.

#include <boost/asio/ip/address.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

inline constexpr std::uint8_t kProxyV2Signature[12] = {0x0D, 0x0A, 0x0D, 0x0A, 0x00, 0x0D,
                                                       0x0A, 0x51, 0x55, 0x49, 0x54, 0x0A};
inline constexpr std::size_t kProxyV2FixedPart = 16;
inline constexpr std::size_t kLongestProxyV2 = kProxyV2FixedPart + 512;

// From the fixed part (at least its first 16 bytes): the whole header's length; nullopt when it
// is not a second-version header or is longer than kLongestProxyV2.
[[nodiscard]] std::optional<std::size_t> proxyV2Length(std::span<const std::uint8_t> start);
// Parses a whole second-version header (exactly as long as proxyV2Length says); nullopt when it
// is malformed.
[[nodiscard]] std::optional<ProxyLine> parseProxyV2(std::span<const std::uint8_t> header);

}  // namespace likenex
