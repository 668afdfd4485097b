#pragma once
// Test-side reading of PNG and animated PNG files, written apart from the encoder so that a
// fault in one is not mirrored in the other: the chunk walk with a CRC of its own, the frame
// delays, and libpng's reading of the file's image (test programs that use it link libpng).

#include "render/RgbaPicture.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace likenex::test {

inline std::uint32_t pngCrc(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

inline std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

struct PngChunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// The chunks in file order; nothing when the signature is wrong, a length runs past the end,
// a chunk is cut short or a CRC does not match.
inline std::optional<std::vector<PngChunk>> pngChunks(const std::vector<std::uint8_t>& file) {
    static const std::uint8_t signature[8] = {137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) return std::nullopt;
    std::vector<PngChunk> chunks;
    for (std::size_t at = 8; at < file.size();) {
        if (file.size() - at < 12) return std::nullopt;
        const std::uint32_t length = bigEndian32(&file[at]);
        if (length > file.size() - at - 12) return std::nullopt;
        const std::uint8_t* type = &file[at + 4];
        if (bigEndian32(type + 4 + length) != pngCrc(type, 4 + length)) return std::nullopt;
        chunks.push_back({std::string(type, type + 4), std::vector<std::uint8_t>(type + 4, type + 4 + length)});
        at += 12 + length;
    }
    return chunks;
}

// The delays of the fcTL chunks in milliseconds, in file order.
inline std::vector<std::uint32_t> apngDelays(const std::vector<PngChunk>& chunks) {
    std::vector<std::uint32_t> delays;
    for (const PngChunk& c : chunks) {
        if (c.type != "fcTL" || c.data.size() != 26) continue;
        const std::uint32_t numerator = c.data[20] << 8 | c.data[21], denominator = c.data[22] << 8 | c.data[23];
        delays.push_back(denominator == 0 ? numerator * 10 : numerator * 1000 / denominator);
    }
    return delays;
}

// Appends a chunk with its CRC, for building files from parts of others.
inline void putPngChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::uint8_t* data,
                        std::size_t size) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(size >> s));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    if (size != 0) out.insert(out.end(), data, data + size);
    const std::uint32_t crc = pngCrc(&out[typeAt], 4 + size);
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(crc >> s));
}

}  // namespace likenex::test
