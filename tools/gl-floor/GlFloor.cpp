// The start-up floor of the editor: the least a program of ours has to do before its first
// frame. It makes a popup window of the editor's size, starts OpenGL on it as the editor's
// OpenGL back end does, clears one frame and shows it, then waits for WM_CLOSE.
// scripts/measure-startup.sh starts it beside the editor and compares the two.
//
//   likenex-gl-floor
//
// With LIKENEX_TIMING_LOG naming a file, it appends a "step NAME N ms after the process
// started" line as each of its steps ends and "first frame N ms after the process started"
// once the cleared frame has been swapped (its last step, "cleared", ends before the swap),
// in the format and with the measure of the editor's test build. Its window has the editor's
// class name and instance property, so that likenex-window-ctl finds and closes it as it does
// the editor; a running floor therefore stands for an editor to that tool, and the two are
// never run at once.
#include "platform/win/GlContext.h"
#include "platform/win/Handles.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {

constexpr int kClientWidth = 654;
constexpr int kClientHeight = 537;
constexpr wchar_t kClassName[] = L"Likenex";
constexpr wchar_t kInstanceProperty[] = L"Tovik Avatar";

// The time from the creation of this process to now, as the editor's timing log counts it.
std::uint64_t millisecondsSinceProcessStart() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(now) - ticks(created)) / 10000;
}

// Appends "WHAT N ms after the process started" to the timing log, when there is one.
void logTime(const char* what) {
    const std::uint64_t ms = millisecondsSinceProcessStart();
    wchar_t path[1024];
    const DWORD length = GetEnvironmentVariableW(L"LIKENEX_TIMING_LOG", path, 1024);
    if (length == 0 || length >= 1024) return;
    if (FILE* file = _wfopen(path, L"a")) {
        std::fprintf(file, "%s %llu ms after the process started\n", what, static_cast<unsigned long long>(ms));
        std::fclose(file);
    }
}

// The window class, registered for as long as this object lives.
class RegisteredClass {
public:
    RegisteredClass(HINSTANCE instance, WNDPROC windowProc) : instance_(instance) {
        WNDCLASSW windowClass{};
        windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        windowClass.lpszClassName = kClassName;
        registered_ = RegisterClassW(&windowClass) != 0;
    }
    ~RegisteredClass() {
        if (registered_) UnregisterClassW(kClassName, instance_);
    }
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;

    explicit operator bool() const { return registered_; }

private:
    HINSTANCE instance_;
    bool registered_ = false;
};

LRESULT CALLBACK floorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // The window belongs to WinMain's owner, which destroys it when the loop ends.
        PostQuitMessage(0);
        return 0;
    case WM_DESTROY: RemovePropW(window, kInstanceProperty); return 0;
    case WM_PAINT:
        // The one frame has been shown; nothing is drawn again.
        ValidateRect(window, nullptr);
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The pixel format and context of the editor's OpenGL back end (render/win/GlBackend.cpp).
likenex::UniqueGlContext startOpenGl(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &pfd);
    if (format == 0 || !SetPixelFormat(dc, format, &pfd)) return {};
    likenex::UniqueGlContext context(wglCreateContext(dc));
    if (!context || !wglMakeCurrent(dc, context.get())) return {};
    glViewport(0, 0, kClientWidth, kClientHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    return context;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    logTime("step entry");
    const RegisteredClass windowClass(instance, &floorWindowProc);
    if (!windowClass) return 1;

    // A popup has no frame: its window is its client area, centred as the editor places its own.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2;
    likenex::UniqueWindow window(CreateWindowExW(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kClassName, L"Likenex",
                                                 WS_POPUP | WS_MINIMIZEBOX, x, y, kClientWidth, kClientHeight, nullptr,
                                                 nullptr, instance, nullptr));
    if (!window) return 1;
    SetPropW(window.get(), kInstanceProperty, reinterpret_cast<HANDLE>(1));
    logTime("step window");

    // Released before the window goes: declared after it.
    const likenex::WindowDc dc(window.get());
    if (!dc) return 1;
    const likenex::UniqueGlContext context = startOpenGl(dc.get());
    if (!context) return 1;
    logTime("step opengl context");

    ShowWindow(window.get(), SW_SHOW);
    logTime("step window shown");

    // The editor notes its first frame before it swaps; the swap is timed apart for that.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
    logTime("step cleared");
    SwapBuffers(dc.get());
    logTime("first frame");

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
