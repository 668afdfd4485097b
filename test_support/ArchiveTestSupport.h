#pragma once
// Temporary program directories and hand-made file bytes for the archive tests.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace likenex::testing {

// A fresh folder, removed with everything in it when the object goes.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    [[nodiscard]] const std::string& path() const { return path_; }
    // Writes a file at a path relative to the folder ('/' separated), making its folders.
    void write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const;
    [[nodiscard]] std::string file(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Makes a folder and everything in it unwritable for as long as the object lives, root
// included: the write bits go, and on Linux as root (which ignores them) the folder is also
// mounted read-only over itself in a private mount namespace of the test process. A test of
// a read-only install then fails if the code under test asks for write access. Windows keeps
// only the cleared write bits.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // Empty when opening a file of the folder for writing is refused (checked on Linux);
    // otherwise what went wrong.
    [[nodiscard]] const std::string& failure() const { return failure_; }

private:
    std::string path_;
    bool mounted_ = false;
    std::string failure_;
};

// Little-endian building blocks for hostile files.
struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& u32(std::uint32_t v);
    Bytes& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Bytes& u64(std::uint64_t v);
    Bytes& i64(std::int64_t v) { return u64(static_cast<std::uint64_t>(v)); }
    Bytes& pixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red, std::uint8_t alpha);
    Bytes& append(const std::vector<std::uint8_t>& more);
};

// A BGRA pixel as four bytes, for comparisons.
std::vector<std::uint8_t> bgra(std::uint8_t blue, std::uint8_t green, std::uint8_t red, std::uint8_t alpha);

}  // namespace likenex::testing
