#pragma once
// Where Update.exe runs from, and what it reads at start: the folder of its own executable
// (downloads, installers, the news page and Likenex.exe all live there), the version values
// the editor left in the registry, and the download base from its command line.

#include <cstdint>
#include <optional>
#include <string>

namespace likenex::update {

// The folder of the running executable, without a trailing backslash.
[[nodiscard]] std::wstring programFolder();

struct VersionValues {
    std::uint32_t installed = 0;  // `ver`
    std::uint32_t newest = 0;     // `newver`
    std::string newsAddress;      // `news`, 8-bit, at most 500 bytes
};
// Each value from the user's registry, or the machine's when the user has none of that name
// (platform/win/Registry.h). Empty when any of the three is missing or malformed.
[[nodiscard]] std::optional<VersionValues> readVersionValues();

// The first command-line argument in the system code page, at most 512 bytes; empty when
// there is none or it cannot be spelled there.
[[nodiscard]] std::optional<std::string> firstArgument();

// Writes the file whole; false when it cannot be created or written.
[[nodiscard]] bool writeWholeFile(const std::wstring& path, const void* bytes, std::size_t size);

}  // namespace likenex::update
