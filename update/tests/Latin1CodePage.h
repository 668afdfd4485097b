#pragma once
// Latin-1 as the code page of the page tests and the fuzz target: every byte is the character
// of the same number, and characters past U+00FF cannot be spelt.

#include "base/CodePage.h"

namespace likenex::update::testing {

class Latin1 : public CodePage {
public:
    std::wstring toWide(std::string_view text) const override {
        std::wstring out;
        for (const char c : text) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return out;
    }
    std::optional<std::string> fromWideExact(std::wstring_view text) const override {
        std::string out;
        for (const wchar_t c : text) {
            if (c > 0xFF) return std::nullopt;
            out += static_cast<char>(c);
        }
        return out;
    }
};

}  // namespace likenex::update::testing
