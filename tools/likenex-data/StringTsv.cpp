#include "tools/likenex-data/StringTsv.h"

#include "base/ByteIo.h"
#include "tools/likenex-data/ToolSupport.h"

#include <cstdio>

namespace likenex {
namespace {

bool isHigh(char32_t u) { return u >= 0xd800 && u <= 0xdbff; }
bool isLow(char32_t u) { return u >= 0xdc00 && u <= 0xdfff; }

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3f));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xd800 + (c >> 10));
        out += static_cast<char16_t>(0xdc00 + (c & 0x3ff));
    }
}

// Calls `unit` for every code point, or for a lone surrogate with `lone` set.
template <typename Visit>
void forEachCodePoint(std::u16string_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t u = text[i];
        if (isHigh(u) && i + 1 < text.size() && isLow(text[i + 1])) {
            visit(0x10000 + ((u - 0xd800) << 10) + (text[i + 1] - 0xdc00u), false);
            ++i;
        } else {
            visit(u, isHigh(u) || isLow(u));
        }
    }
}

// One code point from UTF-8 at `i`; refuses overlong forms, surrogates and cut sequences.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    int extra = lead < 0x80 ? 0 : (lead & 0xe0) == 0xc0 ? 1 : (lead & 0xf0) == 0xe0 ? 2 : (lead & 0xf8) == 0xf0 ? 3 : -1;
    if (extra < 0) throw ToolError("invalid UTF-8");
    char32_t c = extra == 0 ? lead : lead & (0x3f >> extra);
    for (int k = 1; k <= extra; ++k) {
        if (i + static_cast<std::size_t>(k) >= s.size() || (byte(i + static_cast<std::size_t>(k)) & 0xc0) != 0x80)
            throw ToolError("invalid UTF-8");
        c = c << 6 | (byte(i + static_cast<std::size_t>(k)) & 0x3f);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10ffff || isHigh(c) || isLow(c)) throw ToolError("invalid UTF-8");
    i += static_cast<std::size_t>(extra) + 1;
    return c;
}

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

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    forEachCodePoint(text, [&](char32_t c, bool lone) { appendUtf8(out, lone ? 0xfffd : c); });
    return out;
}

std::string escapeTsvText(std::u16string_view text) {
    std::string out;
    forEachCodePoint(text, [&](char32_t c, bool lone) {
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\\') out += "\\\\";
        else if (lone || c < 0x20 || c == 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        } else appendUtf8(out, c);
    });
    return out;
}

std::u16string unescapeTsvText(std::string_view field) {
    std::u16string out;
    for (std::size_t i = 0; i < field.size();) {
        if (field[i] != '\\') {
            appendUtf16(out, decodeUtf8(field, i));
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
            throw ToolError(where + ": " + std::to_string(fields.size()) + " fields, expected 7 (group, identifier, five texts)");
        try {
            StringRecord record;
            record.group = parseArgument<std::int32_t>(fields[0], "the group");
            record.identifier = parseArgument<std::int32_t>(fields[1], "the identifier");
            for (std::size_t i = 0; i < record.texts.size(); ++i) {
                record.texts[i] = unescapeTsvText(fields[2 + i]);
                if (record.texts[i].size() > 0xffff) throw ToolError("text " + std::to_string(i) + " is longer than 65535 units");
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
            for (std::size_t i = 0; i < units.size(); i += 2) text += static_cast<char16_t>(units[i] | units[i + 1] << 8);
        }
        record.identifier = r.i32();
        record.group = r.i32();
        if (!r.ok()) throw ToolError("lang.bin ends inside the record at byte " + std::to_string(start));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace likenex
