// text, build-strings and dump-strings: data/lang.bin.
#include "catalogue/StringTable.h"
#include "catalogue/StringTableWriter.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/StringTsv.h"

#include <ostream>

namespace likenex {

int textCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 4, 4, "text DIR GROUP ID LANGUAGE");
    const auto group = static_cast<std::int32_t>(parseInteger(parsed.positional[1], "GROUP", 0, kStringGroupCount - 1));
    const auto identifier = parseArgument<std::int32_t>(parsed.positional[2], "ID");
    const auto language = static_cast<std::int32_t>(parseInteger(parsed.positional[3], "LANGUAGE", 0, kLanguageCount - 1));
    const std::string path = programFile(parsed.positional[0], "data/lang.bin");
    StringTable table;
    if (!table.loadStringTable(path)) throw ToolError("cannot read " + path);
    const auto records = table.records();
    const bool present = std::any_of(records.begin(), records.end(), [&](const StringRecord& r) {
        return r.group == group && r.identifier == identifier;
    });
    if (!present)
        throw ToolError("no text with group " + std::to_string(group) + " and identifier " + std::to_string(identifier));
    table.setLanguage(language);
    out << utf8FromUtf16(table.groupText(group, identifier)) << '\n';
    return 0;
}

int buildStringsCommand(const Arguments& arguments, std::ostream&, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, 2, "build-strings STRINGS.tsv DIR");
    const std::string& source = parsed.positional[0];
    std::vector<StringRecord> records = stringRecordsFromTsv(readTextFileOrFail(source), source);
    auto bytes = encodeStringTable(records);
    if (!bytes) throw ToolError(source + ": a text is too long for lang.bin");
    makeDirectories(programFile(parsed.positional[1], "data"));
    writeFileOrFail(programFile(parsed.positional[1], "data/lang.bin"), *bytes);
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
