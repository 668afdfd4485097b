#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace likenex {
namespace {

void expectDefaultEndpoint(const CommandLineRequest& r) {
    EXPECT_EQ(r.endpoint.host, "127.0.0.1");
    EXPECT_EQ(r.endpoint.port, 1234);
}

TEST(CommandLine, NullOrEmptyKeepsEverythingAtItsDefault) {
    for (const char* line : {static_cast<const char*>(nullptr), "", "   "}) {
        CommandLineRequest r = parseCommandLine(line);
        expectDefaultEndpoint(r);
        EXPECT_FALSE(r.editRequested);
        EXPECT_EQ(r.pendingAvatarId, 0);
    }
}

TEST(CommandLine, HostAndPortOverrideTheServer) {
    CommandLineRequest r = parseCommandLine("10.0.0.5 8000");
    EXPECT_EQ(r.endpoint.host, "10.0.0.5");
    EXPECT_EQ(r.endpoint.port, 8000);
    EXPECT_FALSE(r.editRequested);

    r = parseCommandLine("  \tserver.example  -7 trailing");
    EXPECT_EQ(r.endpoint.host, "server.example");
    EXPECT_EQ(r.endpoint.port, -7);
}

TEST(CommandLine, AnIncompleteOrMalformedOverrideKeepsTheDefaults) {
    for (const char* line : {"10.0.0.5", "10.0.0.5 port", "10.0.0.5 +", "goon", "10.0.0.5 99999999999"}) {
        SCOPED_TRACE(line);
        expectDefaultEndpoint(parseCommandLine(line));
    }
}

TEST(CommandLine, HostTokenLongerThan51CharactersIsRefused) {
    std::string host51(51, 'h');
    CommandLineRequest r = parseCommandLine((host51 + " 80").c_str());
    EXPECT_EQ(r.endpoint.host, host51);
    EXPECT_EQ(r.endpoint.port, 80);

    std::string host52(52, 'h');
    expectDefaultEndpoint(parseCommandLine((host52 + " 80").c_str()));
    // Digits past the 51st character must not be mistaken for the port.
    expectDefaultEndpoint(parseCommandLine((std::string(51, 'h') + "8080").c_str()));
}

TEST(CommandLine, QuotedAvatarUrlRequestsThatAvatar) {
    CommandLineRequest r = parseCommandLine("\"avatar:edit:42\"");
    EXPECT_TRUE(r.editRequested);
    EXPECT_EQ(r.pendingAvatarId, 42);
    expectDefaultEndpoint(r);

    r = parseCommandLine("\"avatar:edit:8589934593");  // the closing quote is not required
    EXPECT_TRUE(r.editRequested);
    EXPECT_EQ(r.pendingAvatarId, 8589934593LL);

    r = parseCommandLine("\"avatar:edit:  -5\"");  // the number conversion skips white space
    EXPECT_EQ(r.pendingAvatarId, -5);
}

TEST(CommandLine, AvatarUrlWithoutTheLeadingQuoteOrNumberIsIgnored) {
    for (const char* line : {"avatar:edit:42", " \"avatar:edit:42\"", "\"Avatar:edit:42\"", "\"avatar:edit:\"",
                             "\"avatar:edit:x1\"", "\"avatar:edit:99999999999999999999\""}) {
        SCOPED_TRACE(line);
        CommandLineRequest r = parseCommandLine(line);
        EXPECT_FALSE(r.editRequested);
        EXPECT_EQ(r.pendingAvatarId, 0);
    }
}

TEST(CommandLine, AvatarIdLimitsConvertExactly) {
    EXPECT_EQ(parseCommandLine("\"avatar:edit:9223372036854775807\"").pendingAvatarId, INT64_MAX);
    EXPECT_EQ(parseCommandLine("\"avatar:edit:-9223372036854775808\"").pendingAvatarId, INT64_MIN);
    EXPECT_FALSE(parseCommandLine("\"avatar:edit:9223372036854775808\"").editRequested);
}

TEST(AvatarIdHalves, SplitAndJoinRoundTripWithoutSignExtension) {
    AvatarIdHalves h = splitAvatarId(8589934593LL);
    EXPECT_EQ(h.high, 2u);
    EXPECT_EQ(h.low, 1u);

    h = splitAvatarId(6442450944LL);
    EXPECT_EQ(h.high, 1u);
    EXPECT_EQ(h.low, 2147483648u);
    // A window message carries the low half in a signed lParam; it must not spread.
    EXPECT_EQ(joinAvatarId(1, static_cast<std::int32_t>(2147483648u)), 6442450944LL);
    EXPECT_EQ(joinAvatarId(h.high, h.low), 6442450944LL);

    for (std::int64_t id : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN, INT64_MAX, std::int64_t{42}}) {
        AvatarIdHalves parts = splitAvatarId(id);
        EXPECT_EQ(joinAvatarId(parts.high, static_cast<std::int32_t>(parts.low)), id);
    }
}

}  // namespace
}  // namespace likenex
