// text, build-strings and dump-strings: data/lang.bin.
#include "base/Text.h"
#include "catalogue/StringTable.h"
#include "catalogue/StringTableWriter.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/StringTsv.h"

#include <cstdint>
#include <iterator>
#include <ostream>

namespace likenex {

int textCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 4, 4, "text DIR GROUP ID LANGUAGE");
    const auto group = static_cast<std::int32_t>(parseInteger(parsed.positional[1], "GROUP", 0, kStringGroupCount - 1));
    const auto identifier = parseArgument<std::int32_t>(parsed.positional[2], "ID");
    const auto language =
        static_cast<std::int32_t>(parseInteger(parsed.positional[3], "LANGUAGE", 0, kLanguageCount - 1));
    const std::string path = programFile(parsed.positional[0], "data/lang.bin");
    StringTable table;
    if (!table.loadStringTable(path)) throw ToolError("cannot read " + path);
    const auto records = table.records();
    const bool present = std::any_of(records.begin(), records.end(), [&](const StringRecord& r) {
        return r.group == group && r.identifier == identifier;
    });
    if (!present)
        throw ToolError("no text with group " + std::to_string(group) + " and identifier " +
                        std::to_string(identifier));
    table.setLanguage(language);
    out << text::utf8FromUtf16(table.groupText(group, identifier)) << '\n';
    return 0;
}

int buildStringsCommand(const Arguments& arguments, std::ostream&, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, SIZE_MAX, "build-strings STRINGS.tsv [MORE.tsv ...] DIR");
    const std::string& directory = parsed.positional.back();
    std::vector<StringRecord> records;
    for (std::size_t i = 0; i + 1 < parsed.positional.size(); ++i) {
        const std::string& source = parsed.positional[i];
        std::vector<StringRecord> more = stringRecordsFromTsv(readTextFileOrFail(source), source);
        records.insert(records.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    auto bytes = encodeStringTable(records);
    if (!bytes) throw ToolError("a text is too long for lang.bin");
    makeDirectories(programFile(directory, "data"));
    writeFileOrFail(programFile(directory, "data/lang.bin"), *bytes);
    return 0;
}

int dumpStringsCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 1, 1, "dump-strings DIR");
    const std::string path = programFile(parsed.positional[0], "data/lang.bin");
    out << stringRecordsToTsv(storedStringRecords(readFileOrFail(path)));
    return 0;
}

}  // namespace likenex
