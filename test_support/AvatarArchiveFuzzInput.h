#pragma once
// How one fuzz input carries both files of the avatar archive: a 32-bit little-endian
// length of the index file, the index file, then the data file. A length past the end
// takes everything left as the index. The avatar model's input puts the catalogue in front
// the same way.

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace likenex::fuzzing {

// The part a 32-bit little-endian length in front of `bytes` names, and what follows it;
// both empty when there is no length.
inline std::pair<std::span<const std::uint8_t>, std::span<const std::uint8_t>> splitLengthPrefixed(
    std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4) return {};
    const std::uint32_t length = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    const std::span<const std::uint8_t> rest = bytes.subspan(4);
    const std::size_t first = std::min<std::size_t>(length, rest.size());
    return {rest.first(first), rest.subspan(first)};
}

struct AvatarArchiveInput {
    std::span<const std::uint8_t> index;
    std::vector<std::uint8_t> data;  // its own allocation, so a read past its end is caught
};

inline AvatarArchiveInput splitAvatarArchiveInput(std::span<const std::uint8_t> bytes) {
    const auto [index, data] = splitLengthPrefixed(bytes);
    return {index, std::vector<std::uint8_t>(data.begin(), data.end())};
}

// The avatar model's input: a 32-bit little-endian length of the catalogue (avatar.dat), the
// catalogue, then the avatar archive as above.
struct AvatarModelInput {
    std::vector<std::uint8_t> catalogue;  // its own allocation, like the data file
    AvatarArchiveInput archive;
};

inline AvatarModelInput splitAvatarModelInput(std::span<const std::uint8_t> bytes) {
    const auto [catalogue, archive] = splitLengthPrefixed(bytes);
    return {std::vector<std::uint8_t>(catalogue.begin(), catalogue.end()), splitAvatarArchiveInput(archive)};
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
