#include "catalogue/StringTableWriter.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <limits>

namespace likenex {

std::optional<std::vector<std::uint8_t>> encodeStringTable(std::span<const StringRecord> records) {
    ByteWriter w;
    for (const StringRecord& record : records) {
        for (const std::u16string& text : record.texts) {
            if (text.size() > std::numeric_limits<std::uint16_t>::max()) return std::nullopt;
            w.u16(static_cast<std::uint16_t>(text.size()));
            for (char16_t unit : text) w.u16(unit);
        }
        w.i32(record.identifier);
        w.i32(record.group);
    }
    return w.take();
}

bool writeStringTable(const std::string& path, std::span<const StringRecord> records) {
    std::optional<std::vector<std::uint8_t>> bytes = encodeStringTable(records);
    return bytes && writeWholeFile(path, *bytes);
}

}  // namespace likenex
