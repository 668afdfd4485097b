#pragma once
// Where the data files are, and whole-file reading and writing for loaders and writers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

// The loaders keep the program directory in 500-byte buffers; a longer one is refused.
inline constexpr std::size_t kMaxProgramDirectoryLength = 499;

// The program directory joined with a path relative to it, written with '/' (for example
// "data/avatar.inx"); the separators become the platform's own. Empty when the directory is
// empty or too long for the loaders.
[[nodiscard]] std::string dataFilePath(std::string_view programDirectory, std::string_view relative);

// The whole file, or nothing when it cannot be opened or read.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path);

// Writes the whole file, creating or replacing it; false on any failure.
[[nodiscard]] bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace likenex
