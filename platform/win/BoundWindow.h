#pragma once
// Binds a window to the C++ object that handles its messages. The object is given as the
// creation parameter (CreateWindowExW's last argument, or DialogBoxParamW's parameter) and
// kept in the window's own user data from the first message that carries it, so no window
// procedure needs a global to find its object, and several objects of one class each get
// their own window's messages.
//
// A window class's procedure is BoundWindow<T>::windowProc, and T has
//     LRESULT handleWindowMessage(HWND, UINT, WPARAM, LPARAM);
// a dialog's procedure is BoundWindow<T>::dialogProc, and T has
//     INT_PTR handleDialogMessage(HWND, UINT, WPARAM, LPARAM);
// Either may be private when T befriends BoundWindow<T>. Both are called on the window's
// thread and must not throw: an exception cannot unwind through the system's frames.

#include <windows.h>

namespace likenex {

template <typename T>
class BoundWindow {
public:
    BoundWindow() = delete;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        // WM_NCCREATE is the first message that carries the creation parameter; the few that
        // come before it (WM_GETMINMAXINFO) have no object yet and get the default handling.
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        if (T* target = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            return target->handleWindowMessage(window, message, wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        // A dialog's parameter comes with WM_INITDIALOG; before it the dialog manager's
        // default handling stands (FALSE).
        if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
        if (T* target = reinterpret_cast<T*>(GetWindowLongPtrW(window, DWLP_USER)))
            return target->handleDialogMessage(window, message, wParam, lParam);
        return FALSE;
    }
};

}  // namespace likenex
