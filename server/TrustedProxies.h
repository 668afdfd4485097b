#pragma once
// The reverse proxies whose word on a client's address is believed: trusted_proxies, a
// comma-separated list of IPv4 and IPv6 addresses (spaces around the commas allowed). Only a
// connection whose peer is one of them may say who the client is (a PROXY line on the binary
// protocol, X-Forwarded-For on the web side); everyone else is taken for the address it
// connects from. An IPv4 peer seen through an IPv6 socket (::ffff:a.b.c.d) matches a.b.c.d.
//
// Use:
//
//     auto proxies = TrustedProxies::parse(config.trustedProxies);   // !ok(): error() says why
//     if (proxies->trusts(socket.remote_endpoint().address())) ...  // believe what it forwards
//
// Immutable after parsing, so one object may be shared by every thread.

#include "base/Result.h"

#include <boost/asio/ip/address.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

class TrustedProxies {
public:
    TrustedProxies() = default;

    // Fails, naming the offending entry, when an entry is not an address. An empty text trusts
    // nobody.
    [[nodiscard]] static Result<TrustedProxies> parse(std::string_view text);

    [[nodiscard]] bool trusts(const boost::asio::ip::address& peer) const;
    [[nodiscard]] bool trusts(std::string_view peer) const;
    [[nodiscard]] bool empty() const { return addresses_.empty(); }

    // The form an address is compared and logged in: IPv4-mapped IPv6 as plain IPv4.
    [[nodiscard]] static boost::asio::ip::address canonical(const boost::asio::ip::address& address);

private:
    std::vector<boost::asio::ip::address> addresses_;
};

}  // namespace likenex
