// The listeners' small pieces: which proxies are trusted, the PROXY line, and how long a
// listener waits after failed accepts.
#include "server/AcceptBackoff.h"
#include "server/OpenFileLimit.h"
#include "server/ProxyProtocol.h"
#include "server/ServerConfig.h"
#include "server/TrustedProxies.h"

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>

#include <cstdio>

namespace likenex {
namespace {

using boost::asio::ip::make_address;

TEST(TrustedProxies, ParsesAddressListsAndMatchesMappedPeers) {
    auto proxies = TrustedProxies::parse(" 10.0.0.5 ,::1,2001:db8::7");
    ASSERT_TRUE(proxies) << proxies.error();
    EXPECT_TRUE(proxies->trusts(make_address("10.0.0.5")));
    EXPECT_TRUE(proxies->trusts(make_address("::ffff:10.0.0.5")));  // an IPv4 peer on an IPv6 socket
    EXPECT_TRUE(proxies->trusts(make_address("::1")));
    EXPECT_TRUE(proxies->trusts("2001:db8:0::7"));
    EXPECT_FALSE(proxies->trusts(make_address("10.0.0.6")));
    EXPECT_FALSE(proxies->trusts(make_address("127.0.0.1")));  // loopback is not trusted unless listed
    EXPECT_FALSE(proxies->trusts("not an address"));

    auto nobody = TrustedProxies::parse("  ");
    ASSERT_TRUE(nobody);
    EXPECT_TRUE(nobody->empty());
    EXPECT_FALSE(nobody->trusts(make_address("127.0.0.1")));
}

TEST(TrustedProxies, RefusesWhatIsNotAnAddressAndSaysWhich) {
    for (const char* text : {"10.0.0.1,", ",10.0.0.1", "10.0.0.1,,::1", "10.0.0.0/8", "proxy.example", "10.0.0.256",
                             "fe80::1%eth0", "10.0.0.1 10.0.0.2"}) {
        auto refused = TrustedProxies::parse(text);
        EXPECT_FALSE(refused) << text;
        if (!refused) {
            EXPECT_NE(refused.error().find("trusted_proxies"), std::string::npos) << text;
        }
    }
    auto named = TrustedProxies::parse("10.0.0.1, haproxy");
    EXPECT_FALSE(named);
    if (!named) {
        EXPECT_NE(named.error().find("'haproxy'"), std::string::npos) << named.error();
    }

    // The server refuses to start with such a setting rather than trusting nobody in silence.
    ServerConfig config;
    ASSERT_TRUE(applySetting(config, "trusted_proxies", "10.0.0.1; 10.0.0.2"));
    auto refused = validateConfig(config);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("trusted_proxies"), std::string::npos);
    ASSERT_TRUE(applySetting(config, "trusted_proxies", "10.0.0.1, 10.0.0.2"));
    EXPECT_TRUE(validateConfig(config));
}

TEST(ProxyLine, ReadsTheClientOfTcp4Tcp6AndUnknown) {
    auto v4 = parseProxyLine("PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234\r\n");
    ASSERT_TRUE(v4);
    ASSERT_TRUE(v4->source);
    EXPECT_EQ(v4->source->to_string(), "203.0.113.7");
    EXPECT_EQ(v4->sourcePort, 51234);
    auto v6 = parseProxyLine("PROXY TCP6 2001:db8::1 2001:db8::2 0 65535\r\n");
    ASSERT_TRUE(v6);
    ASSERT_TRUE(v6->source);
    EXPECT_EQ(v6->source->to_string(), "2001:db8::1");
    auto unknown = parseProxyLine("PROXY UNKNOWN\r\n");
    ASSERT_TRUE(unknown);
    EXPECT_FALSE(unknown->source);
    EXPECT_TRUE(parseProxyLine("PROXY UNKNOWN ffff:f...f:ffff ffff:f...f:ffff 65535 65535\r\n"));

    // The longest line the protocol allows is 107 bytes.
    const std::string widest = "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff";
    EXPECT_TRUE(parseProxyLine("PROXY TCP6 " + widest + " " + widest + " 65535 65535\r\n"));
    const std::string longest = "PROXY UNKNOWN " + widest + " " + widest + " 65535 65535\r\n";
    ASSERT_EQ(longest.size(), kLongestProxyLine);
    EXPECT_TRUE(parseProxyLine(longest));
}

TEST(ProxyLine, RefusesEveryMalformedLine) {
    for (const char* line : {
             "PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234\n",     // LF alone
             "PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234",       // no end
             "PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234 \r\n",  // trailing space
             "PROXY  TCP4 203.0.113.7 192.0.2.1 51234 1234\r\n",  // double space
             "PROXY TCP4 203.0.113.7  192.0.2.1 51234 1234\r\n",
             "PROXY TCP4 203.0.113.7 192.0.2.1 51234\r\n",         // a port short
             "PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234 9\r\n",  // a field too many
             "PROXY TCP4 203.0.113.7 192.0.2.1 65536 1234\r\n",    // port out of range
             "PROXY TCP4 203.0.113.7 192.0.2.1 051234 1234\r\n",   // leading zero
             "PROXY TCP4 203.0.113.7 192.0.2.1 -1 1234\r\n",
             "PROXY TCP4 203.0.113.07 192.0.2.1 51234 1234\r\n",  // leading zero in a quad
             "PROXY TCP4 203.0.113 192.0.2.1 51234 1234\r\n",
             "PROXY TCP4 2001:db8::1 192.0.2.1 51234 1234\r\n",     // IPv6 after TCP4
             "PROXY TCP6 203.0.113.7 2001:db8::2 51234 1234\r\n",   // IPv4 after TCP6
             "PROXY TCP6 fe80::1%eth0 2001:db8::2 51234 1234\r\n",  // a scope
             "PROXY UDP4 203.0.113.7 192.0.2.1 51234 1234\r\n",
             "proxy TCP4 203.0.113.7 192.0.2.1 51234 1234\r\n",
             "PROXY tcp4 203.0.113.7 192.0.2.1 51234 1234\r\n",
             "PROXY TCP4 203.0.113.7 192.0.2.1 51234 1234\r\r\n",
             "PROXY \r\n",
             "PROXY UNKNOWNX\r\n",
             "",
         })
        EXPECT_FALSE(parseProxyLine(line)) << line;
    EXPECT_FALSE(parseProxyLine(std::string_view("PROXY TCP4 203.0.113.7\0 192.0.2.1 51234 1234\r\n", 46)));
    EXPECT_FALSE(parseProxyLine("PROXY UNKNOWN " + std::string(92, 'x') + "\r\n"));  // 108 bytes
}

std::vector<std::uint8_t> proxyV2(std::uint8_t command, std::uint8_t family, std::vector<std::uint8_t> body) {
    std::vector<std::uint8_t> header(std::begin(kProxyV2Signature), std::end(kProxyV2Signature));
    header.push_back(static_cast<std::uint8_t>(0x20 | command));
    header.push_back(family);
    header.push_back(static_cast<std::uint8_t>(body.size() >> 8));
    header.push_back(static_cast<std::uint8_t>(body.size()));
    header.insert(header.end(), body.begin(), body.end());
    return header;
}

TEST(ProxyV2, ReadsTcpClientsAndSkipsTlvs) {
    // TCP4 203.0.113.7:51234 to 192.0.2.1:1234, then a TLV the proxy added.
    auto v4 = proxyV2(1, 0x11, {203, 0, 113, 7, 192, 0, 2, 1, 0xC8, 0x22, 0x04, 0xD2, 0x04, 0x00, 0x01, 0x41});
    ASSERT_EQ(proxyV2Length(v4), v4.size());
    auto line = parseProxyV2(v4);
    ASSERT_TRUE(line && line->source);
    EXPECT_EQ(line->source->to_string(), "203.0.113.7");
    EXPECT_EQ(line->sourcePort, 51234);

    std::vector<std::uint8_t> body(36, 0);
    body[0] = 0x20, body[1] = 0x01, body[2] = 0x0d, body[3] = 0xb8, body[15] = 9;
    auto v6 = proxyV2(1, 0x21, body);
    line = parseProxyV2(v6);
    ASSERT_TRUE(line && line->source);
    EXPECT_EQ(line->source->to_string(), "2001:db8::9");

    // LOCAL and an unspecified family: no client named.
    for (auto header : {proxyV2(0, 0x11, std::vector<std::uint8_t>(12, 1)), proxyV2(1, 0x00, {})}) {
        line = parseProxyV2(header);
        ASSERT_TRUE(line);
        EXPECT_FALSE(line->source);
    }
}

TEST(ProxyV2, RefusesWhatIsNotAWholeWellFormedTcpHeader) {
    auto good = proxyV2(1, 0x11, std::vector<std::uint8_t>(12, 1));
    auto wrongSignature = good;
    wrongSignature[11] = 0x0B;
    EXPECT_FALSE(proxyV2Length(wrongSignature));
    auto version1 = good;
    version1[12] = 0x11;
    EXPECT_FALSE(proxyV2Length(version1));
    EXPECT_FALSE(proxyV2Length(std::span(good).first(15)));
    EXPECT_FALSE(
        proxyV2Length(proxyV2(1, 0x11, std::vector<std::uint8_t>(kLongestProxyV2 - kProxyV2FixedPart + 1, 1))));
    EXPECT_TRUE(proxyV2Length(proxyV2(1, 0x11, std::vector<std::uint8_t>(kLongestProxyV2 - kProxyV2FixedPart, 1))));
    EXPECT_FALSE(parseProxyV2(std::span(good).first(good.size() - 1)));              // shorter than it says
    EXPECT_FALSE(parseProxyV2(proxyV2(1, 0x11, std::vector<std::uint8_t>(11, 1))));  // addresses cut short
    EXPECT_FALSE(parseProxyV2(proxyV2(1, 0x21, std::vector<std::uint8_t>(35, 1))));
    EXPECT_FALSE(parseProxyV2(proxyV2(2, 0x11, std::vector<std::uint8_t>(12, 1))));   // unknown command
    EXPECT_FALSE(parseProxyV2(proxyV2(1, 0x12, std::vector<std::uint8_t>(12, 1))));   // UDP
    EXPECT_FALSE(parseProxyV2(proxyV2(1, 0x31, std::vector<std::uint8_t>(216, 1))));  // a Unix socket
}

TEST(AcceptBackoff, WaitsLongerAfterEachFailureUpToASecondAndLogsOncePerEpisode) {
    boost::asio::io_context io;
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    RequestLog log(sink);
    AcceptBackoff backoff(io.get_executor(), log, "tcp");
    const auto tooMany = make_error_code(boost::system::errc::too_many_files_open);
    std::vector<long long> waits;
    for (int i = 0; i < 10; ++i) waits.push_back(backoff.failed(tooMany).count());
    EXPECT_EQ(waits, (std::vector<long long>{10, 20, 40, 80, 160, 320, 640, 1000, 1000, 1000}));
    EXPECT_EQ(log.lines(), 1);  // one line for the episode, not one per failure
    backoff.succeeded();
    EXPECT_EQ(log.lines(), 2);                       // the end of the episode
    EXPECT_EQ(backoff.failed(tooMany).count(), 10);  // short again after a success
    backoff.succeeded();
    backoff.succeeded();
    EXPECT_EQ(log.lines(), 4);

    // pause() runs the retry once its wait is over, on the timer's executor.
    int retried = 0;
    auto started = std::chrono::steady_clock::now();
    backoff.pause(tooMany, [&] { ++retried; });
    io.run();
    EXPECT_EQ(retried, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(10));
    std::fclose(sink);
}

TEST(ConnectionCaps, FitUnderTheOpenFileLimitWithTheReserveKept) {
    // Room enough: the configured caps stand.
    auto roomy = fitConnectionCaps(1048576, 100, 10000, 1000);
    EXPECT_EQ(roomy.protocol, 10000);
    EXPECT_EQ(roomy.web, 1000);
    EXPECT_FALSE(roomy.lowered);
    EXPECT_FALSE(fitConnectionCaps(0, 100, 10000, 1000).lowered);  // no limit at all

    // The usual 1024: connections, two descriptors per web connection and the reserve fit.
    for (std::uint64_t limit : {1024u, 4096u, 300u, 101u}) {
        auto caps = fitConnectionCaps(limit, 100, 10000, 1000);
        EXPECT_TRUE(caps.lowered) << limit;
        EXPECT_GE(caps.protocol, 1);
        EXPECT_GE(caps.web, 1);
        EXPECT_LE(static_cast<std::uint64_t>(caps.protocol) + kDescriptorsPerWebConnection * caps.web + 100,
                  std::max<std::uint64_t>(limit, 100 + 1 + kDescriptorsPerWebConnection))
            << limit;
    }
    auto usual = fitConnectionCaps(1024, 100, 10000, 1000);
    EXPECT_GT(usual.protocol, 700);  // proportional: the protocol keeps most
    EXPECT_GT(usual.web, 70);

    // Below the reserve, one connection each is still allowed rather than none.
    auto starved = fitConnectionCaps(50, 100, 10000, 1000);
    EXPECT_EQ(starved.protocol, 1);
    EXPECT_EQ(starved.web, 1);
    EXPECT_NE(usual.describe(1024, 100).find("lowered"), std::string::npos);
}

}  // namespace
}  // namespace likenex
