#include "server/TrustedProxies.h"

#include <algorithm>

namespace likenex {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

Result<TrustedProxies> TrustedProxies::parse(std::string_view text) {
    TrustedProxies proxies;
    if (trimmed(text).empty()) return proxies;
    for (;;) {
        std::size_t comma = text.find(',');
        std::string entry(trimmed(text.substr(0, comma)));
        boost::system::error_code ec;
        auto address = boost::asio::ip::make_address(entry, ec);
        // Scoped IPv6 addresses (fe80::1%eth0) are refused: a scope is a local matter the peer
        // address of an accepted socket may or may not carry.
        if (ec || entry.find('%') != std::string::npos)
            return Failure{entry.empty() ? "trusted_proxies: an empty entry (two commas, or one at an end)"
                                         : "trusted_proxies: '" + entry + "' is not an IPv4 or IPv6 address"};
        proxies.addresses_.push_back(canonical(address));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return proxies;
}

boost::asio::ip::address TrustedProxies::canonical(const boost::asio::ip::address& address) {
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6());
    return address;
}

bool TrustedProxies::trusts(const boost::asio::ip::address& peer) const {
    return std::find(addresses_.begin(), addresses_.end(), canonical(peer)) != addresses_.end();
}

bool TrustedProxies::trusts(std::string_view peer) const {
    boost::system::error_code ec;
    auto address = boost::asio::ip::make_address(std::string(peer), ec);
    return !ec && trusts(address);
}

}  // namespace likenex
