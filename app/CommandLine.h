#pragma once
// What the editor's command line asks for: another server ("HOST PORT"), or a stored
// avatar to open ("\"avatar:edit:ID\"", the form the URL protocol produces). Portable, so
// that every case is tested natively.

#include "base/Constants.h"

#include <cstdint>
#include <string>

namespace likenex {

// The host token is held in a 52-byte buffer; a longer token is refused.
inline constexpr std::size_t kMaxHostLength = 51;

struct ServerEndpoint {
    std::string host = kDefaultServerHost;
    std::int32_t port = kDefaultServerPort;
};

struct CommandLineRequest {
    ServerEndpoint endpoint;
    std::int64_t pendingAvatarId = 0;
    bool editRequested = false;
};

// Reads the narrow command line (without the program name); null gives the defaults.
// The two forms are scanned independently, as "%s %d" and "\"avatar:edit:%I64d\"" would:
// the server override only when both the host token and the port convert, the avatar only
// when the text starts with the quote and the prefix and a number follows.
[[nodiscard]] CommandLineRequest parseCommandLine(const char* commandLine);

// A 64-bit avatar id crosses to a running editor as two 32-bit message parameters.
struct AvatarIdHalves {
    std::uint32_t high = 0;
    std::uint32_t low = 0;
};
[[nodiscard]] AvatarIdHalves splitAvatarId(std::int64_t id);
// The low half is taken as unsigned, so its top bit never spreads into the high half.
[[nodiscard]] std::int64_t joinAvatarId(std::uint64_t wParam, std::int64_t lParam);

}  // namespace likenex
