#pragma once
// Reading and writing one registry value, with the key held only for the call.
//
// The programs keep their values per user: a standard user cannot write HKEY_LOCAL_MACHINE,
// and a 64-bit program's writes there are not redirected anywhere, they fail. Values an older
// install left under HKEY_LOCAL_MACHINE are still read while the user has no copy of their own.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace likenex {

// The value's bytes as stored (at most `capacity`); empty when the key or value is missing
// or larger than that.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> readRegistryValue(HKEY root, const char* subkey,
                                                                         const char* name, std::size_t capacity);
// Stores an 8-bit REG_SZ, its terminator counted; creates the key when it is missing.
bool writeRegistryString(HKEY root, const char* subkey, const char* name, std::string_view value);
bool writeRegistryDword(HKEY root, const char* subkey, const char* name, std::uint32_t value);

// The value under HKEY_CURRENT_USER, or under HKEY_LOCAL_MACHINE when the user has no such
// value (or no such key). A user's value that cannot be read (larger than `capacity`) is not
// replaced by the machine's: it is the newer one, and the result is empty as for one key alone.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> readUserOrMachineValue(const char* subkey, const char* name,
                                                                              std::size_t capacity);
// Writes under HKEY_CURRENT_USER, as writeRegistryString and writeRegistryDword do.
[[nodiscard]] bool writeUserString(const char* subkey, const char* name, std::string_view value);
[[nodiscard]] bool writeUserDword(const char* subkey, const char* name, std::uint32_t value);

}  // namespace likenex
