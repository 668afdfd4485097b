#pragma once
// The editor's application object: the one concrete MainWindow. It holds what the whole
// run needs (server endpoint, the avatar asked for on the command line, quit confirmation,
// tray icon) and adds its own window-message handling before the base procedure.

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/ServerRequests.h"

#include <cstdint>
#include <string>

namespace likenex {

// Identifiers of the program's resources and tray commands.
inline constexpr int kIconResource = 101;
inline constexpr UINT kTrayIconId = 101;
inline constexpr int kTrayMenuResource = 103;
inline constexpr int kQuitBitmapResource = 104;
inline constexpr int kShowBitmapResource = 105;
inline constexpr UINT kQuitCommand = 40003;
inline constexpr UINT kShowCommand = 40004;

// Interface text numbers the shell shows.
inline constexpr int kTextDialogTitle = 115;
inline constexpr int kTextConfirmQuit = 501;

// Start-up state: 0 until start-up ends, 1 after it, 2 once the user asked for a version check.
std::uint8_t& startupState();

class Application : public MainWindow {
public:
    Application();
    ~Application() override;

    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void updateFrame() override;
    void startup() override;
    void shutdown() override;

    // Takes what the command line asked for (before anything else reads the endpoint).
    void setCommandLineRequest(const CommandLineRequest& request);
    [[nodiscard]] const ServerEndpoint& serverEndpoint() const { return endpoint_; }
    [[nodiscard]] std::int64_t pendingAvatarId() const { return pendingAvatarId_; }
    [[nodiscard]] bool editRequested() const { return editRequested_; }
    [[nodiscard]] int quitPending() const { return quitPending_; }
    [[nodiscard]] int languageIndex() const { return languageIndex_; }

    [[nodiscard]] ServerRequests& serverRequests() { return *requests_; }
    // Tests record the requests; null restores the network requests.
    void setServerRequests(ServerRequests* requests) { requests_ = requests ? requests : &networkRequests_; }

    void addTrayIcon();
    void removeTrayIcon();

    // Opens the in-window message dialog: style 0 text only, 1 with confirm and cancel
    // buttons that answer with WM_DIALOG_OK or WM_DIALOG_CANCEL carrying the two values.
    void showMessageDialog(const std::wstring& text, const std::wstring& title, int style, WPARAM wParamValue,
                           LPARAM lParamValue);
    // An interface text of the current language by number.
    [[nodiscard]] std::wstring uiText(int id) const;

    // The chat-client link: its message filter and its attachment to the main window.
    [[nodiscard]] bool chatLinkTakesMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void attachChatLink();

private:
    LRESULT onVersionReply(WPARAM wParam, LPARAM lParam);
    void showTrayMenu(HWND window);
    void showFromTray();

    ServerEndpoint endpoint_;
    std::int64_t pendingAvatarId_ = 0;
    bool editRequested_ = false;
    int languageIndex_ = 0;
    int quitPending_ = 0;
    NetworkServerRequests networkRequests_;
    ServerRequests* requests_ = &networkRequests_;
};

}  // namespace likenex
