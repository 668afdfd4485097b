#pragma once
// MD5 (RFC 1321). Used only where the protocol asks for it (password digests), never as a
// protection of its own.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace likenex {

class Md5 {
public:
    Md5();
    void update(std::span<const std::uint8_t> bytes);
    void update(std::string_view text) { update({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}); }
    // Ends the computation; the object must not be updated afterwards.
    [[nodiscard]] std::array<std::uint8_t, 16> finish();

private:
    void transform(const std::uint8_t* block);

    std::array<std::uint32_t, 4> state_;
    std::uint64_t totalBytes_ = 0;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingSize_ = 0;
};

// The digest as 32 lower-case hexadecimal digits, two per byte in order.
[[nodiscard]] std::string md5Hex(std::span<const std::uint8_t> bytes);
[[nodiscard]] inline std::string md5Hex(std::string_view text) {
    return md5Hex({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace likenex
