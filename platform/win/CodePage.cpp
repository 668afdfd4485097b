#include "platform/win/CodePage.h"

#include <climits>

namespace likenex {

std::wstring WindowsCodePage::toWide(std::string_view text) const {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(codePage_, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage_, 0, text.data(), length, wide.data(), units);
    return wide;
}

std::optional<std::string> WindowsCodePage::fromWideExact(std::wstring_view text) const {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX) return std::nullopt;
    const int length = static_cast<int>(text.size());
    // UTF-8 (the "worldwide language support" option makes it the ANSI code page) accepts no
    // best-fit flag and no used-default pointer: there, a text that cannot be spelled is one
    // holding an unpaired surrogate, which WC_ERR_INVALID_CHARS refuses.
    const UINT page = codePage_ == CP_ACP ? GetACP() : codePage_;
    const bool utf8 = page == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int bytes = WideCharToMultiByte(page, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (bytes <= 0 || usedDefault) return std::nullopt;
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(page, flags, text.data(), length, narrow.data(), bytes, nullptr, usedDefaultOut) != bytes ||
        usedDefault)
        return std::nullopt;
    return narrow;
}

const CodePage& systemCodePage() {
    static const WindowsCodePage page;
    return page;
}

}  // namespace likenex
