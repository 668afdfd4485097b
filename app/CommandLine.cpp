#include "app/CommandLine.h"

#include "base/WindowMessages.h"
#include "net/AvatarCode.h"

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

// Where the text goes on after `prefix`, or null when it does not start with it, letter for
// letter.
const char* afterPrefix(const char* text, const char* prefix) {
    for (; *prefix; ++prefix, ++text) {
        if (*text != *prefix) return nullptr;
    }
    return text;
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
    if (const char* p = afterPrefix(commandLine, "\"avatar:edit:")) {
        if (auto id = scanInteger<std::int64_t>(p)) {
            request.pendingAvatarId = *id;
            request.editRequested = true;
        }
        return request;
    }

    // "\"avatar:code:CODE\"", matched the same way. White space around the code (the shell's
    // after an unclosed quote) is not part of it, as a code's reader ignores it too.
    if (const char* p = afterPrefix(commandLine, "\"avatar:code:")) {
        std::string_view code(p);
        code = code.substr(0, code.find('"'));
        while (!code.empty() && isSpace(code.front())) code.remove_prefix(1);
        while (!code.empty() && isSpace(code.back())) code.remove_suffix(1);
        if (looksLikeAvatarCode(code)) request.pendingAvatarCode = code;
    }
    return request;
}

std::string forwardedCodeBytes(std::string_view code) {
    std::string bytes(code);
    bytes.push_back('\0');
    return bytes;
}

std::optional<std::string> readForwardedCode(std::uintptr_t tag, const void* data, std::size_t size) {
    if (tag != kCopyDataAvatarCode || !data || size == 0 || size > kLongestAvatarCode + 1) return std::nullopt;
    const std::string_view bytes(static_cast<const char*>(data), size);
    if (bytes.back() != '\0') return std::nullopt;
    // A zero inside the code is a character outside its alphabet, refused here.
    const std::string_view code = bytes.substr(0, size - 1);
    if (!looksLikeAvatarCode(code)) return std::nullopt;
    return std::string(code);
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
