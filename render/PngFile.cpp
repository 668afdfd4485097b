#include "render/PngFile.h"

#include "base/ByteIo.h"

#include <zlib.h>

#include <array>
#include <cstdlib>

namespace likenex {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};
// Filtered rows larger than this are refused: zlib counts in uLong, which is 32 bits on
// Windows, and no picture of ours comes near it.
constexpr std::uint64_t kMostFilteredBytes = std::uint64_t{1} << 28;

// Length, type, data and the CRC over type and data.
void putChunk(std::vector<std::uint8_t>& out, const char (&type)[5], std::span<const std::uint8_t> data) {
    ByteWriter chunk;
    chunk.reserve(12 + data.size());
    chunk.u32BigEndian(static_cast<std::uint32_t>(data.size()));
    for (int i = 0; i < 4; ++i) chunk.u8(static_cast<std::uint8_t>(type[i]));
    chunk.append(data);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, chunk.bytes().data() + 4, static_cast<uInt>(chunk.size() - 4));
    chunk.u32BigEndian(static_cast<std::uint32_t>(crc));
    out.insert(out.end(), chunk.bytes().begin(), chunk.bytes().end());
}

bool sizeFits(std::int32_t width, std::int32_t height, std::size_t bytes) {
    if (width <= 0 || height <= 0) return false;
    const std::uint64_t w = static_cast<std::uint64_t>(width), h = static_cast<std::uint64_t>(height);
    return 4 * w * h == bytes && (4 * w + 1) * h <= kMostFilteredBytes;
}

std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// The rows with a filter byte each: per row the filter whose output has the smallest sum of
// magnitudes, the usual choice for true-colour pictures.
std::vector<std::uint8_t> filteredRows(const RgbaPicture& picture) {
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 4;
    std::vector<std::uint8_t> out;
    out.reserve((stride + 1) * static_cast<std::size_t>(picture.height));
    std::vector<std::uint8_t> candidate(stride), best(stride);
    const std::vector<std::uint8_t> zeros(stride, 0);
    for (std::int32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = picture.rgba.data() + static_cast<std::size_t>(y) * stride;
        const std::uint8_t* up = y > 0 ? row - stride : zeros.data();
        std::uint64_t bestSum = ~std::uint64_t{0};
        std::uint8_t bestType = 0;
        for (std::uint8_t type = 0; type < 5; ++type) {
            std::uint64_t sum = 0;
            for (std::size_t i = 0; i < stride; ++i) {
                const int a = i >= 4 ? row[i - 4] : 0, b = up[i], c = i >= 4 ? up[i - 4] : 0;
                int predicted = 0;
                switch (type) {
                case 1: predicted = a; break;
                case 2: predicted = b; break;
                case 3: predicted = (a + b) / 2; break;
                case 4: predicted = paeth(a, b, c); break;
                default: break;
                }
                candidate[i] = static_cast<std::uint8_t>(row[i] - predicted);
                sum += candidate[i] < 128 ? candidate[i] : 256 - candidate[i];
            }
            if (sum < bestSum) {
                bestSum = sum;
                bestType = type;
                best.swap(candidate);
            }
        }
        out.push_back(bestType);
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

// The zlib stream of the filtered rows; empty on failure.
std::vector<std::uint8_t> compressedRows(const RgbaPicture& picture) {
    const std::vector<std::uint8_t> raw = filteredRows(picture);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) return {};
    out.resize(size);
    return out;
}

void putHeader(std::vector<std::uint8_t>& file, std::int32_t width, std::int32_t height) {
    file.insert(file.end(), kSignature.begin(), kSignature.end());
    ByteWriter header;
    header.u32BigEndian(static_cast<std::uint32_t>(width));
    header.u32BigEndian(static_cast<std::uint32_t>(height));
    header.append(std::array<std::uint8_t, 5>{8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    putChunk(file, "IHDR", header.bytes());
}

}  // namespace

std::vector<std::uint8_t> encodePng(const RgbaPicture& picture) {
    if (!sizeFits(picture.width, picture.height, picture.rgba.size())) return {};
    std::vector<std::uint8_t> data = compressedRows(picture);
    if (data.empty()) return {};
    std::vector<std::uint8_t> file;
    putHeader(file, picture.width, picture.height);
    putChunk(file, "IDAT", data);
    putChunk(file, "IEND", {});
    return file;
}

PngDelay pngDelayOf(std::uint32_t milliseconds) {
    for (std::uint32_t unit : {1u, 10u, 100u, 1000u})
        if (milliseconds / unit <= 0xFFFF)
            return {static_cast<std::uint16_t>(milliseconds / unit), static_cast<std::uint16_t>(1000 / unit)};
    return {0xFFFF, 1};
}

AnimatedPngWriter::AnimatedPngWriter(std::int32_t width, std::int32_t height, std::uint32_t frameCount)
    : width_(width), height_(height), frameCount_(frameCount) {
    if (frameCount == 0 || !sizeFits(width, height, 4 * static_cast<std::size_t>(width) * height)) {
        failed_ = true;
        return;
    }
    putHeader(file_, width, height);
    ByteWriter control;
    control.u32BigEndian(frameCount);
    control.u32BigEndian(0);  // plays: 0 loops forever
    putChunk(file_, "acTL", control.bytes());
}

bool AnimatedPngWriter::addFrame(const RgbaPicture& frame, std::uint32_t delayMs) {
    if (failed_) return false;
    if (added_ == frameCount_ || frame.width != width_ || frame.height != height_ ||
        frame.rgba.size() != 4 * static_cast<std::size_t>(width_) * height_) {
        failed_ = true;
        return false;
    }
    std::vector<std::uint8_t> data = compressedRows(frame);
    if (data.empty()) {
        failed_ = true;
        return false;
    }
    ByteWriter control;
    control.u32BigEndian(sequence_++);
    control.u32BigEndian(static_cast<std::uint32_t>(width_));
    control.u32BigEndian(static_cast<std::uint32_t>(height_));
    control.u32BigEndian(0);  // x offset
    control.u32BigEndian(0);  // y offset
    const PngDelay delay = pngDelayOf(delayMs);
    control.u16BigEndian(delay.numerator);
    control.u16BigEndian(delay.denominator);
    control.u8(0);  // dispose: none, the next frame covers it whole
    control.u8(0);  // blend: source, so transparent pixels replace what was there
    putChunk(file_, "fcTL", control.bytes());
    if (added_ == 0) {
        // The first frame is the file's ordinary image.
        putChunk(file_, "IDAT", data);
    } else {
        ByteWriter frameData;
        frameData.reserve(4 + data.size());
        frameData.u32BigEndian(sequence_++);
        frameData.append(data);
        putChunk(file_, "fdAT", frameData.bytes());
    }
    ++added_;
    return true;
}

std::vector<std::uint8_t> AnimatedPngWriter::finish() {
    if (failed_ || added_ != frameCount_) return {};
    failed_ = true;  // a writer finishes once
    putChunk(file_, "IEND", {});
    return std::move(file_);
}

}  // namespace likenex
