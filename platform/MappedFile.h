#pragma once
// A whole file mapped read-only into memory. The archives read their pictures straight from
// such a view for the life of the process; nothing is ever written through it, so read-only
// install folders work.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace likenex {

class MappedFile {
public:
    MappedFile();
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the whole existing file; replaces any mapping held before. An empty file fails, as
    // Windows refuses to map one: an empty archive is a broken install, not an empty view.
    // The path is 8-bit, in the system code page on Windows.
    [[nodiscard]] bool open(const std::string& path);
    void close();

    [[nodiscard]] bool isOpen() const;
    [[nodiscard]] std::span<const std::uint8_t> bytes() const;

private:
    struct Mapping;  // the platform's handles and view
    std::unique_ptr<Mapping> mapping_;
};

}  // namespace likenex
