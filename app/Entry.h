#pragma once
// The process entry of the editor, apart from WinMain itself so that tests can run it.

#include "app/Application.h"

namespace likenex {

inline constexpr int kMainWindowWidth = 654;
inline constexpr int kMainWindowHeight = 537;

// Reads the command line, defers to a running editor or creates, places and shows the main
// window, sends the first server request and runs the frame loop. Returns the frame loop's
// exit code, or 0 when the program stops early or after an error (which the user has been
// shown in a message box).
int runEntry(Application& application, const char* commandLine);

// Centres the window on the primary screen and gives it its rounded corners.
void placeMainWindow(HWND window);

}  // namespace likenex
