#include "app/ProgramFiles.h"

#include "app/ProgramVersion.h"
#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace likenex {

namespace {

constexpr std::size_t kLoaderDirectoryLimit = 499;

void setString(HKEY key, const wchar_t* name, const std::wstring& value, bool empty) {
    const auto* data = reinterpret_cast<const BYTE*>(value.c_str());
    const DWORD bytes = empty ? 0 : static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key, name, 0, REG_SZ, empty ? nullptr : data, bytes);
}

// The user's own classes, which Windows merges into HKEY_CLASSES_ROOT for that user; a standard
// user cannot write the machine's.
constexpr const wchar_t* kUserClassesKey = L"Software\\Classes\\";

UniqueRegistryKey openOrCreate(const wchar_t* name) {
    const std::wstring path = std::wstring(kUserClassesKey) + name;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
        key = nullptr;
    return UniqueRegistryKey(key);
}

bool canOpen(const std::string& path) {
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return true;
    }
    return false;
}

// Puts a downloaded file in place in one step, so that no moment leaves the program without
// either file. Right after an update the updater that started us may still be ending and hold
// its files open: we wait a little for it; failing that, the next start tries again.
void replaceWhenFree(const std::string& from, const std::string& to) {
    constexpr int kAttempts = 30, kPauseMs = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return;
        Sleep(kPauseMs);
    }
}

}  // namespace

std::wstring executableDirectory() {
    // Paths may be longer than MAX_PATH: grow the buffer until the name fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const std::size_t slash = path.find_last_of(L'\\');
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
        }
        if (buffer.size() >= 65536) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string narrowProgramDirectory(const std::wstring& directory) {
    std::optional<std::string> narrow = systemCodePage().fromWideExact(directory);
    if (!narrow || narrow->size() > kLoaderDirectoryLimit) return {};
    return *narrow;
}

void registerUrlProtocol(const std::string& directory) {
    if (UniqueRegistryKey key = openOrCreate(L"Avatar")) {
        setString(key.get(), nullptr, L"URL: Avatar Protocol", false);
        setString(key.get(), L"URL Protocol", L"", true);
    }
    if (UniqueRegistryKey key = openOrCreate(L"Avatar\\shell\\open\\command"))
        setString(key.get(), nullptr, L"\"" + systemCodePage().toWide(directory) + L"\\Likenex.exe\" \"%1\"", false);
}

void cleanUpAfterUpdater(const std::string& directory) {
    for (const char* name : {"\\1.exe", "\\2.exe", "\\fullup.exe"}) DeleteFileA((directory + name).c_str());
    // And the incremental installer that brought this version.
    DeleteFileA((directory + "\\" + std::to_string(kProgramVersion) + ".exe").c_str());
    const struct {
        const char* downloaded;
        const char* installed;
    } swaps[] = {{"\\Update.up", "\\Update.exe"}, {"\\News.up", "\\News.dll"}};
    for (const auto& swap : swaps) {
        const std::string from = directory + swap.downloaded, to = directory + swap.installed;
        if (canOpen(from)) replaceWhenFree(from, to);
    }
}

}  // namespace likenex
