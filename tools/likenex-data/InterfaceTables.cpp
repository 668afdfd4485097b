#include "tools/likenex-data/InterfaceTables.h"

#include "tools/likenex-data/ToolSupport.h"

#include <algorithm>
#include <set>

namespace likenex {
namespace {

// Calls `record` with the tab-separated fields of every line that holds data.
template <typename Record>
void forEachLine(std::string_view tsv, const std::string& source, Record record) {
    std::size_t lineNumber = 0;
    while (!tsv.empty()) {
        ++lineNumber;
        const std::size_t end = tsv.find('\n');
        std::string_view line = tsv.substr(0, end);
        tsv = end == std::string_view::npos ? std::string_view{} : tsv.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::vector<std::string_view> fields;
        for (std::size_t at = 0;;) {
            const std::size_t tab = line.find('\t', at);
            fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
            if (tab == std::string_view::npos) break;
            at = tab + 1;
        }
        const std::string where = source + ":" + std::to_string(lineNumber);
        try {
            record(fields, where);
        } catch (const ToolError& e) {
            throw ToolError(where + ": " + e.what());
        }
    }
}

void expectFields(const std::vector<std::string_view>& fields, std::size_t count, const char* form) {
    if (fields.size() != count)
        throw ToolError("expected " + std::to_string(count) + " tab-separated fields (" + form + "), found " +
                        std::to_string(fields.size()));
}

bool wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) ||  // hangul jamo
           (c >= 0x2E80 && c <= 0x9FFF) ||  // CJK radicals, punctuation, kana, ideographs
           (c >= 0xAC00 && c <= 0xD7AF) ||  // hangul syllables
           (c >= 0xF900 && c <= 0xFAFF) ||  // CJK compatibility ideographs
           (c >= 0xFF01 && c <= 0xFF60) ||  // full-width forms
           (c >= 0x20000 && c <= 0x3FFFF);  // supplementary ideographs
}

}  // namespace

std::vector<SkinRow> skinRowsFromTsv(std::string_view tsv, const std::string& source) {
    std::vector<SkinRow> rows;
    std::set<std::uint32_t> seen;
    forEachLine(tsv, source, [&](const std::vector<std::string_view>& f, const std::string&) {
        expectFields(f, 7, "ID, FAMILY, WIDTH, HEIGHT, LAYOUT_W, LAYOUT_H, WHAT");
        SkinRow row;
        row.identifier = parseArgument<std::uint32_t>(f[0], "skin identifier");
        row.family = std::string(f[1]);
        if (row.family.empty()) throw ToolError("empty family");
        // A picture larger than the window would never be drawn whole; 0 would be no picture.
        row.width = static_cast<std::uint32_t>(parseInteger(f[2], "WIDTH", 1, 4096));
        row.height = static_cast<std::uint32_t>(parseInteger(f[3], "HEIGHT", 1, 4096));
        row.layoutWidth = static_cast<std::uint32_t>(parseInteger(f[4], "LAYOUT_W", 0, 4096));
        row.layoutHeight = static_cast<std::uint32_t>(parseInteger(f[5], "LAYOUT_H", 0, 4096));
        row.what = std::string(f[6]);
        if (!seen.insert(row.identifier).second)
            throw ToolError("skin " + std::to_string(row.identifier) + " listed twice");
        rows.push_back(std::move(row));
    });
    return rows;
}

std::vector<TextPlace> textPlacesFromTsv(std::string_view tsv, const std::string& source) {
    std::vector<TextPlace> places;
    forEachLine(tsv, source, [&](const std::vector<std::string_view>& f, const std::string&) {
        if (f.size() < 3 || f.size() > 4) expectFields(f, 4, "ID, WIDTH, SIZE, WHERE");
        TextPlace place;
        place.identifier = parseArgument<std::int32_t>(f[0], "text identifier");
        place.width = static_cast<std::int32_t>(parseInteger(f[1], "WIDTH", 0, 4096));
        place.size = static_cast<std::int32_t>(parseInteger(f[2], "SIZE", 1, 256));
        if (f.size() == 4) place.where = std::string(f[3]);
        places.push_back(std::move(place));
    });
    return places;
}

double estimatedTextWidth(std::u16string_view text, int pixelSize) {
    double widest = 0, line = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c == u'\n' || c == u'\r') {
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        line += (wide(c) ? 1.0 : 0.55) * pixelSize;
    }
    return std::max(widest, line);
}

}  // namespace likenex
