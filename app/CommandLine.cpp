#include "app/CommandLine.h"

#include <limits>
#include <optional>

namespace likenex {
namespace {

// The C locale's white space, which scanf skips.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

const char* skipSpace(const char* p) {
    while (isSpace(*p)) ++p;
    return p;
}

// A %d-style conversion: white space, an optional sign, at least one digit. A value that
// does not fit the type is refused rather than wrapped.
template <typename Int>
std::optional<Int> scanInteger(const char* p) {
    p = skipSpace(p);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return std::nullopt;
    // Accumulate as a negative number: its range holds the most negative value too.
    constexpr Int lowest = std::numeric_limits<Int>::min();
    Int value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        Int digit = static_cast<Int>(*p - '0');
        if (value < (lowest + digit) / 10) return std::nullopt;
        value = static_cast<Int>(value * 10 - digit);
    }
    if (negative) return value;
    if (value == lowest) return std::nullopt;
    return static_cast<Int>(-value);
}

}  // namespace

CommandLineRequest parseCommandLine(const char* commandLine) {
    CommandLineRequest request;
    if (!commandLine) return request;

    // "%s %d": a host token and a port.
    const char* token = skipSpace(commandLine);
    const char* tokenEnd = token;
    while (*tokenEnd && !isSpace(*tokenEnd)) ++tokenEnd;
    std::size_t tokenLength = static_cast<std::size_t>(tokenEnd - token);
    if (tokenLength > 0 && tokenLength <= kMaxHostLength) {
        if (auto port = scanInteger<std::int32_t>(tokenEnd)) {
            request.endpoint.host.assign(token, tokenLength);
            request.endpoint.port = *port;
        }
    }

    // "\"avatar:edit:%I64d\"": the literal must match from the first character; the closing
    // quote is not required.
    static constexpr char kPrefix[] = "\"avatar:edit:";
    const char* p = commandLine;
    for (const char* q = kPrefix; *q; ++q, ++p) {
        if (*p != *q) return request;
    }
    if (auto id = scanInteger<std::int64_t>(p)) {
        request.pendingAvatarId = *id;
        request.editRequested = true;
    }
    return request;
}

AvatarIdHalves splitAvatarId(std::int64_t id) {
    auto bits = static_cast<std::uint64_t>(id);
    return {static_cast<std::uint32_t>(bits >> 32), static_cast<std::uint32_t>(bits)};
}

std::int64_t joinAvatarId(std::uint64_t wParam, std::int64_t lParam) {
    std::uint64_t high = static_cast<std::uint64_t>(static_cast<std::uint32_t>(wParam)) << 32;
    std::uint64_t low = static_cast<std::uint32_t>(lParam);
    return static_cast<std::int64_t>(high | low);
}

}  // namespace likenex
