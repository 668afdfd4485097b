#include "platform/win/DesktopInput.h"

namespace likenex {

std::optional<POINT> cursorInClient(HWND window) {
    POINT point{};
    if (!GetCursorPos(&point) || !ScreenToClient(window, &point)) return std::nullopt;
    return point;
}

bool shiftKeyDown() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

void showCursorResource(HINSTANCE instance, int resourceId) {
    // Cursors loaded from resources are shared: they are never destroyed.
    if (HCURSOR cursor = LoadCursorW(instance, MAKEINTRESOURCEW(resourceId))) SetCursor(cursor);
}

}  // namespace likenex
