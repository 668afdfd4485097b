#pragma once
// Answers one framed request: decodes it, acts on storage, and encodes the reply. It runs on
// a worker thread (hashing and storage block); the network side only moves bytes. A frame
// that does not decode gets no reply at all: the client has nothing to show for it.

#include "catalogue/Catalogue.h"
#include "net/PasswordDigest.h"
#include "server/Accounts.h"
#include "server/AddressQuota.h"
#include "server/SignInThrottle.h"
#include "server/Storage.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace likenex {

struct ProtocolSettings {
    std::int32_t newestVersion = 2;
    std::string updaterArguments;
    std::string newsBase;
    std::string publicBase;  // avatar addresses start with it
    CodePageConversion toCodePage;
};

// Uploads allowed from one client address, checked before any password is hashed; 0 means
// no limit.
struct UploadLimits {
    int guestUploadsPerHour = 0;
    int uploadsPerMinute = 0;  // accounts and guests together
};

class RequestHandler {
public:
    struct Outcome {
        std::vector<std::uint8_t> reply;              // empty: close without a reply
        std::chrono::steady_clock::duration delay{};  // hold the reply this long
        std::string summary;                          // for the request's log line
        std::int64_t storedAvatar = 0;                // the number of an avatar this request stored
    };

    RequestHandler(Storage& storage, Accounts& accounts, SignInThrottle& throttle, const Catalogue& catalogue,
                   ProtocolSettings settings, UploadLimits limits);

    [[nodiscard]] Outcome handle(std::span<const std::uint8_t> frame, const std::string& peerAddress);

    // The avatar's page on the web side; also what the save reply carries.
    [[nodiscard]] static std::string avatarAddress(const std::string& publicBase, std::int64_t number);

private:
    Outcome version();
    Outcome openAvatar(std::span<const std::uint8_t> frame);
    Outcome saveAvatar(std::span<const std::uint8_t> frame, const std::string& peerAddress);

    Storage& storage_;
    Accounts& accounts_;
    SignInThrottle& throttle_;
    const Catalogue& catalogue_;
    ProtocolSettings settings_;
    AddressQuota uploads_;
    AddressQuota guestUploads_;
};

}  // namespace likenex
