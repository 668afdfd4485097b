// A small Windows program that scripts and measurements use to act on a running editor
// from outside, as a user would with the mouse.
//
//   likenex-window-ctl wait [SECONDS]   waits until an editor window is up (exit 1 on timeout)
//   likenex-window-ctl minimise | restore | close
//   likenex-window-ctl click X Y        a left click at a point of the window's client area
//   likenex-window-ctl clicks PAUSE_MS COUNT X Y [X Y ...]
//                                       COUNT left clicks posted to the window, at the points
//                                       of its client area in turn, PAUSE_MS apart
//   likenex-window-ctl input-clicks PAUSE_MS COUNT X Y [X Y ...]
//                                       the same as mouse input, through the cursor
//   likenex-window-ctl memory           the editor process's working set and its peak, in KiB
//   likenex-window-ctl type TEXT        the characters of TEXT, as typed (ASCII)
//   likenex-window-ctl send MSG W L     a window message with its two values, sent
//   likenex-window-ctl update-wait TEXT [SECONDS]
//                                       waits until the updater's status line says TEXT
//   likenex-window-ctl update-press action | close
//                                       presses one of the updater's two buttons
//
// The editor is found by its window class and the instance property it carries, the updater
// by its dialog's title and status line.
#include "platform/win/Handles.h"
#include "update/win/UpdateResources.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND findEditor() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t className[32]{};
            GetClassNameW(window, className, 32);
            if (wcscmp(className, L"Likenex") == 0 && GetPropW(window, L"Tovik Avatar")) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND findUpdater() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t title[32]{};
            GetWindowTextW(window, title, 32);
            if (wcscmp(title, L"Update") == 0 && GetDlgItem(window, IDC_STATUS)) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string updaterStatus(HWND updater) {
    char text[256]{};
    if (updater) GetDlgItemTextA(updater, IDC_STATUS, text, sizeof text);
    return text;
}

int updaterCommand(int argc, char** argv) {
    const char* command = argv[1];
    if (std::strcmp(command, "update-wait") == 0 && (argc == 3 || argc == 4)) {
        const int seconds = argc > 3 ? std::atoi(argv[3]) : 30;
        std::string last;
        for (int waited = 0; waited <= seconds * 10; ++waited) {
            last = updaterStatus(findUpdater());
            if (last == argv[2]) return 0;
            Sleep(100);
        }
        std::fprintf(stderr, "likenex-window-ctl: the updater says \"%s\" after %d s\n", last.c_str(), seconds);
        return 1;
    }
    if (std::strcmp(command, "update-press") == 0 && argc == 3) {
        const int control = std::strcmp(argv[2], "action") == 0  ? IDC_ACTION
                            : std::strcmp(argv[2], "close") == 0 ? IDC_CLOSE
                                                                 : 0;
        HWND updater = findUpdater();
        if (!control || !updater) {
            std::fprintf(stderr, "likenex-window-ctl: no updater, or no button \"%s\"\n", argv[2]);
            return 1;
        }
        PostMessageW(updater, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(updater, control)));
        return 0;
    }
    return -1;
}

// Posted clicks wait in the editor's queue as real ones do and carry the time they were
// posted, which the editor's click log measures from. Clicks given as input take the system's
// whole way instead: the cursor is moved to the point and the button pressed there, so the
// window under the cursor gets them (the editor must not be covered).
int clickSeries(HWND editor, int argc, char** argv, bool asInput) {
    const int pause = std::atoi(argv[2]), count = std::atoi(argv[3]);
    std::vector<POINT> points;
    for (int i = 4; i + 1 < argc; i += 2) points.push_back({std::atoi(argv[i]), std::atoi(argv[i + 1])});
    if (points.empty() || (argc - 4) % 2 != 0 || count < 0 || pause < 0) return -1;
    for (int i = 0; i < count; ++i) {
        POINT at = points[static_cast<std::size_t>(i) % points.size()];
        if (asInput) {
            ClientToScreen(editor, &at);
            SetCursorPos(at.x, at.y);
            INPUT presses[2]{};
            presses[0].type = presses[1].type = INPUT_MOUSE;
            presses[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            presses[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(2, presses, sizeof(INPUT));
        } else {
            const LPARAM where = MAKELPARAM(at.x, at.y);
            PostMessageW(editor, WM_MOUSEMOVE, 0, where);
            PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, where);
            PostMessageW(editor, WM_LBUTTONUP, 0, where);
        }
        Sleep(static_cast<DWORD>(pause));
    }
    return 0;
}

int printMemory(HWND editor) {
    DWORD processId = 0;
    GetWindowThreadProcessId(editor, &processId);
    const likenex::UniqueHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!process || !GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) {
        std::fprintf(stderr, "likenex-window-ctl: no memory figures for process %lu\n", processId);
        return 1;
    }
    std::printf("working set %zu KiB, peak %zu KiB\n", counters.WorkingSetSize / 1024,
                counters.PeakWorkingSetSize / 1024);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: likenex-window-ctl wait [SECONDS] | minimise | restore | close | click X Y | "
                 "[input-]clicks PAUSE_MS COUNT X Y [X Y ...] | memory | type TEXT | send MSG W L | "
                 "update-wait TEXT [SECONDS] | update-press action|close\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const char* command = argv[1];
    if (std::strncmp(command, "update-", 7) == 0) {
        const int result = updaterCommand(argc, argv);
        return result < 0 ? usage() : result;
    }
    if (std::strcmp(command, "wait") == 0) {
        int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
        for (int waited = 0; waited < seconds * 10; ++waited) {
            if (findEditor()) return 0;
            Sleep(100);
        }
        std::fprintf(stderr, "likenex-window-ctl: no editor window after %d s\n", seconds);
        return 1;
    }
    HWND editor = findEditor();
    if (!editor) {
        std::fprintf(stderr, "likenex-window-ctl: no editor window\n");
        return 1;
    }
    if (std::strcmp(command, "minimise") == 0) ShowWindow(editor, SW_MINIMIZE);
    else if (std::strcmp(command, "restore") == 0) ShowWindow(editor, SW_RESTORE);
    else if (std::strcmp(command, "close") == 0) PostMessageW(editor, WM_CLOSE, 0, 0);
    else if (std::strcmp(command, "click") == 0 && argc == 4) {
        // Sent, not posted: the click has been handled when this returns.
        const LPARAM at = MAKELPARAM(std::atoi(argv[2]), std::atoi(argv[3]));
        SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(editor, WM_LBUTTONUP, 0, at);
    } else if ((std::strcmp(command, "clicks") == 0 || std::strcmp(command, "input-clicks") == 0) && argc >= 6) {
        return clickSeries(editor, argc, argv, command[0] == 'i') < 0 ? usage() : 0;
    } else if (std::strcmp(command, "memory") == 0) {
        return printMemory(editor);
    } else if (std::strcmp(command, "send") == 0 && argc == 5) {
        SendMessageW(editor, static_cast<UINT>(std::strtoul(argv[2], nullptr, 0)),
                     static_cast<WPARAM>(std::strtoull(argv[3], nullptr, 0)),
                     static_cast<LPARAM>(std::strtoll(argv[4], nullptr, 0)));
    } else if (std::strcmp(command, "type") == 0 && argc == 3) {
        for (const char* c = argv[2]; *c; ++c) SendMessageW(editor, WM_CHAR, static_cast<unsigned char>(*c), 0);
    } else return usage();
    return 0;
}
