// Fuzzes the packed index reader with both key widths: only complete entries, the first of
// a key kept, and a re-encoded index reads back the same.
#include "catalogue/ArchiveIndex.h"
#include "test_support/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

using likenex::fuzzing::check;

template <typename Key>
void fuzzIndex(std::span<const std::uint8_t> bytes) {
    likenex::ArchiveIndex<Key> index;
    bool ok = likenex::parseArchiveIndex<Key>(bytes, index);
    check(ok == (bytes.size() >= 4), "index fails only without a count");
    if (!ok) return;
    constexpr std::size_t kEntryBytes = sizeof(Key) + 8;
    check(index.size() <= (bytes.size() - 4) / kEntryBytes, "more entries than complete ones");

    std::vector<std::pair<Key, likenex::ArchiveEntry>> entries(index.begin(), index.end());
    std::vector<std::uint8_t> encoded = likenex::encodeArchiveIndex<Key>(entries);
    likenex::ArchiveIndex<Key> again;
    check(likenex::parseArchiveIndex<Key>(encoded, again) && again == index, "index round trip");
    for (const auto& [key, entry] : index) {
        auto found = index.find(key);
        check(found != index.end() && found->second == entry, "lookup of a read key");
        (void)likenex::rangeInside(entry.offset, entry.size, bytes.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    fuzzIndex<std::int64_t>(bytes);
    fuzzIndex<std::uint32_t>(bytes);
    return 0;
}
