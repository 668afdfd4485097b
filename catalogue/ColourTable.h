#pragma once
// The colour, skin and wall tables: numbered sets of six colours that replace the six
// `key greys` of avatar pictures when they are drawn.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace likenex {

// Grey levels (red = green = blue) that pictures use for recolourable regions, in the order
// that matches the colours of a `ColourSet`.
inline constexpr std::array<std::uint8_t, 6> keyGreys{100, 180, 218, 238, 242, 255};

struct ColourSet {
    // Each colour is red, green, blue; only the low byte of a component is used.
    std::array<std::array<std::uint32_t, 3>, 6> colours{};

    friend bool operator==(const ColourSet&, const ColourSet&) = default;
};

inline constexpr std::size_t kColourSetBytes = 72;

class ColourTable {
public:
    // Null when the record number is absent.
    [[nodiscard]] const ColourSet* find(std::int32_t recordNumber) const;
    [[nodiscard]] std::size_t size() const { return sets_.size(); }
    [[nodiscard]] bool empty() const { return sets_.empty(); }

    // Replaces the table with the complete records of a file's bytes; records past the end
    // of short data are dropped.
    void parse(std::span<const std::uint8_t> bytes);
    void clear() { sets_.clear(); }

private:
    std::map<std::int32_t, ColourSet> sets_;
};

// `colour kind` 0 selects `colour`, 1 selects `skin`; `wall` is never used for recolouring.
struct ColourTables {
    ColourTable colour;
    ColourTable skin;
    ColourTable wall;

    // Null for a kind outside 0..1.
    [[nodiscard]] const ColourTable* forKind(int colourKind) const;
};

// Reads color.dat, skin.dat and wall.dat from the program directory. A file that cannot be
// opened leaves its table as it was; loading never fails.
void loadColourTables(ColourTables& tables, const std::string& programDirectory);

// The bytes of a table file holding these sets, numbered from 0 in this order.
[[nodiscard]] std::vector<std::uint8_t> encodeColourTable(std::span<const ColourSet> sets);
[[nodiscard]] bool writeColourTable(const std::string& path, std::span<const ColourSet> sets);

}  // namespace likenex
