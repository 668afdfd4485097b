#pragma once
// What the screens ask of the application: the window, the web, the server and the
// settings. The application implements it; tests record the calls.

#include "net/ProtocolMessage.h"
#include "screens/Settings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace likenex {

class AvatarModel;

class ScreenActions {
public:
    virtual ~ScreenActions() = default;

    // The main window to the notification area.
    virtual void hideToTray() = 0;
    // Asks in a dialog whether to quit; the answer decides.
    virtual void askToQuit() = 0;
    // Lets the system move the main window with the mouse, from a press on the frame's bands.
    virtual void moveWindowWithMouse() = 0;
    // Opens a page of the service's web site in the browser; `path` is joined to its address.
    virtual void openWebPage(std::string_view path) = 0;
    // The user asked for an update check: the version query goes to the server.
    virtual void requestVersionCheck() = 0;
    [[nodiscard]] virtual int language() const = 0;
    // Stores the language and switches every text and font to it.
    virtual void changeLanguage(int language) = 0;
    // The service's web address as shown to the user.
    [[nodiscard]] virtual std::wstring webAddressText() const = 0;
    // Replaces the avatar by a new default one, standing, which becomes the current model.
    virtual AvatarModel* startNewAvatar() = 0;
    // The account registration page: the address the installation names, else the site's.
    virtual void openRegistrationPage() = 0;

    // The remembered sign-in and the language; saveSettings writes them where they are kept.
    [[nodiscard]] virtual Settings& settings() = 0;
    virtual void saveSettings() = 0;

    // Sends an encoded request to the server the program was started with; false when no
    // connection could be made. The reply comes to the windows as a window message, whose
    // handler then ends the exchange with closeServerConnection.
    [[nodiscard]] virtual bool sendToServer(const ProtocolMessage& request) = 0;
    virtual void closeServerConnection() = 0;

    // A full address in the web browser (the stored avatar's page).
    virtual void openAddress(std::string_view address) = 0;
    // A folder of the computer in its file browser.
    virtual void openFolder(std::wstring_view folder) = 0;
    // Where exported pictures go: the program directory's photo folder.
    [[nodiscard]] virtual std::wstring pictureFolder() const = 0;
    // Writes a 96 by 96 picture (BGRA, top row first) into the picture folder as a BMP named
    // after the tick count; its path, or nothing when the folder or file cannot be written.
    [[nodiscard]] virtual std::optional<std::wstring> writePicture(std::span<const std::uint8_t> pixels) = 0;
    // Writes a file whole (the export's other pictures); false when it cannot be written.
    [[nodiscard]] virtual bool writeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) = 0;
    // A command to the running chat client; false when it is not attached or refuses.
    [[nodiscard]] virtual bool sendChatCommand(std::wstring_view command) = 0;

    // Text in the client's 8-bit code page and back: passwords are digested from it, and the
    // server's 8-bit texts are read with it.
    [[nodiscard]] virtual std::string toCodePage(std::u16string_view text) const = 0;
    [[nodiscard]] virtual std::wstring fromCodePage(std::string_view text) const = 0;
};

// The installed actions (UI thread only); screens must not be made before they are set.
[[nodiscard]] ScreenActions& screenActions();
void setScreenActions(ScreenActions* actions);

// Joins a path to a web address so that exactly one "/" separates them.
[[nodiscard]] std::string joinWebAddress(std::string_view address, std::string_view path);

}  // namespace likenex
