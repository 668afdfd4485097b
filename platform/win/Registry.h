#pragma once
// Reading and writing one registry value, with the key held only for the call.

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

}  // namespace likenex
