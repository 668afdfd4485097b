#pragma once
// The persistent settings: the remembered sign-in in opt.dat in the program directory
// (84 bytes: a flag, the user name as 25 UTF-16 units, the password digest as 33 bytes) and
// the interface language in the registry as a short code. The file's layout and the codes
// are portable and tested natively; the file and registry access is in SettingsStore.

#include "catalogue/StringTable.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace likenex {

inline constexpr std::size_t kSettingsFileSize = 84;
inline constexpr std::size_t kUserNameUnits = 25;  // 24 units and the terminator
inline constexpr std::size_t kDigestBytes = 33;    // 32 hex digits and the terminator

struct Settings {
    std::uint8_t rememberLogin = 0;
    std::array<char16_t, kUserNameUnits> userName{};
    std::array<char, kDigestBytes> passwordDigest{};
    std::int32_t language = 0;

    // The user name up to its terminator (never past its field).
    [[nodiscard]] std::u16string userNameText() const;
    // Stores at most 24 units, terminated.
    void setUserName(std::u16string_view name);
    [[nodiscard]] std::string passwordDigestText() const;
    void setPasswordDigest(std::string_view digest);
};

// The 84 bytes of opt.dat.
[[nodiscard]] std::array<std::uint8_t, kSettingsFileSize> encodeSettingsFile(const Settings& settings);
// Fills the sign-in fields from the file's bytes. A file shorter than 84 bytes leaves them
// empty rather than half filled; a name or digest without its terminator is cut at its field.
void decodeSettingsFile(std::span<const std::uint8_t> bytes, Settings& settings);

// The registry code of a language index; any index out of range is "tw".
[[nodiscard]] const char* languageCode(std::int32_t index);
// The index the registry value's bytes name, compared with each code's terminator; `current`
// when none matches.
[[nodiscard]] std::int32_t languageFromRegistry(std::span<const std::uint8_t> value, std::int32_t current);

}  // namespace likenex
