#pragma once
// The system's window-message and key numbers the toolkit reads, as plain numbers so that the
// toolkit stays portable (they are fixed by the system: <windows.h> gives them as macros).

#include <cstdint>

namespace likenex::ui {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;

inline constexpr std::uint32_t kActivateApp = 0x001C;
inline constexpr std::uint32_t kKeyDown = 0x0100;
inline constexpr std::uint32_t kKeyUp = 0x0101;
inline constexpr std::uint32_t kChar = 0x0102;
inline constexpr std::uint32_t kSysKeyDown = 0x0104;
inline constexpr std::uint32_t kSysKeyUp = 0x0105;
inline constexpr std::uint32_t kTimer = 0x0113;
inline constexpr std::uint32_t kMouseFirst = 0x0200;  // WM_MOUSEMOVE
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kMouseLast = 0x0209;
inline constexpr std::uint32_t kUserFirst = 0x0400;  // WM_USER

inline constexpr WParam kMkLButton = 0x0001;

inline constexpr WParam kVkBack = 0x08;
inline constexpr WParam kVkTab = 0x09;
inline constexpr WParam kVkReturn = 0x0D;
inline constexpr WParam kVkEscape = 0x1B;
inline constexpr WParam kVkSpace = 0x20;
inline constexpr WParam kVkLeft = 0x25;
inline constexpr WParam kVkUp = 0x26;
inline constexpr WParam kVkRight = 0x27;
inline constexpr WParam kVkDown = 0x28;

[[nodiscard]] constexpr bool isMouseMessage(std::uint32_t message) {
    return message >= kMouseFirst && message <= kMouseLast;
}
[[nodiscard]] constexpr bool isKeyMessage(std::uint32_t message) {
    return message == kKeyDown || message == kKeyUp || message == kSysKeyDown || message == kSysKeyUp;
}

// The signed low and high words of a mouse message's lParam.
[[nodiscard]] constexpr int mouseX(LParam lParam) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lParam & 0xFFFF));
}
[[nodiscard]] constexpr int mouseY(LParam lParam) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF));
}
[[nodiscard]] constexpr LParam mousePosition(int x, int y) {
    return static_cast<LParam>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                               static_cast<std::uint16_t>(x));
}

}  // namespace likenex::ui
