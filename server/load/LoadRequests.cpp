#include "server/load/LoadRequests.h"

#include "net/Messages.h"
#include "net/PasswordDigest.h"

#include <charconv>
#include <stdexcept>

namespace likenex::load {

std::vector<std::uint8_t> uploadRequest(const Catalogue& catalogue, const UploadSettings& settings) {
    const Action* shortest = nullptr;
    for (const Action& a : catalogue.actions())
        if (a.price == 0 && !a.frames.empty() && (!shortest || a.frames.size() < shortest->frames.size()))
            shortest = &a;
    if (!shortest || shortest->frames.size() * 20 > static_cast<std::size_t>(kMaxScriptFrames))
        throw std::runtime_error("no free action short enough for a 20-step script");
    SaveAvatarRequest upload;
    upload.userName = std::u16string(settings.user.begin(), settings.user.end());
    upload.passwordDigest = settings.digest;
    for (int i = 0; i < 20; ++i)
        upload.appendScriptEntry(shortest->identifier,
                                 u"Hello, step " + std::u16string(1, static_cast<char16_t>(u'A' + i)));
    upload.title = u"Load test";
    upload.secondText = u"An avatar stored by likenex-load.";
    upload.thirdText = u"";
    upload.language = 2;
    if (!settings.accessPassword.empty()) {
        upload.accessMode = 2;
        upload.accessDigest = asciiPasswordDigest(settings.accessPassword);
    }
    if (!upload.encode()) throw std::runtime_error("the upload does not fit a message (is the user name too long?)");
    return upload.bytes();
}

std::vector<std::uint8_t> versionQuery() {
    VersionQuery query;
    (void)query.encode();
    return query.bytes();
}

std::vector<std::uint8_t> openRequest(std::int64_t avatarNumber) {
    OpenAvatarRequest open;
    open.avatarId = avatarNumber;
    (void)open.encode();
    return open.bytes();
}

std::string asciiPasswordDigest(std::string_view password) {
    std::u16string units;
    for (char c : password) {
        if (static_cast<unsigned char>(c) >= 0x80)
            throw std::runtime_error("a password for likenex-load must be ASCII");
        units.push_back(static_cast<char16_t>(c));
    }
    return typedPasswordDigest(units, [](std::u16string_view text) { return std::string(text.begin(), text.end()); });
}

Verdict judgeReply(MessageType requestType, std::span<const std::uint8_t> frame) {
    switch (requestType) {
    case MessageType::VersionQuery: {
        VersionReply reply;
        if (reply.assign(frame) && reply.decode()) return {true, "version"};
        break;
    }
    case MessageType::OpenAvatarRequest: {
        AvatarReply reply;
        if (!reply.assign(frame) || !reply.decode()) break;
        switch (reply.result) {
        case AvatarReply::Found: return {true, "found"};
        case AvatarReply::Refused: return {false, "restricted"};
        default: return {false, "unknown or failed"};
        }
    }
    case MessageType::SaveAvatarRequest: {
        SaveAvatarReply reply;
        if (!reply.assign(frame) || !reply.decode()) break;
        switch (reply.result) {
        case SaveAvatarReply::Saved:
            if (reply.avatarNumber <= 0) return {false, "saved with no number"};
            return {true, "saved", reply.avatarNumber};
        case SaveAvatarReply::Refused: return {false, "refused"};
        case SaveAvatarReply::SignInRejected: return {false, "sign-in rejected"};
        default: return {false, "failed or busy"};
        }
    }
    default: break;
    }
    return {false, "malformed reply"};
}

std::vector<std::int64_t> parseNumbers(std::string_view text, std::size_t limit, std::string& warning) {
    std::vector<std::int64_t> numbers;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            warning = "line " + std::to_string(lineNumber) + " has no newline and was left out";
            break;
        }
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::int64_t number = 0;
        auto [stop, ec] = std::from_chars(line.data(), line.data() + line.size(), number);
        if (ec != std::errc() || stop != line.data() + line.size() || number < 1 || number > INT32_MAX)
            throw std::runtime_error("line " + std::to_string(lineNumber) + " is not an avatar number");
        if (numbers.size() == limit) throw std::runtime_error("more than " + std::to_string(limit) + " numbers");
        numbers.push_back(number);
    }
    return numbers;
}

}  // namespace likenex::load
