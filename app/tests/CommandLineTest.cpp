#include "app/CommandLine.h"

#include "base/WindowMessages.h"
#include "net/AvatarCode.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

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

// A code with its check (the sample of the code's own tests would do as well: only its shape
// matters here).
std::string someCode() {
    AvatarFields avatar;
    avatar.direction = 3;
    avatar.items[1] = {601, 22};
    avatar.script = {{1001, u"Hello!"}};
    const AvatarCodeResult result = encodeAvatarCode(avatar);
    EXPECT_EQ(result.refusal, CodeRefusal::none);
    return result.code;
}

TEST(CommandLine, QuotedCodeUrlRequestsThatCodeAndNothingElse) {
    const std::string code = someCode();
    for (const std::string& line :
         std::vector<std::string>{"\"avatar:code:" + code + "\"", "\"avatar:code:" + code,
                                  "\"avatar:code:" + code + " \r\n", "\"avatar:code:" + code + "\" trailing"}) {
        SCOPED_TRACE(line);
        CommandLineRequest r = parseCommandLine(line.c_str());
        EXPECT_EQ(r.pendingAvatarCode, code);
        EXPECT_FALSE(r.editRequested);
        EXPECT_EQ(r.pendingAvatarId, 0);
    }
    // The edit form asks for no code, and keeps its number when a code form follows it.
    CommandLineRequest r = parseCommandLine(("\"avatar:edit:42\" \"avatar:code:" + code + "\"").c_str());
    EXPECT_TRUE(r.editRequested);
    EXPECT_EQ(r.pendingAvatarId, 42);
    EXPECT_TRUE(r.pendingAvatarCode.empty());
}

TEST(CommandLine, CodeUrlThatIsNotExactlyTheFormOrNoCodeIsIgnored) {
    const std::string code = someCode();
    std::string lower = code;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lower, code);
    for (const std::string& line : std::vector<std::string>{
             code, "avatar:code:" + code, " \"avatar:code:" + code + "\"", "\"Avatar:code:" + code + "\"",
             "\"avatar:Code:" + code + "\"", "\"avatar:code:\"", "\"avatar:code:" + code + "!\"",
             "\"avatar:code:" + code.substr(0, 3) + " " + code.substr(3) + "\"", "\"avatar:code:abcde\"",
             "\"avatar:code:" + std::string(kLongestAvatarCode + 4, 'A') + "\""}) {
        SCOPED_TRACE(line.substr(0, 60));
        CommandLineRequest r = parseCommandLine(line.c_str());
        EXPECT_TRUE(r.pendingAvatarCode.empty());
        EXPECT_FALSE(r.editRequested);
    }
    // A code's letters keep their case: changing it makes another text of the right shape,
    // which is taken as it is (its reading will find it damaged).
    EXPECT_EQ(parseCommandLine(("\"avatar:code:" + lower + "\"").c_str()).pendingAvatarCode, lower);
}

TEST(ForwardedCode, ACodeCrossesWithItsZeroAndComesBackUnchanged) {
    const std::string code = someCode();
    const std::string bytes = forwardedCodeBytes(code);
    ASSERT_EQ(bytes.size(), code.size() + 1);
    EXPECT_EQ(bytes.back(), '\0');
    EXPECT_EQ(readForwardedCode(kCopyDataAvatarCode, bytes.data(), bytes.size()), code);

    const std::string longest(kLongestAvatarCode, 'A');
    const std::string longestBytes = forwardedCodeBytes(longest);
    EXPECT_EQ(readForwardedCode(kCopyDataAvatarCode, longestBytes.data(), longestBytes.size()), longest);
}

TEST(ForwardedCode, RecordsThatAreNotACodeAreRefused) {
    const std::string bytes = forwardedCodeBytes(someCode());
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode + 1, bytes.data(), bytes.size())) << "another tag";
    EXPECT_FALSE(readForwardedCode(1, bytes.data(), bytes.size())) << "the chat client's tag";
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, nullptr, bytes.size())) << "no data";
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, bytes.data(), 0)) << "no bytes";
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, bytes.data(), bytes.size() - 1)) << "no terminating zero";
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, "\0", 1)) << "an empty code";

    std::string inner = bytes;
    inner[3] = '\0';
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, inner.data(), inner.size())) << "a zero inside";
    std::string bad = bytes;
    bad[2] = '+';
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, bad.data(), bad.size())) << "a character of no code";

    // One character too many; the size is checked before a byte is read, so a count far past
    // the data is refused without reading it.
    const std::string tooLong = forwardedCodeBytes(std::string(kLongestAvatarCode + 1, 'A'));
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, tooLong.data(), tooLong.size()));
    EXPECT_FALSE(readForwardedCode(kCopyDataAvatarCode, bytes.data(), std::size_t{1} << 40));
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
