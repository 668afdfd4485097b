#include "app/SystemCodePageText.h"

#include "base/Text.h"
#include "platform/win/CodePage.h"

namespace likenex {

std::string SystemCodePageText::toCodePage(std::u16string_view text) const {
    const std::wstring wide = text::wideFromUtf16(text);
    if (auto exact = systemCodePage().fromWideExact(wide)) return *exact;
    std::string bytes;
    for (wchar_t c : wide) {
        const auto one = systemCodePage().fromWideExact(std::wstring_view(&c, 1));
        bytes += one ? *one : "?";
    }
    return bytes;
}

std::wstring SystemCodePageText::fromCodePage(std::string_view text) const { return systemCodePage().toWide(text); }

}  // namespace likenex
