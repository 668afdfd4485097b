#pragma once
// What the screens ask of the program, as small interfaces: each screen is given the few it
// uses in its constructor. The application implements them; the screens' tests record the
// calls.

#include "net/ProtocolMessage.h"
#include "screens/Settings.h"

#include <string>
#include <string_view>

namespace likenex {

class AvatarModel;

// The main window itself.
class WindowControl {
public:
    virtual ~WindowControl() = default;
    // The main window to the notification area.
    virtual void hideToTray() = 0;
    // Asks in a dialog whether to quit; the answer decides.
    virtual void askToQuit() = 0;
    // Lets the system move the main window with the mouse, from a press on the frame's bands.
    virtual void moveWindowWithMouse() = 0;
};

// The web browser and the file browser.
class WebPages {
public:
    virtual ~WebPages() = default;
    // Opens a page of the service's web site; `path` is joined to its address.
    virtual void openWebPage(std::string_view path) = 0;
    // A full address (the stored avatar's page).
    virtual void openAddress(std::string_view address) = 0;
    // A folder of the computer in its file browser.
    virtual void openFolder(std::wstring_view folder) = 0;
    // The account registration page: the address the installation names, else the site's.
    virtual void openRegistrationPage() = 0;
    // The service's web address as shown to the user.
    [[nodiscard]] virtual std::wstring webAddressText() const = 0;
};

// The server the program was started with.
class ServerChannel {
public:
    virtual ~ServerChannel() = default;
    // Sends an encoded request; false when no connection could be made. The reply comes to
    // the windows as a window message, whose handler then ends the exchange with
    // closeServerConnection.
    [[nodiscard]] virtual bool sendToServer(const ProtocolMessage& request) = 0;
    virtual void closeServerConnection() = 0;
    // The user asked for an update check: the version query goes to the server.
    virtual void requestVersionCheck() = 0;
};

// The remembered sign-in and the interface language.
class UserSettings {
public:
    virtual ~UserSettings() = default;
    [[nodiscard]] virtual int language() const = 0;
    // Stores the language and switches every text and font to it.
    virtual void changeLanguage(int language) = 0;
    // saveSettings writes them where they are kept.
    [[nodiscard]] virtual Settings& settings() = 0;
    virtual void saveSettings() = 0;
};

// Text in the client's 8-bit code page and back: passwords are digested from it, and the
// server's 8-bit texts are read with it.
class CodePageText {
public:
    virtual ~CodePageText() = default;
    [[nodiscard]] virtual std::string toCodePage(std::u16string_view text) const = 0;
    [[nodiscard]] virtual std::wstring fromCodePage(std::string_view text) const = 0;
};

// The running chat client.
class ChatCommands {
public:
    virtual ~ChatCommands() = default;
    // A command to the client; false when it is not attached or refuses.
    [[nodiscard]] virtual bool sendChatCommand(std::wstring_view command) = 0;
};

// Where the avatar being edited comes from.
class AvatarFactory {
public:
    virtual ~AvatarFactory() = default;
    // Replaces the avatar by a new default one, standing, which becomes the current model.
    virtual AvatarModel* startNewAvatar() = 0;
};

// Joins a path to a web address so that exactly one "/" separates them.
[[nodiscard]] std::string joinWebAddress(std::string_view address, std::string_view path);

}  // namespace likenex
