#include "test_support/ArchiveTestSupport.h"

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#endif

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

namespace {

// Clears the write bits of the folder and everything in it.
void clearWriteBits(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        fs::permissions(entry.path(), write, fs::perm_options::remove);
    fs::permissions(folder, write, fs::perm_options::remove);
}

}  // namespace

#ifdef _WIN32

ReadOnlyFolder::ReadOnlyFolder(const std::string& path) : path_(path) { clearWriteBits(path_); }
ReadOnlyFolder::~ReadOnlyFolder() = default;

#else

namespace {

std::string errorText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Once per process: the test's own mount namespace, so that nothing mounted here is seen
// outside it (and nothing is left behind when the process ends).
const std::string& privateMountNamespace() {
    static const std::string failure = [] {
        if (::unshare(CLONE_NEWNS) != 0) return errorText("unshare(CLONE_NEWNS)");
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return errorText("mount private /");
        return std::string();
    }();
    return failure;
}

}  // namespace

ReadOnlyFolder::ReadOnlyFolder(const std::string& path) : path_(path) {
    clearWriteBits(path_);
    if (::geteuid() == 0) {
        failure_ = privateMountNamespace();
        if (failure_.empty()) {
            if (::mount(path_.c_str(), path_.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
                failure_ = errorText("bind mount");
            } else {
                mounted_ = true;
                if (::mount(nullptr, path_.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
                    failure_ = errorText("read-only remount");
            }
        }
    }
    if (!failure_.empty()) return;
    // The proof: no file of the folder opens for writing.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
        if (!entry.is_regular_file()) continue;
        const int fd = ::open(entry.path().c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            failure_ = entry.path().string() + " still opens for writing";
            return;
        }
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (mounted_) (void)::umount2(path_.c_str(), MNT_DETACH);
}

#endif

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
