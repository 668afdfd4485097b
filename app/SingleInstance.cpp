#include "app/SingleInstance.h"
#include "base/WindowMessages.h"

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "platform/win/Handles.h"

#include <string>

namespace likenex {
namespace {

// Held for the life of the process; the system removes the semaphore when it ends.
UniqueHandle& instanceSemaphore() {
    static UniqueHandle semaphore;
    return semaphore;
}

}  // namespace

HWND findRunningInstance() {
    UniqueHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, kInstanceName));
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        instanceSemaphore() = std::move(semaphore);
        // A class no window of ours has: in normal use this finds nothing.
        return FindWindowW(L"CLASSNAME", L"Likenex");
    }
    semaphore.reset();

    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window && IsWindow(window);
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetPropW(window, kInstanceName)) {
            ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
            SetForegroundWindow(GetLastActivePopup(window));
            return window;
        }
    }
    // The other instance may still be starting and not have marked its window yet: this
    // process goes on as an editor of its own.
    return nullptr;
}

void markAsRunningInstance(HWND window) { SetPropW(window, kInstanceName, reinterpret_cast<HANDLE>(1)); }

void forwardOpenAvatar(HWND runningEditor, std::int64_t avatarId) {
    AvatarIdHalves halves = splitAvatarId(avatarId);
    PostMessageW(runningEditor, WM_OPEN_AVATAR, halves.high, static_cast<LPARAM>(halves.low));
}

bool forwardAvatarCode(HWND runningEditor, std::string_view code) {
    // The record's data must stay alive until the editor has copied it, so the code is sent,
    // not posted; a hung editor must not hold this process, hence the time limit.
    std::string bytes = forwardedCodeBytes(code);
    COPYDATASTRUCT record{};
    record.dwData = kCopyDataAvatarCode;
    record.cbData = static_cast<DWORD>(bytes.size());
    record.lpData = bytes.data();
    DWORD_PTR answer = 0;
    const LRESULT sent = SendMessageTimeoutW(runningEditor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                                             SMTO_ABORTIFHUNG, 5000, &answer);
    return sent != 0 && answer != 0;
}

}  // namespace likenex
