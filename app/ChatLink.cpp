#include "app/ChatLink.h"

#include "base/Text.h"
#include "chatlink/ChatLinkText.h"
#include "screens/TextIds.h"
#include "ui/MessageDialog.h"

namespace likenex {

void ChatLink::attach(HWND mainWindow) { (void)link_.start(mainWindow); }

bool ChatLink::takesMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!link_.handleMessage(message, wParam, lParam)) return false;
    // The chat client's refusals are shown; its other answers are only kept.
    const std::string reply = link_.lastReply();
    if (reply.find("ERROR") != std::string::npos)
        (void)ui::showMessageDialog(host_, text::wideFromUtf16(chatReplyText(reply)), host_.uiText(kTextDialogTitle),
                                    ui::DialogStyle::okOnly, 0, 0);
    return true;
}

bool ChatLink::sendChatCommand(std::wstring_view command) {
    try {
        return link_.sendCommand(text::utf16FromWide(command));
    } catch (const ChatCommandError&) {
        // A path the chat client could not read is a failed command, not the end of the program.
        return false;
    }
}

}  // namespace likenex
