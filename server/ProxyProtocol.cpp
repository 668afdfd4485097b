#include "server/ProxyProtocol.h"

#include <arpa/inet.h>

#include <cstring>
#include <string>
#include <vector>

namespace likenex {

namespace {

// The fields between single spaces; an empty one stands for a doubled, leading or trailing space.
std::vector<std::string_view> fields(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        std::size_t space = text.find(' ');
        parts.push_back(text.substr(0, space));
        if (space == std::string_view::npos) return parts;
        text.remove_prefix(space + 1);
    }
}

std::optional<std::uint16_t> port(std::string_view text) {
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// inet_pton is strict: dotted quads of four decimal parts without leading zeros, and IPv6 text
// without a scope.
std::optional<boost::asio::ip::address> address(std::string_view text, bool v6) {
    std::string copy(text);
    if (v6) {
        boost::asio::ip::address_v6::bytes_type bytes{};
        if (::inet_pton(AF_INET6, copy.c_str(), bytes.data()) != 1) return std::nullopt;
        return boost::asio::ip::address_v6(bytes);
    }
    boost::asio::ip::address_v4::bytes_type bytes{};
    if (::inet_pton(AF_INET, copy.c_str(), bytes.data()) != 1) return std::nullopt;
    return boost::asio::ip::address_v4(bytes);
}

}  // namespace

std::optional<ProxyLine> parseProxyLine(std::string_view line) {
    constexpr std::string_view kStart = "PROXY ";
    if (line.size() > kLongestProxyLine || line.size() < kStart.size() + 2 || line.substr(0, kStart.size()) != kStart ||
        line.substr(line.size() - 2) != "\r\n")
        return std::nullopt;
    std::string_view rest = line.substr(kStart.size(), line.size() - kStart.size() - 2);
    // No other CR, LF or NUL may hide inside the line.
    for (char c : rest)
        if (c == '\r' || c == '\n' || c == '\0') return std::nullopt;
    const std::vector<std::string_view> parts = fields(rest);
    // UNKNOWN may be followed by anything (the receiver ignores it); the proxy's address stands.
    if (parts[0] == "UNKNOWN") return ProxyLine{};
    if ((parts[0] != "TCP4" && parts[0] != "TCP6") || parts.size() != 5) return std::nullopt;
    const bool v6 = parts[0] == "TCP6";
    auto source = address(parts[1], v6);
    auto destination = address(parts[2], v6);
    auto sourcePort = port(parts[3]);
    auto destinationPort = port(parts[4]);
    if (!source || !destination || !sourcePort || !destinationPort) return std::nullopt;
    return ProxyLine{source, *sourcePort};
}

std::optional<std::size_t> proxyV2Length(std::span<const std::uint8_t> start) {
    if (start.size() < kProxyV2FixedPart || std::memcmp(start.data(), kProxyV2Signature, sizeof kProxyV2Signature) != 0)
        return std::nullopt;
    if ((start[12] >> 4) != 2) return std::nullopt;
    const std::size_t length = kProxyV2FixedPart + (static_cast<std::size_t>(start[14]) << 8 | start[15]);
    if (length > kLongestProxyV2) return std::nullopt;
    return length;
}

std::optional<ProxyLine> parseProxyV2(std::span<const std::uint8_t> header) {
    auto length = proxyV2Length(header);
    if (!length || header.size() != *length) return std::nullopt;
    const std::uint8_t command = header[12] & 0x0F;
    const std::uint8_t family = header[13];
    const std::span<const std::uint8_t> rest = header.subspan(kProxyV2FixedPart);
    if (command > 1) return std::nullopt;
    // LOCAL (the proxy's own health check) and an unspecified family: the proxy's address stands.
    if (command == 0 || family == 0x00) return ProxyLine{};
    auto port = [](const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); };
    if (family == 0x11) {  // TCP over IPv4: source, destination, source port, destination port
        if (rest.size() < 12) return std::nullopt;
        boost::asio::ip::address_v4::bytes_type bytes{};
        std::memcpy(bytes.data(), rest.data(), 4);
        return ProxyLine{boost::asio::ip::address_v4(bytes), port(rest.data() + 8)};
    }
    if (family == 0x21) {  // TCP over IPv6
        if (rest.size() < 36) return std::nullopt;
        boost::asio::ip::address_v6::bytes_type bytes{};
        std::memcpy(bytes.data(), rest.data(), 16);
        return ProxyLine{boost::asio::ip::address_v6(bytes), port(rest.data() + 32)};
    }
    return std::nullopt;
}

}  // namespace likenex
