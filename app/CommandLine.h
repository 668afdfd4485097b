#pragma once
// What the editor's command line asks for: another server ("HOST PORT"), a stored avatar to
// open ("\"avatar:edit:ID\"") or an avatar code to open ("\"avatar:code:CODE\""), the two
// forms the URL protocol produces; and how a second start hands its code to the running editor.
// Portable, so that every case is tested natively.

#include "base/Constants.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
    // The avatar code named on the command line; empty when none was.
    std::string pendingAvatarCode;
};

// Reads the narrow command line (without the program name); null gives the defaults.
// The two forms are scanned independently, as "%s %d" and "\"avatar:edit:%I64d\"" would:
// the server override only when both the host token and the port convert, the avatar only
// when the text starts with the quote and the prefix and a number follows. The code form is
// matched in the same way; its code runs to the closing quote (or the end of the text) and is
// taken only when it has the shape of a code.
[[nodiscard]] CommandLineRequest parseCommandLine(const char* commandLine);

// A code crosses to a running editor in WM_COPYDATA, tagged kCopyDataAvatarCode: its characters
// and a terminating zero, which the byte count includes.
[[nodiscard]] std::string forwardedCodeBytes(std::string_view code);
// The code a WM_COPYDATA record carries, or nothing when the record is not such a code: another
// tag, no data, a byte count that is zero, larger than a code and its zero can be, or does not
// end on the zero, or characters that do not make a code. The record comes from any process,
// so nothing in it is trusted.
[[nodiscard]] std::optional<std::string> readForwardedCode(std::uintptr_t tag, const void* data, std::size_t size);

// A 64-bit avatar id crosses to a running editor as two 32-bit message parameters.
struct AvatarIdHalves {
    std::uint32_t high = 0;
    std::uint32_t low = 0;
};
[[nodiscard]] AvatarIdHalves splitAvatarId(std::int64_t id);
// The low half is taken as unsigned, so its top bit never spreads into the high half.
[[nodiscard]] std::int64_t joinAvatarId(std::uint64_t wParam, std::int64_t lParam);

}  // namespace likenex
