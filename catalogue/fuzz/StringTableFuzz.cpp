// Fuzzes the lang.bin reader: texts within their buffer and without zero units, every
// lookup kind and language, and the records written back out read in again unchanged.
#include "catalogue/StringTable.h"
#include "catalogue/StringTableWriter.h"
#include "test_support/FuzzCheck.h"

#include <cstddef>
#include <cstdint>

using likenex::fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    likenex::StringTable table;
    table.readStringTable({data, size});
    std::vector<likenex::StringRecord> records = table.records();
    for (const likenex::StringRecord& record : records) {
        check(record.group >= 0 && record.group < likenex::kStringGroupCount, "record group");
        for (std::int32_t language = -1; language <= likenex::kLanguageCount; ++language) {
            table.setLanguage(language);
            const std::u16string& text = table.groupText(record.group, record.identifier);
            check(text.size() <= likenex::kMaxTextUnits, "text past its buffer");
            check(text.find(u'\0') == std::u16string::npos, "zero unit kept");
            if (language >= 0 && language < likenex::kLanguageCount)
                check(text == record.texts[static_cast<std::size_t>(language)], "lookup matches the record");
            else check(text.empty(), "text for a language outside 0..4");
            for (std::int32_t kind = -1; kind <= likenex::kTextKindCount; ++kind)
                (void)table.text(kind, record.identifier).size();
            (void)table.uiText(record.identifier).size();
        }
    }
    if (auto encoded = likenex::encodeStringTable(records)) {
        likenex::StringTable again;
        again.readStringTable(*encoded);
        check(again.records() == records, "string table round trip");
    }
    return 0;
}
