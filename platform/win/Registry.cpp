#include "platform/win/Registry.h"

#include "platform/win/Handles.h"

#include <string>

namespace likenex {

std::optional<std::vector<std::uint8_t>> readRegistryValue(HKEY root, const char* subkey, const char* name,
                                                           std::size_t capacity) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
    const UniqueRegistryKey key(opened);
    std::vector<std::uint8_t> bytes(capacity);
    DWORD size = static_cast<DWORD>(capacity);
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    bytes.resize(std::min<std::size_t>(size, capacity));
    return bytes;
}

bool writeRegistryString(HKEY root, const char* subkey, const char* name, std::string_view value) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_WRITE, &opened) != ERROR_SUCCESS &&
        RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const UniqueRegistryKey key(opened);
    const std::string terminated(value);
    return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(terminated.c_str()),
                          static_cast<DWORD>(terminated.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace likenex
