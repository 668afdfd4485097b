#include "net/AvatarCode.h"

#include "base/ByteIo.h"
#include "base/Text.h"

#include <array>
#include <optional>
#include <vector>

namespace likenex {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::size_t kChecksumBytes = 2;
constexpr std::uint8_t kHasFace1 = 0x08, kHasFace2 = 0x10, kHasBodyPart = 0x20;
constexpr std::uint8_t kHeadBits = 0x3f;
// A script of more steps than frames can never play within the limit: each step plays at
// least one frame of an action the catalogue knows, or is left out.
constexpr std::size_t kMostSteps = static_cast<std::size_t>(kMaxScriptFrames);

// CRC-16/CCITT-FALSE: every change within 16 bits (one mistyped character, two neighbours
// swapped) changes it.
std::uint16_t crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xffff;
    for (std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>(crc ^ (byte << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

int sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

std::string toText(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (std::uint8_t byte : bytes) {
        bits = bits << 8 | byte;
        count += 8;
        while (count >= 6) {
            count -= 6;
            text += kAlphabet[(bits >> count) & 63];
        }
    }
    if (count > 0) text += kAlphabet[(bits << (6 - count)) & 63];
    return text;
}

// Refused for a character outside the alphabet or a length no byte string has. `untidyEnd`
// says that the unused low bits of the last character are not zero: such a text is not the
// one text of its bytes, which a code cut short and a mistyped last character both give.
std::optional<std::vector<std::uint8_t>> fromText(std::string_view text, CodeRefusal& refusal, bool& untidyEnd) {
    if (text.size() % 4 == 1) {
        refusal = CodeRefusal::cut;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 3 / 4);
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int value = sextet(c);
        if (value < 0) {
            refusal = CodeRefusal::badCharacter;
            return std::nullopt;
        }
        bits = (bits << 6 | static_cast<std::uint32_t>(value)) & 0xffffff;
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    untidyEnd = (bits & ((1u << count) - 1)) != 0;
    return bytes;
}

std::uint32_t zigzag(std::int32_t value) {
    return (static_cast<std::uint32_t>(value) << 1) ^ static_cast<std::uint32_t>(value >> 31);
}
std::int32_t unzigzag(std::uint32_t value) {
    return static_cast<std::int32_t>(value >> 1) ^ -static_cast<std::int32_t>(value & 1);
}

void putVarint(std::vector<std::uint8_t>& out, std::uint32_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}
void putNumber(std::vector<std::uint8_t>& out, std::int32_t value) { putVarint(out, zigzag(value)); }

// Reads the body of a code; every read is bounded by what is left, and a failure is final.
class CodeReader {
public:
    explicit CodeReader(std::span<const std::uint8_t> bytes) : reader_(bytes) {}

    [[nodiscard]] bool ok() const { return reader_.ok() && !malformed_; }
    [[nodiscard]] bool ranOut() const { return !reader_.ok(); }
    [[nodiscard]] std::size_t remaining() const { return reader_.remaining(); }
    std::uint8_t byte() { return reader_.u8(); }
    std::span<const std::uint8_t> bytes(std::uint64_t count) { return reader_.bytes(count); }

    // Shortest form only, five bytes at most, no bits above 32: one number, one text.
    std::uint32_t varint() {
        std::uint32_t value = 0;
        for (int i = 0; i < 5; ++i) {
            const std::uint8_t b = reader_.u8();
            if (!reader_.ok()) return 0;
            if (i == 4 && b > 0x0f) return malformed();
            value |= static_cast<std::uint32_t>(b & 0x7f) << (7 * i);
            if (!(b & 0x80)) {
                if (i > 0 && b == 0) return malformed();
                return value;
            }
        }
        return malformed();
    }
    std::int32_t number() { return unzigzag(varint()); }
    std::uint32_t malformed() {
        malformed_ = true;
        return 0;
    }

private:
    ByteReader reader_;
    bool malformed_ = false;
};

std::string_view trimmed(std::string_view text) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// Version 1's body, from after the version byte to before the checksum.
CodeRefusal readVersion1(CodeReader& in, AvatarFields& avatar) {
    const std::uint8_t head = in.byte();
    avatar.skin = in.byte();
    const std::uint8_t itemMask = in.byte();
    if (in.ranOut()) return CodeRefusal::cut;
    if (head & ~kHeadBits || itemMask & ~0x1f) return CodeRefusal::malformed;
    avatar.direction = head & 7;
    for (std::size_t pair = 0; pair < avatar.items.size(); ++pair) {
        if (!(itemMask & (1u << pair))) continue;
        avatar.items[pair].item = in.number();
        avatar.items[pair].colour = in.byte();
        if (in.ok() && avatar.items[pair].item == 0) in.malformed();
    }
    auto optional = [&](std::uint8_t bit, std::int32_t& field) {
        if (!(head & bit)) return;
        field = in.number();
        if (in.ok() && field == 0) in.malformed();
    };
    optional(kHasFace1, avatar.faceOption1);
    optional(kHasFace2, avatar.faceOption2);
    optional(kHasBodyPart, avatar.bodyPart);
    const std::uint32_t steps = in.varint();
    if (in.ok() && steps > kMostSteps) return CodeRefusal::scriptTooLong;
    for (std::uint32_t i = 0; i < steps && in.ok(); ++i) {
        ScriptEntry entry;
        entry.action = in.number();
        const std::uint32_t length = in.varint();
        if (!in.ok()) break;
        // Each UTF-16 unit takes at least one byte in UTF-8.
        if (length > kLongestCodeCaption * 3) return CodeRefusal::badCaption;
        const auto bytes = in.bytes(length);
        if (!in.ok()) break;
        auto caption = text::utf16FromUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        if (!caption || caption->size() > kLongestCodeCaption) return CodeRefusal::badCaption;
        entry.caption = std::move(*caption);
        avatar.script.push_back(std::move(entry));
    }
    if (in.ranOut()) return CodeRefusal::cut;
    if (!in.ok() || in.remaining() != 0) return CodeRefusal::malformed;
    return CodeRefusal::none;
}

}  // namespace

const char* describeRefusal(CodeRefusal refusal) {
    switch (refusal) {
    case CodeRefusal::none: return "a valid avatar code";
    case CodeRefusal::empty: return "no avatar code was given";
    case CodeRefusal::tooLong: return "the text is far longer than any avatar code";
    case CodeRefusal::badCharacter: return "the text holds a character that no avatar code has";
    case CodeRefusal::cut: return "the avatar code is cut short";
    case CodeRefusal::badChecksum: return "the avatar code is mistyped (its check does not match)";
    case CodeRefusal::newerVersion: return "the avatar code was made by a newer version of Likenex";
    case CodeRefusal::malformed: return "the avatar code is damaged";
    case CodeRefusal::badCaption: return "a caption in the avatar code is not valid text or is too long";
    case CodeRefusal::scriptTooLong: return "the avatar code's script plays more than 120 frames";
    case CodeRefusal::tooLargeToUpload: return "the avatar code's captions are longer than an avatar can carry";
    }
    return "the avatar code is damaged";
}

AvatarCodeResult encodeAvatarCode(const AvatarFields& avatar) {
    if (avatar.direction > 7) return {CodeRefusal::malformed, {}};
    if (avatar.script.size() > kMostSteps) return {CodeRefusal::scriptTooLong, {}};
    if (!scriptFitsUpload(avatar.script)) return {CodeRefusal::tooLargeToUpload, {}};
    std::vector<std::uint8_t> bytes;
    bytes.reserve(64);
    bytes.push_back(kAvatarCodeVersion);
    std::uint8_t head = avatar.direction;
    if (avatar.faceOption1 != 0) head |= kHasFace1;
    if (avatar.faceOption2 != 0) head |= kHasFace2;
    if (avatar.bodyPart != 0) head |= kHasBodyPart;
    std::uint8_t itemMask = 0;
    for (std::size_t pair = 0; pair < avatar.items.size(); ++pair)
        if (avatar.items[pair].item != 0) itemMask |= static_cast<std::uint8_t>(1u << pair);
    bytes.push_back(head);
    bytes.push_back(avatar.skin);
    bytes.push_back(itemMask);
    for (const ItemPair& pair : avatar.items) {
        if (pair.item == 0) continue;
        putNumber(bytes, pair.item);
        bytes.push_back(pair.colour);
    }
    if (avatar.faceOption1 != 0) putNumber(bytes, avatar.faceOption1);
    if (avatar.faceOption2 != 0) putNumber(bytes, avatar.faceOption2);
    if (avatar.bodyPart != 0) putNumber(bytes, avatar.bodyPart);
    putVarint(bytes, static_cast<std::uint32_t>(avatar.script.size()));
    for (const ScriptEntry& entry : avatar.script) {
        if (entry.caption.size() > kLongestCodeCaption) return {CodeRefusal::badCaption, {}};
        const auto caption = text::utf8FromUtf16Strict(entry.caption);
        if (!caption) return {CodeRefusal::badCaption, {}};
        putNumber(bytes, entry.action);
        putVarint(bytes, static_cast<std::uint32_t>(caption->size()));
        bytes.insert(bytes.end(), caption->begin(), caption->end());
    }
    const std::uint16_t check = crc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(check >> 8));
    bytes.push_back(static_cast<std::uint8_t>(check));
    return {CodeRefusal::none, toText(bytes)};
}

bool looksLikeAvatarCode(std::string_view text) {
    text = trimmed(text);
    if (text.size() < 6 || text.size() > kLongestAvatarCode || text.size() % 4 == 1) return false;
    for (char c : text)
        if (sextet(c) < 0) return false;
    return true;
}

DecodedAvatarCode decodeAvatarCode(std::string_view text, const Catalogue& catalogue) {
    text = trimmed(text);
    if (text.empty()) return {CodeRefusal::empty, {}};
    if (text.size() > kLongestAvatarCode) return {CodeRefusal::tooLong, {}};
    CodeRefusal refusal = CodeRefusal::none;
    bool untidyEnd = false;
    const auto bytes = fromText(text, refusal, untidyEnd);
    if (!bytes) return {refusal, {}};
    // The version byte, a body of at least three bytes and the check.
    if (bytes->size() < 1 + 3 + kChecksumBytes + 1) return {CodeRefusal::cut, {}};
    const std::size_t bodyEnd = bytes->size() - kChecksumBytes;
    const std::uint16_t stored = static_cast<std::uint16_t>((*bytes)[bodyEnd] << 8 | (*bytes)[bodyEnd + 1]);
    if (crc16(std::span<const std::uint8_t>(*bytes).first(bodyEnd)) != stored || untidyEnd) {
        // A code cut short still ends in two bytes, which are then taken for the check. Read
        // as a body they run out before the code does: say it is cut rather than mistyped.
        AvatarFields unused;
        CodeReader whole(std::span<const std::uint8_t>(*bytes).subspan(1));
        const bool cut = (*bytes)[0] == kAvatarCodeVersion && readVersion1(whole, unused) == CodeRefusal::cut;
        return {cut ? CodeRefusal::cut : CodeRefusal::badChecksum, {}};
    }
    const std::uint8_t version = (*bytes)[0];
    if (version == 0) return {CodeRefusal::malformed, {}};
    if (version > kAvatarCodeVersion) return {CodeRefusal::newerVersion, {}};

    DecodedAvatarCode decoded;
    CodeReader in(std::span<const std::uint8_t>(*bytes).subspan(1, bodyEnd - 1));
    decoded.refusal = readVersion1(in, decoded.avatar);
    if (decoded.refusal != CodeRefusal::none) return {decoded.refusal, {}};

    long long frames = 0;
    for (const ScriptEntry& entry : decoded.avatar.script) {
        if (entry.action < 1 || entry.action > 0xffff) continue;
        if (const Action* action = catalogue.findAction(static_cast<std::uint16_t>(entry.action)))
            frames += static_cast<long long>(action->frames.size());
    }
    if (frames > kMaxScriptFrames) return {CodeRefusal::scriptTooLong, {}};
    if (!scriptFitsUpload(decoded.avatar.script)) return {CodeRefusal::tooLargeToUpload, {}};
    return decoded;
}

}  // namespace likenex
