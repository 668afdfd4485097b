#include "net/ProtocolMessage.h"

#include "base/ByteIo.h"

namespace likenex {

std::optional<FrameHeader> peekFrameHeader(std::span<const std::uint8_t> bytes) {
    ByteReader reader(bytes);
    FrameHeader header;
    header.length = reader.u16();
    header.type = reader.i32();
    if (!reader.ok()) return std::nullopt;
    return header;
}

bool ProtocolMessage::assign(std::span<const std::uint8_t> frame) {
    bytes_.clear();
    auto header = peekFrameHeader(frame);
    if (!header || header->length != frame.size() || !isValidFrameLength(frame.size()) || header->type != type_)
        return false;
    bytes_.assign(frame.begin(), frame.end());
    return true;
}

std::span<const std::uint8_t> ProtocolMessage::body() const {
    if (bytes_.size() < kMessageHeaderSize) return {};
    return std::span<const std::uint8_t>(bytes_).subspan(kMessageHeaderSize);
}

bool ProtocolMessage::finish(std::span<const std::uint8_t> body) {
    bytes_.clear();
    std::size_t length = kMessageHeaderSize + body.size();
    if (!isValidFrameLength(length)) return false;
    ByteWriter writer;
    writer.u16(static_cast<std::uint16_t>(length));
    writer.i32(type_);
    writer.append(body);
    bytes_ = writer.take();
    return true;
}

}  // namespace likenex
