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

namespace {

// The key opened for writing, created when it is not there.
UniqueRegistryKey openForWriting(HKEY root, const char* subkey) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_WRITE, &opened) != ERROR_SUCCESS &&
        RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return UniqueRegistryKey();
    return UniqueRegistryKey(opened);
}

}  // namespace

bool writeRegistryString(HKEY root, const char* subkey, const char* name, std::string_view value) {
    const UniqueRegistryKey key = openForWriting(root, subkey);
    if (!key) return false;
    // Stored with its terminator, so that no reader runs past the value.
    const std::string terminated(value);
    return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(terminated.c_str()),
                          static_cast<DWORD>(terminated.size() + 1)) == ERROR_SUCCESS;
}

bool writeRegistryDword(HKEY root, const char* subkey, const char* name, std::uint32_t value) {
    const UniqueRegistryKey key = openForWriting(root, subkey);
    if (!key) return false;
    const DWORD stored = value;
    return RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored), sizeof stored) ==
           ERROR_SUCCESS;
}

}  // namespace likenex
