#pragma once
// The editor's link to a running chat client: the client's messages are taken before any
// other handling of the main window, its refusals are shown in the window's message dialog,
// and the screens send it commands as their ChatCommands.

#include "chatlink/win/SkypeLink.h"
#include "screens/ScreenServices.h"

#include <windows.h>

namespace likenex {

namespace ui {
class UiHost;
}

class ChatLink final : public ChatCommands {
public:
    // Refusals are shown in dialogs of the host, which outlives the link.
    explicit ChatLink(ui::UiHost& host) : host_(host) {}

    // Offers the link to the client from the main window; nothing happens without a client.
    void attach(HWND mainWindow);
    // True when the message was the client's; it is then handled.
    [[nodiscard]] bool takesMessage(UINT message, WPARAM wParam, LPARAM lParam);

    [[nodiscard]] bool sendChatCommand(std::wstring_view command) override;

private:
    ui::UiHost& host_;
    SkypeLink link_;
};

}  // namespace likenex
