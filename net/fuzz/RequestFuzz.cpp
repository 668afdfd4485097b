// Fuzzes the decoding of the three requests the server receives: any bytes, taken as one
// frame of each request type, decode or are refused without a fault, and what decodes
// encodes back to the same bytes.
#include "net/Messages.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

bool sameFields(const likenex::SaveAvatarRequest& a, const likenex::SaveAvatarRequest& b) {
    return a.userName == b.userName && a.passwordDigest == b.passwordDigest && a.avatar == b.avatar &&
           a.title == b.title && a.secondText == b.secondText && a.thirdText == b.thirdText &&
           a.firstOption == b.firstOption && a.secondOption == b.secondOption && a.accessMode == b.accessMode &&
           a.language == b.language && (a.accessMode != 2 || a.accessDigest == b.accessDigest);
}
bool sameFields(const likenex::VersionQuery&, const likenex::VersionQuery&) { return true; }
bool sameFields(const likenex::OpenAvatarRequest& a, const likenex::OpenAvatarRequest& b) {
    return a.avatarId == b.avatarId;
}

template <typename Message>
void tryDecode(std::vector<std::uint8_t> frame, std::int32_t type) {
    if (frame.size() < 6) return;
    frame[0] = static_cast<std::uint8_t>(frame.size());
    frame[1] = static_cast<std::uint8_t>(frame.size() >> 8);
    for (int i = 0; i < 4; ++i) frame[2 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(type >> (8 * i));
    Message message;
    if (!message.assign(frame) || !message.decode()) return;
    Message again = message;
    if (!again.encode()) return;
    Message back;
    check(back.assign(again.bytes()) && back.decode(), "an encoded request decodes");
    check(sameFields(message, back), "a request survives encode and decode");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > likenex::kMaxMessageLength) return 0;
    std::vector<std::uint8_t> frame(data, data + size);
    tryDecode<likenex::SaveAvatarRequest>(frame, 257);
    tryDecode<likenex::VersionQuery>(frame, 259);
    tryDecode<likenex::OpenAvatarRequest>(frame, 261);
    return 0;
}
