#pragma once
// The system's 8-bit code page (paths, registry values, the wire's 8-bit texts) behind one
// small interface, so that code above the platform converts without knowing which code page,
// or which operating system, is underneath.

#include <optional>
#include <string>
#include <string_view>

namespace likenex {

class CodePage {
public:
    virtual ~CodePage() = default;

    // Bytes the code page cannot decode become U+FFFD.
    [[nodiscard]] virtual std::wstring toWide(std::string_view text) const = 0;

    // Empty when a character has no exact spelling in the code page: a best-fit guess would
    // name another file or send another text.
    [[nodiscard]] virtual std::optional<std::string> fromWideExact(std::wstring_view text) const = 0;
};

}  // namespace likenex
