#include "platform/win/DesktopInput.h"

#include <imm.h>

namespace likenex {

std::optional<POINT> cursorInClient(HWND window) {
    POINT point{};
    if (!GetCursorPos(&point) || !ScreenToClient(window, &point)) return std::nullopt;
    return point;
}

// The state as of the message being handled, not as of now.
bool shiftKeyDown() { return GetKeyState(VK_SHIFT) < 0; }

void showCursorResource(HINSTANCE instance, int resourceId) {
    // Cursors loaded from resources are shared: they are never destroyed.
    if (HCURSOR cursor = LoadCursorW(instance, MAKEINTRESOURCEW(resourceId))) SetCursor(cursor);
}

void startWindowTimer(HWND window, UINT_PTR id, UINT milliseconds) {
    if (window) SetTimer(window, id, milliseconds, nullptr);
}

void stopWindowTimer(HWND window, UINT_PTR id) {
    if (window) KillTimer(window, id);
}

namespace {

// An input context taken from a window, given back when this ends.
class InputContext {
public:
    explicit InputContext(HWND window) : window_(window), context_(window ? ImmGetContext(window) : nullptr) {}
    ~InputContext() {
        if (context_) ImmReleaseContext(window_, context_);
    }
    InputContext(const InputContext&) = delete;
    InputContext& operator=(const InputContext&) = delete;
    [[nodiscard]] HIMC get() const { return context_; }

private:
    HWND window_;
    HIMC context_;
};

}  // namespace

void placeCompositionWindow(HWND window, POINT at) {
    HWND imeWindow = window ? ImmGetDefaultIMEWnd(window) : nullptr;
    InputContext context(imeWindow ? imeWindow : window);
    if (!context.get()) return;
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos = at;
    ImmSetCompositionWindow(context.get(), &form);
}

}  // namespace likenex
