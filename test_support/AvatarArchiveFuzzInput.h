#pragma once
// How one fuzz input carries both files of the avatar archive: a 32-bit little-endian
// length of the index file, the index file, then the data file. A length past the end
// takes everything left as the index. The avatar model's input puts the catalogue in front
// the same way.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace likenex::fuzzing {

struct AvatarArchiveInput {
    std::span<const std::uint8_t> index;
    std::vector<std::uint8_t> data;  // its own allocation, so a read past its end is caught
};

inline AvatarArchiveInput splitAvatarArchiveInput(std::span<const std::uint8_t> bytes) {
    AvatarArchiveInput input;
    if (bytes.size() < 4) return input;
    std::uint32_t length = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    std::span<const std::uint8_t> rest = bytes.subspan(4);
    std::size_t indexLength = std::min<std::size_t>(length, rest.size());
    input.index = rest.first(indexLength);
    input.data.assign(rest.begin() + static_cast<std::ptrdiff_t>(indexLength), rest.end());
    return input;
}

// The avatar model's input: a 32-bit little-endian length of the catalogue (avatar.dat), the
// catalogue, then the avatar archive as above.
struct AvatarModelInput {
    std::vector<std::uint8_t> catalogue;  // its own allocation, like the data file
    AvatarArchiveInput archive;
};

inline AvatarModelInput splitAvatarModelInput(std::span<const std::uint8_t> bytes) {
    AvatarModelInput input;
    if (bytes.size() < 4) return input;
    std::uint32_t length = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    std::span<const std::uint8_t> rest = bytes.subspan(4);
    std::size_t catalogueLength = std::min<std::size_t>(length, rest.size());
    input.catalogue.assign(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(catalogueLength));
    input.archive = splitAvatarArchiveInput(rest.subspan(catalogueLength));
    return input;
}

inline std::vector<std::uint8_t> joinAvatarArchiveInput(const std::vector<std::uint8_t>& index,
                                                        const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes;
    const auto length = static_cast<std::uint32_t>(index.size());
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    bytes.insert(bytes.end(), index.begin(), index.end());
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

inline std::vector<std::uint8_t> joinAvatarModelInput(const std::vector<std::uint8_t>& catalogue,
                                                      const std::vector<std::uint8_t>& index,
                                                      const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes = joinAvatarArchiveInput(catalogue, {});
    const std::vector<std::uint8_t> archive = joinAvatarArchiveInput(index, data);
    bytes.insert(bytes.end(), archive.begin(), archive.end());
    return bytes;
}

}  // namespace likenex::fuzzing
