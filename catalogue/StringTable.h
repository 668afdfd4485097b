#pragma once
// The five-language string table of data/lang.bin. Screens ask for a text by group (through
// a lookup kind) and identifier and get it in the current language. Loaded once at start-up
// into the table its owner holds (the editor's application; tests make their own).

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace likenex {

inline constexpr int kLanguageCount = 5;
inline constexpr int kStringGroupCount = 8;
inline constexpr int kTextKindCount = 7;
// Texts are held in 2048-unit buffers with their terminator: longer ones are cut.
inline constexpr std::size_t kMaxTextUnits = 2047;

using LanguageTexts = std::array<std::u16string, kLanguageCount>;

// One record of lang.bin, as the writer takes it.
struct StringRecord {
    std::int32_t group = 0;
    std::int32_t identifier = 0;
    LanguageTexts texts;

    friend bool operator==(const StringRecord&, const StringRecord&) = default;
};

// The group that each `text` kind reads; `uiText` reads group 0.
inline constexpr std::array<std::int32_t, kTextKindCount> kTextKindGroups = {1, 2, 3, 6, 7, 5, 4};

class StringTable {
public:
    // Replaces the table with the file's records; false, with the table unchanged, when the
    // file cannot be opened. The program goes on without texts then.
    bool loadStringTable(const std::string& path);
    // The same from the bytes of a whole lang.bin. A record cut short by the end is dropped.
    void readStringTable(std::span<const std::uint8_t> file);

    // Any value is kept; one outside 0..4 makes every lookup empty.
    void setLanguage(std::int32_t language) { language_ = language; }
    [[nodiscard]] std::int32_t language() const { return language_; }

    // The returned texts stay valid until the table is loaded again. Unknown identifiers,
    // kinds, groups and languages give the empty text.
    [[nodiscard]] const std::u16string& uiText(std::int32_t identifier) const;
    [[nodiscard]] const std::u16string& text(std::int32_t kind, std::int32_t identifier) const;
    [[nodiscard]] const std::u16string& groupText(std::int32_t group, std::int32_t identifier) const;

    // Every record in group and identifier order, as the writer takes them.
    [[nodiscard]] std::vector<StringRecord> records() const;

private:
    std::array<std::map<std::int32_t, LanguageTexts>, kStringGroupCount> groups_;
    std::int32_t language_ = 0;
    // What a missing text refers to.
    std::u16string empty_;
};

}  // namespace likenex
