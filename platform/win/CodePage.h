#pragma once
// The Windows code pages through MultiByteToWideChar and WideCharToMultiByte.

#include "base/CodePage.h"

#include <windows.h>

namespace likenex {

class WindowsCodePage final : public CodePage {
public:
    // CP_ACP follows the system's ANSI code page at every call; tests pass a number.
    explicit WindowsCodePage(UINT codePage = CP_ACP) noexcept : codePage_(codePage) {}

    [[nodiscard]] std::wstring toWide(std::string_view text) const override;
    [[nodiscard]] std::optional<std::string> fromWideExact(std::wstring_view text) const override;

private:
    UINT codePage_;
};

// The system's ANSI code page. Immutable, so any thread may use it.
[[nodiscard]] const CodePage& systemCodePage();

}  // namespace likenex
