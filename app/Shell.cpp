#include "app/Shell.h"

#include "app/MainWindow.h"
#include "base/Constants.h"
#include "base/Text.h"
#include "base/WindowMessages.h"
#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"
#include "platform/win/Registry.h"
#include "screens/TextIds.h"
#include "ui/MessageDialog.h"

#include <shellapi.h>

namespace likenex {
namespace {

NOTIFYICONDATAW trayIconRecord(HWND window, HINSTANCE instance, bool withIcon) {
    NOTIFYICONDATAW record{};
    // The first form of the record: nothing newer than the tip is needed.
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAY_NOTIFY;
    if (withIcon) record.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    wcscpy(record.szTip, L"Likenex");
    return record;
}

}  // namespace

void Shell::addTrayIcon() {
    NOTIFYICONDATAW record = trayIconRecord(window_.window(), window_.instance(), true);
    Shell_NotifyIconW(NIM_ADD, &record);
}

void Shell::removeTrayIcon() {
    NOTIFYICONDATAW record = trayIconRecord(window_.window(), window_.instance(), false);
    Shell_NotifyIconW(NIM_DELETE, &record);
}

void Shell::hideToTray() {
    window_.setActive(false);
    ShowWindow(window_.window(), SW_HIDE);
    addTrayIcon();
}

void Shell::showFromTray() {
    window_.setActive(true);
    ShowWindow(window_.window(), SW_SHOW);
    removeTrayIcon();
}

void Shell::askToQuit() {
    (void)ui::showMessageDialog(host_, host_.uiText(kTextConfirmQuit), host_.uiText(kTextDialogTitle),
                                ui::DialogStyle::okCancel, 0, 0);
    quitPending_ = 1;
}

void Shell::moveWindowWithMouse() {
    // The system moves the window as if its caption had been pressed, for as long as the
    // button is held; a press that is no longer held (or never was) moves nothing. The state
    // read is the physical button's, so with swapped buttons the logical left one is the
    // physical right one.
    const int primaryButton = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    if (GetAsyncKeyState(primaryButton) >= 0) return;
    ReleaseCapture();
    SendMessageW(window_.window(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void Shell::showTrayMenu(HWND window) {
    const HINSTANCE instance = window_.instance();
    UniqueMenu menu(LoadMenuW(instance, MAKEINTRESOURCEW(kTrayMenuResource)));
    if (!menu) return;
    // One popup per language, in language-index order.
    HMENU popup = GetSubMenu(menu.get(), settings_.language());
    if (!popup) return;
    UniqueBitmap showBitmap(LoadBitmapW(instance, MAKEINTRESOURCEW(kShowBitmapResource)));
    UniqueBitmap quitBitmap(LoadBitmapW(instance, MAKEINTRESOURCEW(kQuitBitmapResource)));
    SetMenuItemBitmaps(popup, kShowCommand, MF_BYCOMMAND, showBitmap.get(), showBitmap.get());
    SetMenuItemBitmaps(popup, kQuitCommand, MF_BYCOMMAND, quitBitmap.get(), quitBitmap.get());
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, window, nullptr);
}

std::optional<LRESULT> Shell::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TRAY_NOTIFY:
        if (wParam == kTrayIconId) {
            if (lParam == WM_LBUTTONDBLCLK) showFromTray();
            else if (lParam == WM_RBUTTONDOWN) showTrayMenu(window);
        }
        return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) == kShowCommand) {
            showFromTray();
        } else if (LOWORD(wParam) == kQuitCommand) {
            showFromTray();
            askToQuit();
        }
        return 1;
    case WM_DIALOG_OK:
        if (quitPending_ == 1) {
            PostMessageW(window, WM_QUIT, 0, 0);
            return 1;
        }
        return std::nullopt;
    case WM_DIALOG_CANCEL: quitPending_ = 0; return std::nullopt;
    default: return std::nullopt;
    }
}

void Shell::openWebPage(std::string_view path) { openAddress(joinWebAddress(kDefaultWebAddress, path)); }

void Shell::openAddress(std::string_view address) {
    const std::string text(address);
    if (webPageOpener_) webPageOpener_(text);
    else ShellExecuteA(nullptr, nullptr, "iexplore", text.c_str(), nullptr, SW_SHOW);
}

void Shell::openFolder(std::wstring_view folder) {
    const std::wstring directory(folder);
    if (webPageOpener_) webPageOpener_(text::utf8FromWide(directory));
    else ShellExecuteW(nullptr, L"open", nullptr, nullptr, directory.c_str(), SW_SHOW);
}

void Shell::openRegistrationPage() {
    if (auto value = readUserOrMachineValue(kVersionKey, "regurl", 200); value && !value->empty()) {
        std::string address(value->begin(), value->end());
        address = address.substr(0, address.find('\0'));
        if (!address.empty()) {
            openAddress(address);
            return;
        }
    }
    openWebPage("?c=reg");
}

std::wstring Shell::webAddressText() const { return systemCodePage().toWide(kDefaultWebAddress); }

}  // namespace likenex
