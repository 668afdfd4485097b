#pragma once
// Bounded little-endian reading and writing of the data files, and big-endian writing for
// PNG. A reader never trusts a length, count or offset from a file: every read checks what is
// left, and a failed read leaves the reader failed for good, so that a loader can read a whole
// record and test once.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] std::size_t position() const { return position_; }
    [[nodiscard]] std::size_t remaining() const { return ok_ ? bytes_.size() - position_ : 0; }
    [[nodiscard]] std::size_t size() const { return bytes_.size(); }

    // Moves to an absolute offset; fails (and stays failed) past the end.
    bool seek(std::uint64_t offset) {
        if (!ok_ || offset > bytes_.size()) return fail();
        position_ = static_cast<std::size_t>(offset);
        return true;
    }
    bool skip(std::uint64_t count) { return seek(static_cast<std::uint64_t>(position_) + count); }

    // Each returns 0 once the reader has failed.
    std::uint8_t u8() { return static_cast<std::uint8_t>(read<1>()); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(read<2>()); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(read<4>()); }
    std::uint64_t u64() { return read<8>(); }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::int64_t i64() { return static_cast<std::int64_t>(u64()); }

    // A view of the next `count` bytes, empty (and the reader failed) when fewer are left.
    std::span<const std::uint8_t> bytes(std::uint64_t count) {
        if (!ok_ || count > remaining()) {
            fail();
            return {};
        }
        auto view = bytes_.subspan(position_, static_cast<std::size_t>(count));
        position_ += static_cast<std::size_t>(count);
        return view;
    }

private:
    template <int N>
    std::uint64_t read() {
        if (!ok_ || remaining() < N) {
            fail();
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = N - 1; i >= 0; --i) value = value << 8 | bytes_[position_ + static_cast<std::size_t>(i)];
        position_ += N;
        return value;
    }
    bool fail() {
        ok_ = false;
        return false;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

class ByteWriter {
public:
    void reserve(std::size_t count) { bytes_.reserve(count); }
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void i64(std::int64_t v) { u64(static_cast<std::uint64_t>(v)); }
    // PNG stores its numbers big-endian.
    void u16BigEndian(std::uint16_t v) { putBigEndian(v, 2); }
    void u32BigEndian(std::uint32_t v) { putBigEndian(v, 4); }
    void append(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    // Overwrites 4 bytes already written (an offset known only later).
    void patchU32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
    }

    [[nodiscard]] std::size_t size() const { return bytes_.size(); }
    [[nodiscard]] const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    [[nodiscard]] std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    void put(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void putBigEndian(std::uint64_t v, int n) {
        for (int i = n - 1; i >= 0; --i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> bytes_;
};

}  // namespace likenex
