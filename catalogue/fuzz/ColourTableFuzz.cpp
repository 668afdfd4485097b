// Fuzzes the colour table reader: only complete sets, numbered from 0, a re-encoded table
// reads back the same, and recolouring with a read set stays inside its pixels.
#include "catalogue/AvatarArchive.h"
#include "catalogue/ColourTable.h"
#include "test_support/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using likenex::fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    likenex::ColourTable table;
    table.parse({data, size});
    check(size >= 4 || table.empty(), "sets without a count");
    check(table.size() <= (size < 4 ? 0 : (size - 4) / likenex::kColourSetBytes), "more sets than complete ones");

    std::vector<likenex::ColourSet> sets;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const likenex::ColourSet* set = table.find(static_cast<std::int32_t>(i));
        check(set != nullptr, "sets numbered from 0 without gaps");
        sets.push_back(*set);
    }
    check(table.find(-1) == nullptr, "negative record number found");
    check(table.find(static_cast<std::int32_t>(table.size())) == nullptr, "set past the last found");

    likenex::ColourTable again;
    again.parse(likenex::encodeColourTable(sets));
    check(again.size() == table.size(), "table round trip size");
    for (std::size_t i = 0; i < sets.size(); ++i)
        check(*again.find(static_cast<std::int32_t>(i)) == sets[i], "table round trip set");

    if (!sets.empty()) {
        std::vector<std::uint8_t> pixels(data, data + size);  // the input as pixels, odd tail included
        likenex::recolourPixels(pixels, sets.front());
    }
    return 0;
}
