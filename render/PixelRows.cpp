#include "render/PixelRows.h"

#include <cstring>

namespace likenex {
namespace {

std::uint8_t widen5(unsigned v) { return static_cast<std::uint8_t>(v << 3 | v >> 2); }
std::uint8_t widen6(unsigned v) { return static_cast<std::uint8_t>(v << 2 | v >> 4); }

}  // namespace

void copyRowsReversed(const std::uint8_t* src, std::size_t rowBytes, int rows, std::uint8_t* dst,
                      std::size_t dstPitch) {
    for (int i = 0; i < rows; ++i)
        std::memcpy(dst + static_cast<std::size_t>(i) * dstPitch,
                    src + static_cast<std::size_t>(rows - 1 - i) * rowBytes, rowBytes);
}

void makeOpaque(std::span<std::uint8_t> bgra) {
    for (std::size_t i = 3; i < bgra.size(); i += 4) bgra[i] = 255;
}

std::vector<std::uint8_t> surfaceToBottomUpBgra(SurfaceFormat format, const std::uint8_t* topRow, std::size_t pitch,
                                                int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const auto w = static_cast<std::size_t>(width);
    std::vector<std::uint8_t> out(w * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = topRow + static_cast<std::size_t>(y) * pitch;
        std::uint8_t* dst = out.data() + static_cast<std::size_t>(height - 1 - y) * w * 4;
        for (std::size_t x = 0; x < w; ++x, dst += 4) {
            switch (format) {
            case SurfaceFormat::X8R8G8B8:
            case SurfaceFormat::A8R8G8B8: std::memcpy(dst, src + x * 4, 3); break;
            case SurfaceFormat::R5G6B5: {
                unsigned p = src[x * 2] | src[x * 2 + 1] << 8;
                dst[0] = widen5(p & 0x1F);
                dst[1] = widen6(p >> 5 & 0x3F);
                dst[2] = widen5(p >> 11 & 0x1F);
                break;
            }
            case SurfaceFormat::X1R5G5B5: {
                unsigned p = src[x * 2] | src[x * 2 + 1] << 8;
                dst[0] = widen5(p & 0x1F);
                dst[1] = widen5(p >> 5 & 0x1F);
                dst[2] = widen5(p >> 10 & 0x1F);
                break;
            }
            }
            dst[3] = 255;
        }
    }
    return out;
}

}  // namespace likenex
