#pragma once
// The base of every message on the server connection, and the framing both sides use: a
// 16-bit total length (header included), a 32-bit type, then the body. Every integer is
// little-endian. A frame shorter than the header or longer than the fixed 4096-byte buffers
// of the client is never valid.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace likenex {

inline constexpr std::size_t kMessageHeaderSize = 6;
inline constexpr std::size_t kMinMessageLength = 6;
inline constexpr std::size_t kMaxMessageLength = 4096;

enum class MessageType : std::int32_t {
    SaveAvatarRequest = 257,
    SaveAvatarReply = 258,
    VersionQuery = 259,
    VersionReply = 260,
    OpenAvatarRequest = 261,
    AvatarReply = 262,
};

struct FrameHeader {
    std::uint16_t length = 0;
    std::int32_t type = 0;
};

// The header at the start of `bytes`; nothing while fewer than 6 bytes are there. The length
// is returned as sent: the caller decides with isValidFrameLength what to do with it.
[[nodiscard]] std::optional<FrameHeader> peekFrameHeader(std::span<const std::uint8_t> bytes);
[[nodiscard]] constexpr bool isValidFrameLength(std::size_t length) {
    return length >= kMinMessageLength && length <= kMaxMessageLength;
}

class ProtocolMessage {
public:
    explicit ProtocolMessage(MessageType type) : type_(static_cast<std::int32_t>(type)) {}
    virtual ~ProtocolMessage() = default;
    ProtocolMessage(const ProtocolMessage&) = default;
    ProtocolMessage& operator=(const ProtocolMessage&) = default;

    [[nodiscard]] std::int32_t type() const { return type_; }
    // The encoded message, header included; empty before encode or assign.
    [[nodiscard]] const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    [[nodiscard]] std::size_t length() const { return bytes_.size(); }

    // Takes one received frame for decode. Refused (and nothing kept) unless the frame's
    // length word equals its size, the size is a valid frame length and the type is this
    // class's type.
    [[nodiscard]] bool assign(std::span<const std::uint8_t> frame);

    // Fills the typed fields from the assigned bytes. Every length, count and text on the
    // wire is checked against what is there; anything that does not fit the layout exactly
    // is refused with false and leaves the fields unspecified.
    [[nodiscard]] virtual bool decode() = 0;
    // Replaces the bytes with the encoding of the fields. False (and no bytes) when a field
    // does not fit the layout or the whole exceeds 4096 bytes.
    [[nodiscard]] virtual bool encode() = 0;

protected:
    // The body after the header, for decode.
    [[nodiscard]] std::span<const std::uint8_t> body() const;
    // Writes the header in front of a body and keeps the whole; false when too long.
    [[nodiscard]] bool finish(std::span<const std::uint8_t> body);
    // Drops any old bytes and reports a field that cannot be encoded.
    [[nodiscard]] bool refuse() {
        bytes_.clear();
        return false;
    }

private:
    std::int32_t type_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace likenex
