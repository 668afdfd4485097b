#include "tools/likenex-data/StringTsv.h"

#include "base/ByteIo.h"
#include "base/Text.h"
#include "tools/likenex-data/ToolSupport.h"

#include <cstdio>

namespace likenex {
namespace {

std::vector<std::string_view> split(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

}  // namespace

std::string escapeTsvText(std::u16string_view text) {
    std::string out;
    text::forEachCodePoint(text, [&](char32_t c, bool lone) {
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\\') out += "\\\\";
        else if (lone || c < 0x20 || c == 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        } else text::appendUtf8(out, c);
    });
    return out;
}

std::u16string unescapeTsvText(std::string_view field) {
    std::u16string out;
    for (std::size_t i = 0; i < field.size();) {
        if (field[i] != '\\') {
            const std::optional<char32_t> c = text::decodeUtf8(field, i);
            if (!c) throw ToolError("invalid UTF-8");
            text::appendUtf16(out, *c);
            continue;
        }
        if (i + 1 >= field.size()) throw ToolError("a text ends with a lone backslash");
        char kind = field[i + 1];
        if (kind == 'n') out += u'\n';
        else if (kind == 't') out += u'\t';
        else if (kind == '\\') out += u'\\';
        else if (kind == 'u') {
            std::string_view hex = field.substr(i + 2, 4);
            if (hex.size() != 4 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
                throw ToolError("\\u must be followed by four hex digits");
            out += static_cast<char16_t>(std::stoul(std::string(hex), nullptr, 16));
            i += 6;
            continue;
        } else throw ToolError(std::string("unknown escape \\") + kind + " (use \\n, \\t, \\\\ or \\uXXXX)");
        i += 2;
    }
    return out;
}

std::string stringRecordsToTsv(std::span<const StringRecord> records) {
    std::string tsv = "# group\tidentifier\tlanguage 0\tlanguage 1\tlanguage 2\tlanguage 3\tlanguage 4\n";
    for (const StringRecord& record : records) {
        tsv += std::to_string(record.group) + '\t' + std::to_string(record.identifier);
        for (const std::u16string& text : record.texts) tsv += '\t' + escapeTsvText(text);
        tsv += '\n';
    }
    return tsv;
}

std::vector<StringRecord> stringRecordsFromTsv(std::string_view tsv, const std::string& source) {
    std::vector<StringRecord> records;
    std::vector<std::string_view> lines = split(tsv, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::string where = source + " line " + std::to_string(n + 1);
        std::vector<std::string_view> fields = split(line, '\t');
        if (fields.size() != 2 + kLanguageCount)
            throw ToolError(where + ": " + std::to_string(fields.size()) +
                            " fields, expected 7 (group, identifier, five texts)");
        try {
            StringRecord record;
            record.group = parseArgument<std::int32_t>(fields[0], "the group");
            record.identifier = parseArgument<std::int32_t>(fields[1], "the identifier");
            for (std::size_t i = 0; i < record.texts.size(); ++i) {
                record.texts[i] = unescapeTsvText(fields[2 + i]);
                if (record.texts[i].size() > 0xffff)
                    throw ToolError("text " + std::to_string(i) + " is longer than 65535 units");
            }
            records.push_back(std::move(record));
        } catch (const ToolError& e) {
            throw ToolError(where + ": " + e.what());
        }
    }
    return records;
}

std::vector<StringRecord> storedStringRecords(std::span<const std::uint8_t> file) {
    std::vector<StringRecord> records;
    ByteReader r(file);
    while (r.remaining() > 0) {
        const std::size_t start = r.position();
        StringRecord record;
        for (std::u16string& text : record.texts) {
            std::uint16_t length = r.u16();
            std::span<const std::uint8_t> units = r.bytes(2 * std::uint64_t{length});
            for (std::size_t i = 0; i < units.size(); i += 2)
                text += static_cast<char16_t>(units[i] | units[i + 1] << 8);
        }
        record.identifier = r.i32();
        record.group = r.i32();
        if (!r.ok()) throw ToolError("lang.bin ends inside the record at byte " + std::to_string(start));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace likenex
