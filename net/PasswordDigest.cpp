#include "net/PasswordDigest.h"

#include "net/Md5.h"

namespace likenex {

std::string typedPasswordDigest(std::u16string_view password, const CodePageConversion& toCodePage) {
    return md5Hex(toCodePage(password));
}

std::string legacyPasswordDigest(std::u16string_view password, const CodePageConversion& toCodePage) {
    std::string bytes = toCodePage(password);
    if (password.size() <= kLongestDigestedPassword) return md5Hex(bytes);
    if (bytes.size() > 32) bytes.resize(32);
    return bytes;
}

}  // namespace likenex
