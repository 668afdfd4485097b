#include "test_support/ArchiveTestSupport.h"

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace likenex::testing {

TempDirectory::TempDirectory() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path();
    auto dir = base / ("likenex-archive-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path_ = dir.string();
}

TempDirectory::~TempDirectory() {
    std::error_code error;
    // Tests may leave read-only folders behind; make them writable again to remove them.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     error);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

void TempDirectory::write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const {
    std::filesystem::path target = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + target.string());
}

Bytes& Bytes::u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
}

Bytes& Bytes::u64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
}

Bytes& Bytes::pixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red, std::uint8_t alpha) {
    data.insert(data.end(), {blue, green, red, alpha});
    return *this;
}

Bytes& Bytes::append(const std::vector<std::uint8_t>& more) {
    data.insert(data.end(), more.begin(), more.end());
    return *this;
}

std::vector<std::uint8_t> bgra(std::uint8_t blue, std::uint8_t green, std::uint8_t red, std::uint8_t alpha) {
    return {blue, green, red, alpha};
}

}  // namespace likenex::testing
