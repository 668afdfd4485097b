#include "screens/win/SettingsStore.h"

#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"
#include "platform/win/Registry.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace likenex {
namespace {

constexpr std::size_t kRegistryValueCapacity = 20;

std::wstring settingsPath(const std::string& programDirectory, const wchar_t* name) {
    return systemCodePage().toWide(programDirectory) + L"\\" + name;
}

bool writeWholeFile(const std::wstring& path, const std::uint8_t* bytes, std::size_t size) {
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes, static_cast<DWORD>(size), &written, nullptr) && written == size &&
           FlushFileBuffers(file.get());
}

}  // namespace

void readSettings(const std::string& programDirectory, Settings& settings) {
    const std::wstring path = settingsPath(programDirectory, L"opt.dat");
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        std::vector<std::uint8_t> bytes(kSettingsFileSize);
        DWORD got = 0;
        if (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
            bytes.resize(got);
            decodeSettingsFile(bytes, settings);
        }
    } else if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        const auto bytes = encodeSettingsFile(settings);
        (void)writeWholeFile(path, bytes.data(), bytes.size());
    }
    if (auto value = readUserOrMachineValue(kSettingsKey, "language", kRegistryValueCapacity))
        settings.language = languageFromRegistry(*value, settings.language);
}

void writeSettings(const std::string& programDirectory, const Settings& settings) {
    const std::wstring path = settingsPath(programDirectory, L"opt.dat");
    const std::wstring temporary = settingsPath(programDirectory, L"opt.dat.new");
    const auto bytes = encodeSettingsFile(settings);
    if (writeWholeFile(temporary, bytes.data(), bytes.size())) {
        if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            DeleteFileW(temporary.c_str());
    } else {
        DeleteFileW(temporary.c_str());
    }
    (void)writeUserString(kSettingsKey, "language", languageCode(settings.language));
}

}  // namespace likenex
