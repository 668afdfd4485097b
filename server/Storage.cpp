#include "server/Storage.h"

namespace likenex {

std::vector<std::uint8_t> encodeAvatarFields(const AvatarFields& avatar) {
    AvatarReply reply;
    reply.result = AvatarReply::Found;
    reply.avatar = avatar;
    if (!reply.encode()) return {};
    return std::vector<std::uint8_t>(reply.bytes().begin() + kMessageHeaderSize + 1, reply.bytes().end());
}

std::optional<AvatarFields> decodeAvatarFields(const std::vector<std::uint8_t>& blob) {
    std::size_t length = kMessageHeaderSize + 1 + blob.size();
    if (!isValidFrameLength(length)) return std::nullopt;
    std::vector<std::uint8_t> frame = {static_cast<std::uint8_t>(length),
                                       static_cast<std::uint8_t>(length >> 8),
                                       static_cast<std::uint8_t>(MessageType::AvatarReply),
                                       1,
                                       0,
                                       0,
                                       AvatarReply::Found};
    frame.insert(frame.end(), blob.begin(), blob.end());
    AvatarReply reply;
    if (!reply.assign(frame) || !reply.decode()) return std::nullopt;
    return reply.avatar;
}

std::size_t characterCount(std::u16string_view text) {
    std::size_t count = 0;
    for (char16_t unit : text)
        if (unit < 0xDC00 || unit > 0xDFFF) ++count;
    return count;
}

}  // namespace likenex
