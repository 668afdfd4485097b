#include "chatlink/win/SkypeLink.h"

#include "chatlink/ChatLinkText.h"

#include <cstdio>

namespace likenex {

bool SkypeLink::start(HWND ownWindow) {
    ownWindow_ = ownWindow;
    attachMessage_ = RegisterWindowMessageW(L"SkypeControlAPIAttach");
    discoverMessage_ = RegisterWindowMessageW(L"SkypeControlAPIDiscover");
    return attachMessage_ != 0 && discoverMessage_ != 0 && discover();
}

bool SkypeLink::discover() const {
    if (discoverMessage_ == 0) return false;
    return SendMessageW(HWND_BROADCAST, discoverMessage_, reinterpret_cast<WPARAM>(ownWindow_), 0) != 0;
}

bool SkypeLink::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        // Only the attached client's replies are the link's; anything else goes on.
        if (!chatWindow_ || reinterpret_cast<HWND>(wParam) != chatWindow_) return false;
        const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!record) return true;
        const std::span<const char> data(static_cast<const char*>(record->lpData), record->lpData ? record->cbData : 0);
        lastReply_ = chatReplyLine(record->dwData, data);
        return true;
    }
    if (attachMessage_ != 0 && message == attachMessage_) {
        // A status is not a reply: the line kept from an earlier reply must not be shown again.
        lastReply_.clear();
        const std::string_view line = attachStatusLine(lParam);
        if (!line.empty()) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
        }
        if (lParam == kAttachSuccess) chatWindow_ = reinterpret_cast<HWND>(wParam);
        return true;
    }
    return false;
}

bool SkypeLink::sendCommand(std::u16string_view command) {
    if (!chatWindow_) {
        (void)discover();
        return false;
    }
    std::string bytes = chatCommandBytes(command);
    if (bytes.size() <= 1) return false;
    COPYDATASTRUCT record{};
    record.dwData = 1;
    record.cbData = static_cast<DWORD>(bytes.size());
    record.lpData = bytes.data();
    auto send = [&] {
        return SendMessageW(chatWindow_, WM_COPYDATA, reinterpret_cast<WPARAM>(ownWindow_),
                            reinterpret_cast<LPARAM>(&record)) != 0;
    };
    if (send()) return true;
    if (discover() && send()) return true;
    chatWindow_ = nullptr;
    std::fputs("!!! Disconnected\n", stdout);
    std::fflush(stdout);
    return false;
}

}  // namespace likenex
