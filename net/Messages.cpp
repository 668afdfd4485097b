#include "net/Messages.h"

#include "base/ByteIo.h"

#include <algorithm>

namespace likenex {
namespace {

constexpr std::size_t kUserNameFieldBytes = 48;

bool hasNul(std::u16string_view text) { return text.find(u'\0') != std::u16string_view::npos; }
bool hasNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

std::u16string unitsUpToNul(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

std::string bytesUpToNul(std::span<const std::uint8_t> bytes) {
    auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

// A byte count read from the wire: refused when negative or past what is left.
std::span<const std::uint8_t> countedBytes(ByteReader& reader) {
    std::int32_t count = reader.i32();
    if (count < 0) {
        reader.bytes(reader.remaining() + 1);  // leaves the reader failed
        return {};
    }
    return reader.bytes(static_cast<std::uint32_t>(count));
}

bool readUtf16Counted(ByteReader& reader, std::u16string& text) {
    auto bytes = countedBytes(reader);
    if (!reader.ok() || bytes.size() % 2 != 0) return false;
    text = unitsUpToNul(bytes);
    return true;
}

bool read8BitCounted(ByteReader& reader, std::string& text) {
    auto bytes = countedBytes(reader);
    if (!reader.ok()) return false;
    text = bytesUpToNul(bytes);
    return true;
}

void writeUnits(ByteWriter& writer, std::u16string_view text) {
    for (char16_t unit : text) writer.u16(unit);
}

void writeUtf16Counted(ByteWriter& writer, std::u16string_view text) {
    writer.i32(static_cast<std::int32_t>(2 * (text.size() + 1)));
    writeUnits(writer, text);
    writer.u16(0);
}

void write8BitCounted(ByteWriter& writer, std::string_view text) {
    writer.i32(static_cast<std::int32_t>(text.size() + 1));
    writer.append({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    writer.u8(0);
}

// A text field of fixed width, zero-filled after the text.
void writeFixed(ByteWriter& writer, std::string_view text, std::size_t width) {
    writer.append({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    for (std::size_t i = text.size(); i < width; ++i) writer.u8(0);
}

bool readAvatarFields(ByteReader& reader, AvatarFields& avatar) {
    avatar.direction = reader.u8();
    avatar.faceOption1 = reader.i32();
    avatar.faceOption2 = reader.i32();
    avatar.skin = reader.u8();
    for (ItemPair& pair : avatar.items) {
        pair.item = reader.i32();
        pair.colour = reader.u8();
    }
    avatar.bodyPart = reader.i32();
    std::int32_t count = reader.i32();
    if (count < 0) return false;
    avatar.script.clear();
    // The count is not trusted for a reservation: every entry is at least 8 bytes, and the
    // loop stops at the first one that does not fit.
    for (std::int32_t i = 0; i < count && reader.ok(); ++i) {
        ScriptEntry entry;
        entry.action = reader.i32();
        if (!readUtf16Counted(reader, entry.caption)) return false;
        avatar.script.push_back(std::move(entry));
    }
    return reader.ok();
}

bool writeAvatarFields(ByteWriter& writer, const AvatarFields& avatar) {
    writer.u8(avatar.direction);
    writer.i32(avatar.faceOption1);
    writer.i32(avatar.faceOption2);
    writer.u8(avatar.skin);
    for (const ItemPair& pair : avatar.items) {
        writer.i32(pair.item);
        writer.u8(pair.colour);
    }
    writer.i32(avatar.bodyPart);
    if (avatar.script.size() > kMaxMessageLength) return false;
    writer.i32(static_cast<std::int32_t>(avatar.script.size()));
    for (const ScriptEntry& entry : avatar.script) {
        if (hasNul(entry.caption) || entry.caption.size() > kMaxMessageLength) return false;
        writer.i32(entry.action);
        writeUtf16Counted(writer, entry.caption);
    }
    return true;
}

}  // namespace

bool SaveAvatarRequest::decode() {
    ByteReader reader(body());
    auto name = reader.bytes(kUserNameFieldBytes);
    userName = unitsUpToNul(name);
    if (!reader.ok() || userName.size() > kMaxUserNameUnits) return false;  // no NUL in the field
    reader.skip(2);
    passwordDigest = bytesUpToNul(reader.bytes(kDigestLength));
    reader.skip(1);
    if (!readAvatarFields(reader, avatar)) return false;
    if (!readUtf16Counted(reader, title) || !readUtf16Counted(reader, secondText) ||
        !readUtf16Counted(reader, thirdText))
        return false;
    firstOption = reader.u8();
    secondOption = reader.u8();
    accessMode = reader.u8();
    language = reader.u8();
    accessDigest = bytesUpToNul(reader.bytes(kDigestLength));
    reader.skip(1);
    return reader.ok() && reader.remaining() == 0;
}

bool SaveAvatarRequest::encode() {
    if (userName.size() > kMaxUserNameUnits || hasNul(userName) || passwordDigest.size() > kDigestLength ||
        accessDigest.size() > kDigestLength || hasNul(title) || hasNul(secondText) || hasNul(thirdText) ||
        title.size() > kMaxMessageLength || secondText.size() > kMaxMessageLength ||
        thirdText.size() > kMaxMessageLength) {
        return refuse();
    }
    ByteWriter writer;
    writeUnits(writer, userName);
    for (std::size_t i = userName.size(); i < kUserNameFieldBytes / 2 + 1; ++i) writer.u16(0);  // + 2 reserved
    writeFixed(writer, passwordDigest, kDigestLength);
    writer.u8(0);
    if (!writeAvatarFields(writer, avatar)) return refuse();
    writeUtf16Counted(writer, title);
    writeUtf16Counted(writer, secondText);
    writeUtf16Counted(writer, thirdText);
    writer.u8(firstOption);
    writer.u8(secondOption);
    writer.u8(accessMode);
    writer.u8(language);
    writeFixed(writer, accessMode == 2 ? std::string_view(accessDigest) : std::string_view(), kDigestLength);
    writer.u8(0);
    return finish(writer.bytes());
}

bool scriptFitsUpload(const std::vector<ScriptEntry>& script) {
    SaveAvatarRequest request;
    request.userName.assign(kMaxUserNameUnits, u'n');
    request.passwordDigest.assign(kDigestLength, '0');
    request.avatar.script = script;
    request.title.assign(static_cast<std::size_t>(kUploadTitleUnits), u't');
    request.secondText.assign(static_cast<std::size_t>(kUploadSecondTextUnits), u't');
    request.thirdText.assign(static_cast<std::size_t>(kUploadThirdTextUnits), u't');
    request.accessMode = 2;
    request.accessDigest.assign(kDigestLength, '0');
    return request.encode();
}

bool SaveAvatarReply::decode() {
    ByteReader reader(body());
    result = reader.u8();
    avatarNumber = 0;
    address.clear();
    if (!reader.ok()) return false;
    if (result != Saved) return reader.remaining() == 0;
    avatarNumber = reader.i32();
    return read8BitCounted(reader, address) && reader.remaining() == 0;
}

bool SaveAvatarReply::encode() {
    ByteWriter writer;
    writer.u8(result);
    if (result == Saved) {
        if (hasNul(address) || address.size() > kMaxMessageLength) return refuse();
        writer.i32(avatarNumber);
        write8BitCounted(writer, address);
    }
    return finish(writer.bytes());
}

bool VersionQuery::decode() { return body().empty() && !bytes().empty(); }

bool VersionQuery::encode() { return finish({}); }

bool VersionReply::decode() {
    ByteReader reader(body());
    newestVersion = reader.i32();
    return read8BitCounted(reader, updaterArguments) && read8BitCounted(reader, newsBase) && reader.remaining() == 0;
}

bool VersionReply::encode() {
    if (hasNul(updaterArguments) || hasNul(newsBase) || updaterArguments.size() + newsBase.size() > kMaxMessageLength)
        return refuse();
    ByteWriter writer;
    writer.i32(newestVersion);
    write8BitCounted(writer, updaterArguments);
    write8BitCounted(writer, newsBase);
    return finish(writer.bytes());
}

bool OpenAvatarRequest::decode() {
    ByteReader reader(body());
    std::uint64_t low = reader.u32();
    std::uint64_t high = reader.u32();
    avatarId = static_cast<std::int64_t>(high << 32 | low);
    return reader.ok() && reader.remaining() == 0;
}

bool OpenAvatarRequest::encode() {
    ByteWriter writer;
    writer.u64(static_cast<std::uint64_t>(avatarId));
    return finish(writer.bytes());
}

bool AvatarReply::decode() {
    ByteReader reader(body());
    result = reader.u8();
    if (!reader.ok()) return false;
    if (result != Found) return reader.remaining() == 0;
    return readAvatarFields(reader, avatar) && reader.remaining() == 0;
}

bool AvatarReply::encode() {
    ByteWriter writer;
    writer.u8(result);
    if (result == Found && !writeAvatarFields(writer, avatar)) return refuse();
    return finish(writer.bytes());
}

}  // namespace likenex
