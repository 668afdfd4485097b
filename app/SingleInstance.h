#pragma once
// One editor per logged-on user: the named semaphore tells whether another is running, the
// window property marks its window, and a second start forwards its avatar request there.

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace likenex {

inline constexpr wchar_t kInstanceName[] = L"Tovik Avatar";  // semaphore and window property

// Returns the window of an editor that is already running (restored and brought to the
// front), or null when this process is to become the editor. The first instance's
// semaphore stays open until the process ends.
[[nodiscard]] HWND findRunningInstance();

// Marks the main window so that later starts find it.
void markAsRunningInstance(HWND window);

// Asks the running editor to open an avatar: the id travels as its high and low halves.
void forwardOpenAvatar(HWND runningEditor, std::int64_t avatarId);

// Hands an avatar code to the running editor (WM_COPYDATA, see kCopyDataAvatarCode); true when
// the editor took it. An editor that does not answer within a few seconds is given up.
bool forwardAvatarCode(HWND runningEditor, std::string_view code);

}  // namespace likenex
