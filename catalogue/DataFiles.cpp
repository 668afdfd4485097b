#include "catalogue/DataFiles.h"

#include <cstdio>

namespace likenex {

std::string dataFilePath(std::string_view programDirectory, std::string_view relative) {
    if (programDirectory.empty() || programDirectory.size() > kMaxProgramDirectoryLength) return {};
#ifdef _WIN32
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    std::string path(programDirectory);
    path += kSeparator;
    for (char c : relative) path += c == '/' ? kSeparator : c;
    return path;
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    return bytes;
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    // An empty vector's data() may be null, which fwrite must not be given even for no bytes.
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace likenex
