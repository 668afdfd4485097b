#include "screens/Settings.h"

#include <algorithm>
#include <cstring>

namespace likenex {
namespace {

constexpr std::array<const char*, kLanguageCount> kCodes = {"tw", "cn", "en", "jp", "french"};

}  // namespace

std::u16string Settings::userNameText() const {
    const auto end = std::find(userName.begin(), userName.end(), u'\0');
    return std::u16string(userName.begin(), end);
}

void Settings::setUserName(std::u16string_view name) {
    userName.fill(u'\0');
    std::copy_n(name.begin(), std::min(name.size(), kUserNameUnits - 1), userName.begin());
}

std::string Settings::passwordDigestText() const {
    const auto end = std::find(passwordDigest.begin(), passwordDigest.end(), '\0');
    return std::string(passwordDigest.begin(), end);
}

void Settings::setPasswordDigest(std::string_view digest) {
    passwordDigest.fill('\0');
    std::copy_n(digest.begin(), std::min(digest.size(), kDigestBytes - 1), passwordDigest.begin());
}

std::array<std::uint8_t, kSettingsFileSize> encodeSettingsFile(const Settings& settings) {
    std::array<std::uint8_t, kSettingsFileSize> bytes{};
    bytes[0] = settings.rememberLogin;
    for (std::size_t i = 0; i < kUserNameUnits; ++i) {
        bytes[1 + 2 * i] = static_cast<std::uint8_t>(settings.userName[i] & 0xFF);
        bytes[2 + 2 * i] = static_cast<std::uint8_t>(settings.userName[i] >> 8);
    }
    std::memcpy(&bytes[51], settings.passwordDigest.data(), kDigestBytes);
    return bytes;
}

void decodeSettingsFile(std::span<const std::uint8_t> bytes, Settings& settings) {
    settings.rememberLogin = 0;
    settings.userName.fill(u'\0');
    settings.passwordDigest.fill('\0');
    if (bytes.size() < kSettingsFileSize) return;
    settings.rememberLogin = bytes[0];
    for (std::size_t i = 0; i < kUserNameUnits; ++i)
        settings.userName[i] = static_cast<char16_t>(bytes[1 + 2 * i] | (bytes[2 + 2 * i] << 8));
    std::memcpy(settings.passwordDigest.data(), &bytes[51], kDigestBytes);
    settings.userName.back() = u'\0';
    settings.passwordDigest.back() = '\0';
}

const char* languageCode(std::int32_t index) {
    return index >= 0 && index < kLanguageCount ? kCodes[static_cast<std::size_t>(index)] : kCodes[0];
}

std::int32_t languageFromRegistry(std::span<const std::uint8_t> value, std::int32_t current) {
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
        const std::size_t length = std::strlen(kCodes[i]) + 1;  // with the terminator
        if (value.size() >= length && std::memcmp(value.data(), kCodes[i], length) == 0)
            return static_cast<std::int32_t>(i);
    }
    return current;
}

}  // namespace likenex
