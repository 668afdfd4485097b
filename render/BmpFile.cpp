#include "render/BmpFile.h"

#include "base/ByteIo.h"

#include <limits>

namespace likenex {

std::vector<std::uint8_t> encodeBmp32(std::int32_t width, std::int32_t height,
                                      std::span<const std::uint8_t> bottomUpBgra) {
    if (width < 0 || height < 0) return {};
    const std::uint64_t dataBytes =
        std::uint64_t{4} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (dataBytes != bottomUpBgra.size()) return {};
    if (dataBytes + kBmpHeaderBytes > std::numeric_limits<std::uint32_t>::max()) return {};
    const auto data = static_cast<std::uint32_t>(dataBytes);

    ByteWriter file;
    file.reserve(kBmpHeaderBytes + data);
    file.u8('B');
    file.u8('M');
    file.u32(data + kBmpHeaderBytes);
    file.u32(0);  // two reserved words
    file.u32(kBmpHeaderBytes);

    file.u32(40);
    file.u32(static_cast<std::uint32_t>(width));
    file.u32(static_cast<std::uint32_t>(height));
    file.u16(1);   // planes
    file.u16(32);  // bits per pixel
    file.u32(0);   // BI_RGB
    file.u32(data);
    file.u32(0);  // horizontal and vertical resolution, palette sizes: unused
    file.u32(0);
    file.u32(0);
    file.u32(0);

    file.append(bottomUpBgra);
    return file.take();
}

}  // namespace likenex
