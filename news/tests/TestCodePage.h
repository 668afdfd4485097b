#pragma once
// A double-byte code page for the tests: ASCII in one byte, the CJK ideographs U+4E00-U+9FFF in
// two (a lead byte 0x81-0xD0 and a trail byte), nothing else. Enough to see that a cut never
// splits a character and that unspellable characters are not guessed.

#include "base/CodePage.h"

namespace likenex::news::testing {

class TestCodePage : public CodePage {
public:
    std::wstring toWide(std::string_view text) const override {
        std::wstring out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto b = static_cast<unsigned char>(text[i]);
            if (b < 0x80) {
                out += static_cast<wchar_t>(b);
            } else if (b >= 0x81 && b <= 0xD0 && i + 1 < text.size()) {
                out += static_cast<wchar_t>(0x4E00 + (b - 0x81) * 256 + static_cast<unsigned char>(text[++i]));
            } else {
                out += L'\uFFFD';
            }
        }
        return out;
    }
    std::optional<std::string> fromWideExact(std::wstring_view text) const override {
        std::string out;
        for (const wchar_t c : text) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c >= 0x4E00 && c <= 0x9FFF) {
                out += static_cast<char>(0x81 + (c - 0x4E00) / 256);
                out += static_cast<char>((c - 0x4E00) % 256);
            } else {
                return std::nullopt;
            }
        }
        return out;
    }
};

}  // namespace likenex::news::testing
