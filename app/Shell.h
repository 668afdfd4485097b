#pragma once
// The editor's place on the desktop: the main window's tray icon and tray menu, hiding to the
// tray and showing again, the quit question, moving the window with the mouse, the web
// browser and file browser, and how the program ends once the updater runs. The screens reach
// it as their WindowControl and WebPages.

#include "screens/ScreenServices.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace likenex {

class MainWindow;

namespace ui {
class UiHost;
}

// Identifiers of the program's resources and tray commands.
inline constexpr int kIconResource = 101;
inline constexpr UINT kTrayIconId = 101;
inline constexpr int kTrayMenuResource = 103;
inline constexpr int kQuitBitmapResource = 104;
inline constexpr int kShowBitmapResource = 105;
inline constexpr UINT kQuitCommand = 40003;
inline constexpr UINT kShowCommand = 40004;

class Shell final : public WindowControl, public WebPages {
public:
    // The window it places and hides, the toolkit host its questions open in, and the
    // settings whose language picks the tray menu; all outlive it.
    Shell(MainWindow& window, ui::UiHost& host, const UserSettings& settings)
        : window_(window), host_(host), settings_(settings) {}

    void addTrayIcon();
    void removeTrayIcon();
    void showFromTray();

    // The tray icon's notifications, the tray menu's commands and the answer to the quit
    // question: the result when the message was the shell's alone, nothing when the main
    // window should go on with it.
    [[nodiscard]] std::optional<LRESULT> handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // 1 while the quit question is open.
    [[nodiscard]] int quitPending() const { return quitPending_; }

    // WindowControl
    void hideToTray() override;
    void askToQuit() override;
    void moveWindowWithMouse() override;

    // WebPages
    void openWebPage(std::string_view path) override;
    void openAddress(std::string_view address) override;
    void openFolder(std::wstring_view folder) override;
    void openRegistrationPage() override;
    [[nodiscard]] std::wstring webAddressText() const override;

    // Every web page and folder goes through here; tests see the addresses instead of a browser.
    void setWebPageOpener(std::function<void(const std::string&)> opener) { webPageOpener_ = std::move(opener); }
    // How the program ends once the updater runs; tests keep their process.
    void setProgramEnd(std::function<void()> end) { programEnd_ = std::move(end); }
    void endProgram() { programEnd_(); }

private:
    void showTrayMenu(HWND window);

    MainWindow& window_;
    ui::UiHost& host_;
    const UserSettings& settings_;
    std::function<void(const std::string&)> webPageOpener_;
    std::function<void()> programEnd_ = [] { ExitProcess(0); };
    int quitPending_ = 0;
};

}  // namespace likenex
