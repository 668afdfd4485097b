#include "update/win/ProgramFolder.h"

#include "base/Constants.h"
#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"
#include "platform/win/Registry.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace likenex::update {
namespace {

constexpr std::size_t kNewsAddressBytes = 500;
constexpr std::size_t kNewsValueLimit = 65536;  // read whole up to this, then cut to the address size
constexpr std::size_t kArgumentBytes = 512;

std::optional<std::uint32_t> readDword(const char* name) {
    const auto bytes = readUserOrMachineValue(kVersionKey, name, 4);
    if (!bytes || bytes->size() != 4) return std::nullopt;
    const auto& b = *bytes;
    return static_cast<std::uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

struct LocalFreeTraits {
    using Type = LPWSTR*;
    static Type invalid() { return nullptr; }
    static void close(Type p) { LocalFree(p); }
};

}  // namespace

std::wstring programFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L".";
        if (length < path.size()) {
            std::wstring full(path.data(), length);
            const std::size_t slash = full.find_last_of(L"\\/");
            return slash == std::wstring::npos ? L"." : full.substr(0, slash);
        }
        path.resize(path.size() * 2);  // cut at the buffer's end: try a larger one
    }
}

std::optional<VersionValues> readVersionValues() {
    const std::optional<std::uint32_t> installed = readDword("ver");
    const std::optional<std::uint32_t> newest = readDword("newver");
    const auto news = readUserOrMachineValue(kVersionKey, "news", kNewsValueLimit);
    if (!installed || !newest || !news) return std::nullopt;
    VersionValues values{*installed, *newest, std::string(news->begin(), news->end())};
    // The editor stores the text without its terminator; one stored with it ends at the first.
    // ... and an address longer than the 500 bytes of its buffer is cut there.
    values.newsAddress.resize(std::min({values.newsAddress.find('\0'), values.newsAddress.size(), kNewsAddressBytes}));
    return values;
}

std::optional<std::string> firstArgument() {
    int count = 0;
    const UniqueResource<LocalFreeTraits> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!arguments || count < 2) return std::nullopt;
    std::optional<std::string> narrow = systemCodePage().fromWideExact(arguments.get()[1]);
    if (!narrow || narrow->empty()) return std::nullopt;
    if (narrow->size() > kArgumentBytes) narrow->resize(kArgumentBytes);
    return narrow;
}

bool writeWholeFile(const std::wstring& path, const void* bytes, std::size_t size) {
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const auto* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), next, chunk, &written, nullptr) || written == 0) return false;
        next += written;
        size -= written;
    }
    return true;
}

}  // namespace likenex::update
