#pragma once
// The 256 by 256 snapshot picture (BGRA, row 0 the bottom row) and the CPU blend that draws
// into it.

#include <cstdint>
#include <vector>

namespace likenex {

inline constexpr int kSnapshotSize = 256;
inline constexpr std::size_t kSnapshotBytes = std::size_t{kSnapshotSize} * kSnapshotSize * 4;

class AvatarSnapshot {
public:
    // Every pixel set to `background` in all four bytes.
    void fill(std::uint8_t background) { pixels_.assign(kSnapshotBytes, background); }
    // Blends a source picture (first row placed at `row`) in, clipped to the picture; an
    // empty snapshot is filled white first.
    void blendInto(const std::uint8_t* source, int column, int row, int width, int height);
    // Trades the pixels for `other`'s, so that a picture can be drawn here and taken away.
    void swap(std::vector<std::uint8_t>& other) { pixels_.swap(other); }
    [[nodiscard]] const std::vector<std::uint8_t>& pixels() const { return pixels_; }
    [[nodiscard]] const std::uint8_t* data() const { return pixels_.data(); }

private:
    std::vector<std::uint8_t> pixels_;
};

}  // namespace likenex
