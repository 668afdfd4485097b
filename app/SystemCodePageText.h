#pragma once
// Text in the system's 8-bit code page and back, as the screens need it for passwords and the
// server's 8-bit texts.

#include "screens/ScreenServices.h"

namespace likenex {

class SystemCodePageText final : public CodePageText {
public:
    // A character the code page cannot spell has no byte to digest or send: it becomes "?".
    [[nodiscard]] std::string toCodePage(std::u16string_view text) const override;
    [[nodiscard]] std::wstring fromCodePage(std::string_view text) const override;
};

}  // namespace likenex
