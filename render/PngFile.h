#pragma once
// PNG files of 8-bit RGBA pictures, still or animated (APNG: every frame the whole picture,
// replacing the one before, looping forever), compressed with zlib. A viewer without APNG
// support shows the first frame, which is the file's ordinary image.

#include <cstdint>
#include <vector>

#include "render/RgbaPicture.h"

namespace likenex {

// The whole file of one picture; empty when its size does not match its bytes, is zero, or
// the picture is too large for the format.
[[nodiscard]] std::vector<std::uint8_t> encodePng(const RgbaPicture& picture);

// The frame delay as fcTL's numerator and denominator: milliseconds when they fit in 16 bits,
// else the coarsest unit that keeps them, up to 65535 s.
struct PngDelay {
    std::uint16_t numerator = 0;
    std::uint16_t denominator = 1000;
};
[[nodiscard]] PngDelay pngDelayOf(std::uint32_t milliseconds);

// Builds an animated PNG frame by frame; each frame is compressed as it comes, so only the
// compressed frames are kept.
class AnimatedPngWriter {
public:
    // The frame count goes into the file's header: exactly that many frames must be added.
    AnimatedPngWriter(std::int32_t width, std::int32_t height, std::uint32_t frameCount);

    // False (and the writer failed for good) when the frame's size differs, more frames come
    // than announced, or compression fails.
    [[nodiscard]] bool addFrame(const RgbaPicture& frame, std::uint32_t delayMs);
    // The whole file; empty when a frame failed or fewer frames came than announced.
    [[nodiscard]] std::vector<std::uint8_t> finish();

private:
    std::int32_t width_;
    std::int32_t height_;
    std::uint32_t frameCount_;
    std::uint32_t added_ = 0;
    std::uint32_t sequence_ = 0;  // fcTL and fdAT share one running number
    bool failed_ = false;
    std::vector<std::uint8_t> file_;
};

}  // namespace likenex
