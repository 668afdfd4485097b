#include "server/RequestHandler.h"

#include "base/Text.h"
#include "net/Messages.h"
#include "server/CodePage.h"
#include "server/UploadCheck.h"

#include <ctime>

namespace likenex {
namespace {

RequestHandler::Outcome replyWith(ProtocolMessage& reply, std::string summary) {
    RequestHandler::Outcome outcome;
    if (reply.encode()) outcome.reply = reply.bytes();
    outcome.summary = std::move(summary);
    return outcome;
}

RequestHandler::Outcome saveResult(std::uint8_t result, std::string summary) {
    SaveAvatarReply reply;
    reply.result = result;
    return replyWith(reply, std::move(summary));
}

}  // namespace

RequestHandler::RequestHandler(Storage& storage, Accounts& accounts, SignInThrottle& throttle,
                               const Catalogue& catalogue, ProtocolSettings settings, UploadLimits limits)
    : storage_(storage),
      accounts_(accounts),
      throttle_(throttle),
      catalogue_(catalogue),
      settings_(std::move(settings)),
      uploads_(limits.uploadsPerMinute, std::chrono::minutes(1)),
      guestUploads_(limits.guestUploadsPerHour, std::chrono::hours(1)) {}

std::string RequestHandler::avatarAddress(const std::string& publicBase, std::int64_t number) {
    return publicBase + "/a/" + std::to_string(number);
}

RequestHandler::Outcome RequestHandler::handle(std::span<const std::uint8_t> frame, const std::string& peerAddress) {
    auto header = peekFrameHeader(frame);
    if (!header) return {{}, {}, "short frame"};
    try {
        switch (static_cast<MessageType>(header->type)) {
        case MessageType::VersionQuery: {
            VersionQuery query;
            if (!query.assign(frame) || !query.decode()) return {{}, {}, "version: malformed"};
            return version();
        }
        case MessageType::OpenAvatarRequest: return openAvatar(frame);
        case MessageType::SaveAvatarRequest: return saveAvatar(frame, peerAddress);
        default: return {{}, {}, "type " + std::to_string(header->type) + " refused"};
        }
    } catch (const std::exception& e) {
        // A storage failure: the client is told, nothing was acknowledged.
        if (header->type == static_cast<std::int32_t>(MessageType::SaveAvatarRequest))
            return saveResult(SaveAvatarReply::Failed, std::string("save failed: ") + e.what());
        AvatarReply reply;
        reply.result = AvatarReply::Failed;
        if (header->type == static_cast<std::int32_t>(MessageType::OpenAvatarRequest))
            return replyWith(reply, std::string("open failed: ") + e.what());
        return {{}, {}, std::string("failed: ") + e.what()};
    }
}

RequestHandler::Outcome RequestHandler::version() {
    VersionReply reply;
    reply.newestVersion = settings_.newestVersion;
    reply.updaterArguments = settings_.updaterArguments;
    reply.newsBase = settings_.newsBase;
    return replyWith(reply, "version " + std::to_string(settings_.newestVersion));
}

RequestHandler::Outcome RequestHandler::openAvatar(std::span<const std::uint8_t> frame) {
    OpenAvatarRequest request;
    if (!request.assign(frame) || !request.decode()) return {{}, {}, "open: malformed"};
    AvatarReply reply;
    auto stored = request.avatarId > 0 ? storage_.loadAvatar(request.avatarId) : std::nullopt;
    std::string summary = "open " + std::to_string(request.avatarId);
    if (!stored) {
        reply.result = AvatarReply::Failed;
        return replyWith(reply, summary + ": unknown");
    }
    if (stored->accessMode != 0) {
        reply.result = AvatarReply::Refused;
        return replyWith(reply, summary + ": restricted");
    }
    reply.result = AvatarReply::Found;
    reply.avatar = stored->avatar;
    return replyWith(reply, summary + ": found");
}

RequestHandler::Outcome RequestHandler::saveAvatar(std::span<const std::uint8_t> frame,
                                                   const std::string& peerAddress) {
    SaveAvatarRequest upload;
    if (!upload.assign(frame) || !upload.decode()) return {{}, {}, "save: malformed"};
    std::string who = text::utf8FromUtf16(upload.userName);
    bool guest = Accounts::isGuest(upload.userName);
    const auto now = std::chrono::steady_clock::now();

    // Refusals that cost nothing come before any hashing. The editor shows Refused as "could
    // not save this avatar for your account" with a way to the web site, which fits a limit
    // better than its wrong-password message.
    if (guest && upload.accessMode == 1)
        return saveResult(SaveAvatarReply::Refused,
                          "save by " + who + ": refused, an avatar only its owner sees needs an account");
    if (!uploads_.take(peerAddress, now))
        return saveResult(SaveAvatarReply::Refused,
                          "save by " + who + ": refused, too many uploads a minute from " + peerAddress);
    if (guest && !guestUploads_.take(peerAddress, now)) {
        uploads_.giveBack(peerAddress);
        return saveResult(SaveAvatarReply::Refused,
                          "save by " + who + ": refused, too many guest uploads an hour from " + peerAddress);
    }

    std::optional<SignInThrottle::Attempt> attempt;
    if (!guest) {
        attempt.emplace(
            throttle_.admit(SignInThrottle::Subject::account(Accounts::nameKey(upload.userName)), peerAddress, now));
        if (!attempt->admitted()) {
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(attempt->lockedFor()).count();
            return saveResult(
                SaveAvatarReply::SignInRejected,
                "save by " + who + ": rejected unchecked, " +
                    (seconds > 0 ? "locked out for " + std::to_string(seconds) + " s" : "too many attempts at once"));
        }
    }
    const auto wait = attempt ? attempt->wait() : std::chrono::steady_clock::duration::zero();
    auto account = accounts_.signIn(upload.userName, upload.passwordDigest);
    if (!account) {
        if (attempt) attempt->failed(std::chrono::steady_clock::now());
        Outcome outcome = saveResult(SaveAvatarReply::SignInRejected, "save by " + who + ": sign-in rejected");
        outcome.delay = wait;
        return outcome;
    }
    if (attempt) attempt->succeeded();

    std::string refusal = uploadRefusal(upload, catalogue_, guest);
    if (!refusal.empty()) {
        Outcome outcome = saveResult(SaveAvatarReply::Refused, "save by " + who + ": refused, " + refusal);
        outcome.delay = wait;
        return outcome;
    }

    StoredAvatar avatar;
    avatar.ownerId = account->id;
    avatar.avatar = storedLook(upload.avatar, catalogue_);
    avatar.title = upload.title;
    avatar.secondText = upload.secondText;
    avatar.thirdText = upload.thirdText;
    avatar.firstOption = upload.firstOption;
    avatar.secondOption = upload.secondOption;
    avatar.accessMode = upload.accessMode;
    avatar.language = upload.language;
    if (upload.accessMode == 2) avatar.accessHash = accounts_.hashDigest(upload.accessDigest);
    avatar.createdAt = static_cast<std::int64_t>(std::time(nullptr));
    std::int64_t number = storage_.storeAvatar(avatar);
    if (number <= 0 || number > INT32_MAX) return saveResult(SaveAvatarReply::Failed, "save: number out of range");

    SaveAvatarReply reply;
    reply.result = SaveAvatarReply::Saved;
    reply.avatarNumber = static_cast<std::int32_t>(number);
    reply.address = avatarAddress(settings_.publicBase, number);
    Outcome outcome = replyWith(reply, "save by " + who + ": stored " + std::to_string(number));
    outcome.delay = wait;
    outcome.storedAvatar = number;
    return outcome;
}

}  // namespace likenex
