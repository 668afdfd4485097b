#pragma once
// The texts of the chat-client link that do not depend on the desktop: the reply line kept
// from the chat client, the log line of each attach status, and the strict conversion of a
// command to UTF-8.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace likenex {

// The reply line is kept in a buffer of this many bytes, its terminator included.
inline constexpr std::size_t kChatReplyBuffer = 1024;

// The attach statuses the chat client announces.
inline constexpr std::intptr_t kAttachSuccess = 0, kAttachPending = 1, kAttachRefused = 2, kAttachNotAvailable = 3,
                               kAttachAvailable = 0x8001;

// A command that cannot be converted: it holds an unpaired surrogate.
class ChatCommandError : public std::runtime_error {
public:
    ChatCommandError() : std::runtime_error("La falla!") {}
};

// "Skype(N): TEXT\n" for a reply with data value N, cut so that it and its terminator fit the
// reply buffer. `data` is the reply as it came, which need not end in a zero.
[[nodiscard]] std::string chatReplyLine(std::uintptr_t dataValue, std::span<const char> data);

// The reply line as interface text. The chat client answers in UTF-8, as it is spoken to;
// bytes that do not form UTF-8 (a reply cut inside a character among them) show as U+FFFD.
[[nodiscard]] std::u16string chatReplyText(std::string_view line);

// The line written to standard output for an attach status; empty for the statuses that
// have none.
[[nodiscard]] std::string_view attachStatusLine(std::intptr_t status);

// The command as UTF-8 with its terminating zero, as it is handed over. Throws
// ChatCommandError for an unpaired surrogate.
[[nodiscard]] std::string chatCommandBytes(std::u16string_view command);

}  // namespace likenex
