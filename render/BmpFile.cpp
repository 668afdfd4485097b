#include "render/BmpFile.h"

#include <limits>

namespace likenex {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp32(std::int32_t width, std::int32_t height,
                                      std::span<const std::uint8_t> bottomUpBgra) {
    if (width < 0 || height < 0) return {};
    const std::uint64_t dataBytes =
        std::uint64_t{4} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (dataBytes != bottomUpBgra.size()) return {};
    if (dataBytes + kBmpHeaderBytes > std::numeric_limits<std::uint32_t>::max()) return {};
    const auto data = static_cast<std::uint32_t>(dataBytes);

    std::vector<std::uint8_t> file;
    file.reserve(kBmpHeaderBytes + data);
    file.push_back('B');
    file.push_back('M');
    put32(file, data + kBmpHeaderBytes);
    put32(file, 0);  // two reserved words
    put32(file, kBmpHeaderBytes);

    put32(file, 40);
    put32(file, static_cast<std::uint32_t>(width));
    put32(file, static_cast<std::uint32_t>(height));
    put16(file, 1);   // planes
    put16(file, 32);  // bits per pixel
    put32(file, 0);   // BI_RGB
    put32(file, data);
    put32(file, 0);  // horizontal and vertical resolution, palette sizes: unused
    put32(file, 0);
    put32(file, 0);
    put32(file, 0);

    file.insert(file.end(), bottomUpBgra.begin(), bottomUpBgra.end());
    return file;
}

}  // namespace likenex
