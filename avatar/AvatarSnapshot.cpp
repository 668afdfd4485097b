#include "avatar/AvatarSnapshot.h"

#include <algorithm>

namespace likenex {

void AvatarSnapshot::blendInto(const std::uint8_t* source, int column, int row, int width, int height) {
    if (!source || width <= 0 || height <= 0) return;
    if (pixels_.size() != kSnapshotBytes) pixels_.assign(kSnapshotBytes, 255);
    // Only the part inside the buffer is touched: nothing wraps to the next row. The bounds
    // are taken in 64 bits so that no position overflows them.
    const std::int64_t r = row, c = column;
    const std::int64_t i0 = std::max<std::int64_t>(0, -r), i1 = std::min<std::int64_t>(height, kSnapshotSize - r);
    const std::int64_t j0 = std::max<std::int64_t>(0, -c), j1 = std::min<std::int64_t>(width, kSnapshotSize - c);
    for (std::int64_t i = i0; i < i1; ++i) {
        for (std::int64_t j = j0; j < j1; ++j) {
            const std::uint8_t* s = source + static_cast<std::size_t>(i * width + j) * 4;
            std::uint8_t* t = &pixels_[static_cast<std::size_t>((r + i) * kSnapshotSize + c + j) * 4];
            const int d = t[3];
            if (d == 0) {
                std::copy_n(s, 4, t);
                continue;
            }
            const int a = s[3];
            for (int k = 0; k < 3; ++k) t[k] = static_cast<std::uint8_t>((s[k] * a + t[k] * (255 - a)) / 255);
            t[3] = static_cast<std::uint8_t>((d * (255 - a) + a * a) / 255);
        }
    }
}

}  // namespace likenex
