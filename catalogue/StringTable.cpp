#include "catalogue/StringTable.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"

#include <algorithm>
#include <optional>

namespace likenex {
namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xd800 && unit <= 0xdbff; }

// One text: its length, then its units. It ends at its first zero unit, and a text over
// the buffer is cut (never inside a surrogate pair); the rest of its units is skipped so
// that the next field is read from its place.
std::u16string readText(ByteReader& r) {
    std::uint16_t length = r.u16();
    std::span<const std::uint8_t> bytes = r.bytes(2 * static_cast<std::uint64_t>(length));
    std::u16string text;
    if (!r.ok()) return text;
    std::size_t units = std::min<std::size_t>(length, kMaxTextUnits);
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        auto unit = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    if (length > kMaxTextUnits && text.size() == kMaxTextUnits && isHighSurrogate(text.back())) text.pop_back();
    return text;
}

}  // namespace

bool StringTable::loadStringTable(const std::string& path) {
    std::optional<std::vector<std::uint8_t>> file = readWholeFile(path);
    if (!file) return false;
    readStringTable(*file);
    return true;
}

void StringTable::readStringTable(std::span<const std::uint8_t> file) {
    std::array<std::map<std::int32_t, LanguageTexts>, kStringGroupCount> groups;
    ByteReader r(file);
    while (r.remaining() >= 2) {
        LanguageTexts texts;
        for (std::u16string& t : texts) t = readText(r);
        std::int32_t identifier = r.i32();
        std::int32_t group = r.i32();
        if (!r.ok()) break;  // the file ends inside this record
        if (group < 0 || group >= kStringGroupCount) continue;
        groups[static_cast<std::size_t>(group)][identifier] = std::move(texts);
    }
    groups_ = std::move(groups);
}

const std::u16string& StringTable::groupText(std::int32_t group, std::int32_t identifier) const {
    if (group < 0 || group >= kStringGroupCount || language_ < 0 || language_ >= kLanguageCount) return empty_;
    const auto& map = groups_[static_cast<std::size_t>(group)];
    auto found = map.find(identifier);
    return found == map.end() ? empty_ : found->second[static_cast<std::size_t>(language_)];
}

const std::u16string& StringTable::uiText(std::int32_t identifier) const { return groupText(0, identifier); }

const std::u16string& StringTable::text(std::int32_t kind, std::int32_t identifier) const {
    if (kind < 0 || kind >= kTextKindCount) return empty_;
    return groupText(kTextKindGroups[static_cast<std::size_t>(kind)], identifier);
}

std::vector<StringRecord> StringTable::records() const {
    std::vector<StringRecord> out;
    for (std::int32_t g = 0; g < kStringGroupCount; ++g)
        for (const auto& [identifier, texts] : groups_[static_cast<std::size_t>(g)])
            out.push_back({g, identifier, texts});
    return out;
}

}  // namespace likenex
