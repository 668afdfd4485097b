#pragma once
// Which window message carries a reply of the server to the main window. Only the three
// reply types have one; anything else the server sends reaches no screen.

#include "base/WindowMessages.h"
#include "net/ProtocolMessage.h"

#include <cstdint>
#include <optional>

namespace likenex {

[[nodiscard]] constexpr std::optional<std::uint32_t> replyWindowMessage(std::int32_t type) {
    switch (type) {
    case static_cast<std::int32_t>(MessageType::SaveAvatarReply): return WM_SAVE_REPLY;
    case static_cast<std::int32_t>(MessageType::VersionReply): return WM_VERSION_REPLY;
    case static_cast<std::int32_t>(MessageType::AvatarReply): return WM_AVATAR_REPLY;
    default: return std::nullopt;
    }
}

// The window message for a complete frame: nothing for a frame too short for a header or of
// a type without a handler.
[[nodiscard]] inline std::optional<std::uint32_t> replyWindowMessage(std::span<const std::uint8_t> frame) {
    auto header = peekFrameHeader(frame);
    if (!header) return std::nullopt;
    return replyWindowMessage(header->type);
}

}  // namespace likenex
