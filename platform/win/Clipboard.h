#pragma once
// The clipboard's text, as UTF-16 (CF_UNICODETEXT).

#include <optional>
#include <string>
#include <string_view>

namespace likenex {

// False when the clipboard could not be opened or the text not handed over.
bool putClipboardText(std::wstring_view text);
// Empty when the clipboard cannot be opened or holds no text.
[[nodiscard]] std::optional<std::wstring> clipboardText();

}  // namespace likenex
