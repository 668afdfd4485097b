#pragma once
// The link to a chat client running on the same desktop: discovery and attachment through two
// registered window messages, text commands and replies through WM_COPYDATA. The main
// window's procedure hands it every message first. Main window's thread only.

#include <windows.h>

#include <string>
#include <string_view>

namespace likenex {

class SkypeLink {
public:
    // Registers the two messages and asks the chat clients to show themselves; false when
    // the messages cannot be registered or the broadcast is refused.
    bool start(HWND ownWindow);
    // True when the message was the link's (a reply from the attached client, or an attach
    // status); the caller then looks at lastReply and handles the message no further. An
    // attach status clears the kept reply.
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Sends a command; false when no client is attached or it cannot be reached. Throws
    // ChatCommandError for a command with an unpaired surrogate.
    bool sendCommand(std::u16string_view command);

    [[nodiscard]] const std::string& lastReply() const { return lastReply_; }
    [[nodiscard]] HWND chatWindow() const { return chatWindow_; }

private:
    [[nodiscard]] bool discover() const;

    std::string lastReply_;
    UINT attachMessage_ = 0;
    UINT discoverMessage_ = 0;
    HWND ownWindow_ = nullptr;
    HWND chatWindow_ = nullptr;
};

}  // namespace likenex
