#pragma once
// The six messages between the editor and the server: three requests, three replies.
// UTF-16 texts are held as std::u16string, 8-bit texts (in the client's code page) as
// std::string, both without their terminating NUL.

#include "net/ProtocolMessage.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace likenex {

inline constexpr std::size_t kMaxUserNameUnits = 23;
inline constexpr std::size_t kDigestLength = 32;
inline constexpr int kAvatarItemPairs = 5;
// The most frames an avatar's action script may play, summed over its steps.
inline constexpr int kMaxScriptFrames = 120;

// The most UTF-16 units the upload page's title, second and third texts take.
inline constexpr int kUploadTitleUnits = 20, kUploadSecondTextUnits = 100, kUploadThirdTextUnits = 36;

// One worn item; item 0 with colour 255 is an empty pair.
struct ItemPair {
    std::int32_t item = 0;
    std::uint8_t colour = 255;
    friend bool operator==(const ItemPair&, const ItemPair&) = default;
};

// One step of the action script.
struct ScriptEntry {
    std::int32_t action = 0;
    std::u16string caption;
    friend bool operator==(const ScriptEntry&, const ScriptEntry&) = default;
};

// What the upload and the avatar reply both carry, in the same order on the wire.
struct AvatarFields {
    std::uint8_t direction = 0;
    std::int32_t faceOption1 = 0;
    std::int32_t faceOption2 = 0;
    std::uint8_t skin = 4;
    std::array<ItemPair, kAvatarItemPairs> items{};
    std::int32_t bodyPart = 0;
    std::vector<ScriptEntry> script;
    friend bool operator==(const AvatarFields&, const AvatarFields&) = default;
};

// Whether an upload with this script still fits one message, whatever the upload's texts
// hold within their limits.
[[nodiscard]] bool scriptFitsUpload(const std::vector<ScriptEntry>& script);

class SaveAvatarRequest final : public ProtocolMessage {
public:
    SaveAvatarRequest() : ProtocolMessage(MessageType::SaveAvatarRequest) {}
    [[nodiscard]] bool decode() override;
    [[nodiscard]] bool encode() override;
    void appendScriptEntry(std::int32_t action, std::u16string caption) {
        avatar.script.push_back({action, std::move(caption)});
    }

    std::u16string userName;     // at most 23 units
    std::string passwordDigest;  // at most 32 bytes
    AvatarFields avatar;
    std::u16string title;
    std::u16string secondText;
    std::u16string thirdText;
    std::uint8_t firstOption = 0;
    std::uint8_t secondOption = 0;
    std::uint8_t accessMode = 0;  // 0 open; 1, 2, 3 restricted
    std::uint8_t language = 0;
    std::string accessDigest;  // sent only in access mode 2
};

class SaveAvatarReply final : public ProtocolMessage {
public:
    enum Result : std::uint8_t { Saved = 0, Failed = 1, Refused = 2, SignInRejected = 3 };
    SaveAvatarReply() : ProtocolMessage(MessageType::SaveAvatarReply) {}
    [[nodiscard]] bool decode() override;
    [[nodiscard]] bool encode() override;

    std::uint8_t result = Failed;
    std::int32_t avatarNumber = 0;  // only with Saved
    std::string address;            // only with Saved
};

class VersionQuery final : public ProtocolMessage {
public:
    VersionQuery() : ProtocolMessage(MessageType::VersionQuery) {}
    [[nodiscard]] bool decode() override;
    [[nodiscard]] bool encode() override;
};

class VersionReply final : public ProtocolMessage {
public:
    VersionReply() : ProtocolMessage(MessageType::VersionReply) {}
    [[nodiscard]] bool decode() override;
    [[nodiscard]] bool encode() override;

    std::int32_t newestVersion = 0;
    std::string updaterArguments;
    std::string newsBase;
};

class OpenAvatarRequest final : public ProtocolMessage {
public:
    OpenAvatarRequest() : ProtocolMessage(MessageType::OpenAvatarRequest) {}
    [[nodiscard]] bool decode() override;
    [[nodiscard]] bool encode() override;

    std::int64_t avatarId = 0;
};

class AvatarReply final : public ProtocolMessage {
public:
    enum Result : std::uint8_t { Found = 0, Failed = 1, Refused = 2 };
    AvatarReply() : ProtocolMessage(MessageType::AvatarReply) {}
    [[nodiscard]] bool decode() override;
    [[nodiscard]] bool encode() override;

    std::uint8_t result = Failed;
    AvatarFields avatar;  // only with Found
};

}  // namespace likenex
