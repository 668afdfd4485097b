#include "platform/win/Registry.h"

#include "platform/win/Handles.h"

#include <algorithm>
#include <string>
#include <utility>

namespace likenex {

namespace {

// One value looked up under one root; `missing` when the key or the value is not there, which
// is what lets a reader go on to another root.
struct Lookup {
    bool missing = false;
    std::optional<std::vector<std::uint8_t>> bytes;
};

Lookup lookUp(HKEY root, const char* subkey, const char* name, std::size_t capacity) {
    HKEY opened = nullptr;
    const LSTATUS open = RegOpenKeyExA(root, subkey, 0, KEY_READ, &opened);
    if (open != ERROR_SUCCESS) return {open == ERROR_FILE_NOT_FOUND, std::nullopt};
    const UniqueRegistryKey key(opened);
    std::vector<std::uint8_t> bytes(capacity);
    DWORD size = static_cast<DWORD>(capacity);
    DWORD type = 0;
    const LSTATUS query = RegQueryValueExA(key.get(), name, nullptr, &type, bytes.data(), &size);
    if (query != ERROR_SUCCESS) return {query == ERROR_FILE_NOT_FOUND, std::nullopt};
    bytes.resize(std::min<std::size_t>(size, capacity));
    return {false, std::move(bytes)};
}

// The key opened for writing, created when it is not there.
UniqueRegistryKey openForWriting(HKEY root, const char* subkey) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_WRITE, &opened) != ERROR_SUCCESS &&
        RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return UniqueRegistryKey();
    return UniqueRegistryKey(opened);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readRegistryValue(HKEY root, const char* subkey, const char* name,
                                                           std::size_t capacity) {
    return lookUp(root, subkey, name, capacity).bytes;
}

std::optional<std::vector<std::uint8_t>> readUserOrMachineValue(const char* subkey, const char* name,
                                                                std::size_t capacity) {
    Lookup user = lookUp(HKEY_CURRENT_USER, subkey, name, capacity);
    if (!user.missing) return std::move(user.bytes);
    return lookUp(HKEY_LOCAL_MACHINE, subkey, name, capacity).bytes;
}

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

bool writeUserString(const char* subkey, const char* name, std::string_view value) {
    return writeRegistryString(HKEY_CURRENT_USER, subkey, name, value);
}

bool writeUserDword(const char* subkey, const char* name, std::uint32_t value) {
    return writeRegistryDword(HKEY_CURRENT_USER, subkey, name, value);
}

}  // namespace likenex
