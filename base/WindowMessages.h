#pragma once
// Every private window message of the programs, in one place. The numbers are fixed: other
// processes (a second Likenex, the updater) send some of them. Portable code uses them too
// (the avatar model, the toolkit, the network), so they are plain numbers here rather than
// WM_USER sums from <windows.h>; kUserMessageBase is WM_USER.
//
// Every message above kUserMessageBase is offered to every open window of the window stack,
// so a window that asked for an answer recognises it by its two values.

#include <cstdint>

namespace likenex {

inline constexpr std::uint32_t kUserMessageBase = 0x0400;

// Sent by the message dialog to the main window when a dialog with buttons is confirmed or
// dismissed; wParam and lParam are the two values its opener gave. Received by the
// application (quit confirmation) and by every open window.
inline constexpr std::uint32_t WM_DIALOG_OK = kUserMessageBase + 1;      // 1025
inline constexpr std::uint32_t WM_DIALOG_CANCEL = kUserMessageBase + 2;  // 1026

// Sent by the shell to the main window for the tray icon; wParam is the icon identifier,
// lParam the mouse message. Received by the application.
inline constexpr std::uint32_t WM_TRAY_NOTIFY = kUserMessageBase + 5;  // 1029

// Sent by the avatar model (through its action-ended sink) to the main window when a
// non-repeating action ends; wParam is the action, lParam a value of the avatar record.
// Received by the screens that replay scripts, through the window stack.
inline constexpr std::uint32_t WM_AVATAR_ACTION_END = kUserMessageBase + 125;  // 1149

// Sent by the network's dispatcher thread to the main window, synchronously, one per reply
// from the server; wParam is the length and lParam the bytes of the reply. Received by the
// application (version reply) and the editor (save and avatar replies).
inline constexpr std::uint32_t WM_SAVE_REPLY = kUserMessageBase + 201;     // 1225
inline constexpr std::uint32_t WM_VERSION_REPLY = kUserMessageBase + 202;  // 1226
inline constexpr std::uint32_t WM_AVATAR_REPLY = kUserMessageBase + 203;   // 1227

// Posted by a second Likenex to the first one's main window; wParam is the high and lParam
// the low 32 bits of the avatar to open. Received by the application.
inline constexpr std::uint32_t WM_OPEN_AVATAR = kUserMessageBase + 204;  // 1228

// The tag (dwData) of the WM_COPYDATA record in which a second Likenex, started with an avatar
// code, sends that code to the first one's main window; the record holds the code's characters
// and a terminating zero, counted in cbData. Received by the application, which asks whether
// to open it. The chat client's replies come as WM_COPYDATA too: the tag, an arbitrary value
// spelling "LKAC", keeps the two apart.
inline constexpr std::uintptr_t kCopyDataAvatarCode = 0x4C4B4143u;

// Posted by the server connection to the main window when an exchange ends without a reply:
// no reply within its time limit, or the connection of a request that had to wait for an
// earlier exchange could not be made. wParam is the request's message type. Received by the
// application, which tells the user as for any connection failure.
inline constexpr std::uint32_t WM_SERVER_FAILED = kUserMessageBase + 205;  // 1229

// Posted by the updater, as it ends without installing, to a window of class "CLASSNAME";
// wParam 1, lParam 0.
inline constexpr std::uint32_t WM_UPDATE_FINISHED = kUserMessageBase + 100;  // 1124

}  // namespace likenex
