#include "server/CodePage.h"

#include <array>

namespace likenex {
namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character.
constexpr std::array<char16_t, 32> kHighControls = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string toWindows1252(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            bytes.push_back(static_cast<char>(unit));
            continue;
        }
        char out = '?';
        for (std::size_t i = 0; i < kHighControls.size(); ++i)
            if (kHighControls[i] != 0 && kHighControls[i] == unit) out = static_cast<char>(0x80 + i);
        bytes.push_back(out);
    }
    return bytes;
}

std::string toLatin1(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) bytes.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    return bytes;
}

std::optional<CodePageConversion> codePageNamed(std::string_view name) {
    if (name == "windows-1252" || name == "cp1252") return CodePageConversion(toWindows1252);
    if (name == "iso-8859-1" || name == "latin1") return CodePageConversion(toLatin1);
    return std::nullopt;
}

}  // namespace likenex

namespace likenex {

std::u16string foldCase(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = static_cast<char16_t>(c + 32);
        else if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
            // Latin Extended-A pairs: even upper, odd lower, except the run 0x139..0x148 and 0x179..0x17E.
            bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
            if (oddUpper ? (c % 2 == 1) : (c % 2 == 0)) c = static_cast<char16_t>(c + 1);
        } else if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) c = static_cast<char16_t>(c + 32);
        else if (c >= 0x410 && c <= 0x42F) c = static_cast<char16_t>(c + 32);
        else if (c >= 0x400 && c <= 0x40F) c = static_cast<char16_t>(c + 80);
        else if (c >= 0xFF21 && c <= 0xFF3A) c = static_cast<char16_t>(c + 32);  // full-width Latin
    }
    return out;
}

}  // namespace likenex
