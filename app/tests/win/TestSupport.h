#pragma once
// Shared pieces of the shell's Windows tests: captured message boxes, recorded server
// requests, a clock driven by the test and a renderer that only records.

#include "app/Application.h"
#include "app/FramePacer.h"
#include "platform/win/MessageBox.h"
#include "render/RenderContext.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace likenex::testing {

// Captures every message box while alive; each is answered with `answer` (or the box's
// default button when answer is 0).
class CapturedMessages {
public:
    explicit CapturedMessages(int answer = 0) {
        setMessageBoxHook([this, answer](const ShownMessage& m) {
            shown.push_back(m);
            return answer ? answer : defaultAnswer(m.type);
        });
    }
    ~CapturedMessages() { setMessageBoxHook({}); }
    std::vector<ShownMessage> shown;
};

class RecordedRequests : public ServerRequests {
public:
    bool sendVersionQuery(const ServerEndpoint& endpoint) override {
        ++versionQueries;
        lastEndpoint = endpoint;
        return connects;
    }
    bool sendOpenAvatar(const ServerEndpoint& endpoint, std::int64_t id) override {
        openedAvatars.push_back(id);
        lastEndpoint = endpoint;
        return connects;
    }
    // False: every request fails as one that finds no server does.
    bool connects = true;
    int versionQueries = 0;
    std::vector<std::int64_t> openedAvatars;
    ServerEndpoint lastEndpoint;
};

// Input as a person gives it to a window: a click as its button going down and up, a key as
// the WM_KEYDOWN, the WM_CHAR that TranslateMessage makes of it and the WM_KEYUP of one press.
class WindowInput {
public:
    explicit WindowInput(HWND window) : window_(window) {}
    ~WindowInput() { setModifiers(false, false); }
    WindowInput(const WindowInput&) = delete;
    WindowInput& operator=(const WindowInput&) = delete;

    void click(int x, int y) const { press(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, x, y); }
    void rightClick(int x, int y) const { press(WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, x, y); }
    void key(WPARAM virtualKey, wchar_t character) const {
        SendMessageW(window_, WM_KEYDOWN, virtualKey, 1);
        SendMessageW(window_, WM_CHAR, character, 1);
        SendMessageW(window_, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
    }
    // Ctrl (and Shift) held with a letter key; the character is the control code it makes.
    void control(char letter, bool shift = false) const {
        setModifiers(true, shift);
        key(static_cast<WPARAM>(letter), static_cast<wchar_t>(letter - 'A' + 1));
        setModifiers(false, false);
    }
    // The thread's key state, as GetKeyState reads it for the program's modifier tests.
    static void setModifiers(bool control, bool shift) {
        std::array<BYTE, 256> keys{};
        (void)GetKeyboardState(keys.data());
        keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        (void)SetKeyboardState(keys.data());
    }

private:
    void press(UINT down, UINT up, WPARAM buttons, int x, int y) const {
        SendMessageW(window_, down, buttons, MAKELPARAM(x, y));
        SendMessageW(window_, up, 0, MAKELPARAM(x, y));
    }

    HWND window_;
};

// Time moves only when the test (or a wait) moves it. A timed wait passes at once, its time
// added; a wait for input alone really waits for a message.
class TestClock : public FrameClock {
public:
    std::uint32_t loopTime() override { return now; }
    void waitForInput(std::uint32_t ms) override {
        waits.push_back(ms);
        if (ms == kWaitForInput) {
            (void)MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            return;
        }
        now += ms;
    }
    std::uint32_t now = 1000;
    std::vector<std::uint32_t> waits;
};

// A back end that draws nothing and records what was asked of it.
struct RecordingRenderer {
    static std::vector<std::string>& calls();
    static int endFrameResult;
    static bool openGlStarts;
    static bool direct3DStarts;
    static void reset();
    static void install(RenderContext& context, BackEndKind kind);
    static bool start(HWND window, BackEndKind kind, RenderContext& context);
    static void stop(RenderContext& context);
    static int maxTextureSize(const RenderContext& context);
    static int maxTextureSizeValue;
    // What a start that fails reports to be shown; empty for nothing.
    static std::wstring startFailureText;
};

// The application on the program directory; its first frame runs `onFirstFrame`, then the
// window closes.
class StartedApplication : public Application {
public:
    explicit StartedApplication(bool realRenderer = false) {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        if (!realRenderer)
            setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop,
                                 &RecordingRenderer::maxTextureSize);
        server().setRequests(&requests);
    }
    void updateFrame() override {
        Application::updateFrame();
        if (frames++ == 0 && onFirstFrame) onFirstFrame();
        PostMessageW(window(), WM_CLOSE, 0, 0);
    }
    RecordedRequests requests;
    int frames = 0;
    std::function<void()> onFirstFrame;
};

}  // namespace likenex::testing
