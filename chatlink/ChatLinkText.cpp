#include "chatlink/ChatLinkText.h"

#include "base/Text.h"

#include <algorithm>

namespace likenex {

std::string chatReplyLine(std::uintptr_t dataValue, std::span<const char> data) {
    std::string line = "Skype(" + std::to_string(static_cast<unsigned>(dataValue)) + "): ";
    // The reply's text stops at its first zero, as a C string would.
    const auto end = std::find(data.begin(), data.end(), '\0');
    line.append(data.begin(), end);
    line += '\n';
    if (line.size() > kChatReplyBuffer - 1) line.resize(kChatReplyBuffer - 1);
    return line;
}

std::u16string chatReplyText(std::string_view line) {
    std::u16string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        if (const std::optional<char32_t> c = text::decodeUtf8(line, i)) {
            text::appendUtf16(out, *c);
        } else {
            text::appendUtf16(out, text::kReplacementCharacter);
            ++i;
        }
    }
    return out;
}

std::string_view attachStatusLine(std::intptr_t status) {
    switch (status) {
    case kAttachSuccess: return "!!! Connected; to terminate issue #disconnect\n";
    case kAttachPending: return "!!! Pending authorization\n";
    case kAttachRefused: return "!!! Connection refused\n";
    case kAttachNotAvailable: return "!!! Skype API not available\n";
    case kAttachAvailable: return "!!! Try connect now (API available); issue #connect\n";
    default: return {};
    }
}

std::string chatCommandBytes(std::u16string_view command) {
    std::optional<std::string> utf8 = text::utf8FromUtf16Strict(command);
    if (!utf8) throw ChatCommandError();
    utf8->push_back('\0');
    return *utf8;
}

}  // namespace likenex
