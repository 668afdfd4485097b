// Fuzzes the reading of avatar codes: any text is read or refused without a fault, and a code
// that reads makes the same text again (one avatar, one code).
#include "net/AvatarCode.h"
#include "test_support/FuzzCheck.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const likenex::Catalogue catalogue;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const likenex::DecodedAvatarCode decoded = likenex::decodeAvatarCode(text, catalogue);
    if (decoded.refusal != likenex::CodeRefusal::none) return 0;
    const likenex::AvatarCodeResult again = likenex::encodeAvatarCode(decoded.avatar);
    likenex::fuzzing::check(again.refusal == likenex::CodeRefusal::none, "a code that reads can be made again");
    std::string_view trimmed = text;
    while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t' || trimmed.front() == '\r' || trimmed.front() == '\n'))
        trimmed.remove_prefix(1);
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t' || trimmed.back() == '\r' || trimmed.back() == '\n'))
        trimmed.remove_suffix(1);
    likenex::fuzzing::check(again.code == trimmed, "a code reads back to the same text");
    return 0;
}
