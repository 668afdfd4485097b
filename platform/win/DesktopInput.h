#pragma once
// The desktop's cursor and keyboard as the toolkit reads them.

#include <windows.h>

#include <optional>

namespace likenex {

// The cursor in the window's client coordinates; empty when it cannot be read.
[[nodiscard]] std::optional<POINT> cursorInClient(HWND window);
[[nodiscard]] bool shiftKeyDown();
// Shows a cursor of the module's resources.
void showCursorResource(HINSTANCE instance, int resourceId);

// A window timer; starting one that runs restarts it.
void startWindowTimer(HWND window, UINT_PTR id, UINT milliseconds);
void stopWindowTimer(HWND window, UINT_PTR id);

// Places the input method's composition window of the window's default input context.
void placeCompositionWindow(HWND window, POINT at);

}  // namespace likenex
