#include "app/MainWindow.h"

#include "app/TestSeams.h"
#include "platform/win/MessageBox.h"
#include "render/DeviceResources.h"
#include "render/win/RendererStart.h"

#include <mmsystem.h>

#include <string>
#include <utility>

namespace likenex {
namespace {

class SystemClock : public FrameClock {
public:
    std::uint32_t loopTime() override { return timeGetTime(); }
    void waitForInput(std::uint32_t milliseconds) override {
        // MWMO_INPUTAVAILABLE: a message already in the queue, seen or not, ends the wait too.
        (void)MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds == kWaitForInput ? INFINITE : milliseconds,
                                          QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
};

SystemClock systemClock;

// The text of a standard exception that ends the loop must outlive the exception object:
// the entry shows it after the handler that caught it has finished.
std::string& fatalText() {
    static std::string text;
    return text;
}

}  // namespace

MainWindow::MainWindow()
    : instance_(GetModuleHandleW(nullptr)),
      clock_(&systemClock),
      startRenderer_(&startRenderer),
      stopRenderer_(&stopRenderer),
      maxTextureSize_(&openGlMaxTextureSize) {}

MainWindow::~MainWindow() {
    if (rendererOwned_) stopRenderer_(renderContext_);
    window_.reset();
    if (classRegistered_) UnregisterClassW(kWindowClassName, instance_);
}

void MainWindow::setClock(FrameClock* clock) { clock_ = clock ? clock : &systemClock; }

void MainWindow::setRendererFunctions(RendererStarter start, RendererStopper stop, MaxTextureSizeQuery maxTextureSize) {
    startRenderer_ = start;
    stopRenderer_ = stop;
    maxTextureSize_ = maxTextureSize;
}

bool MainWindow::registerWindowClass() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = &BoundWindow<MainWindow>::windowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(101));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kWindowClassName;
    if (!RegisterClassW(&windowClass)) return false;
    classRegistered_ = true;
    return true;
}

bool MainWindow::create(int rendererChoice) {
    if (!window_) {
        if (!registerWindowClass()) return false;
        if (fullscreen_) {
            DEVMODEW mode{};
            mode.dmSize = sizeof(DEVMODEW);
            mode.dmPelsWidth = static_cast<DWORD>(width_);
            mode.dmPelsHeight = static_cast<DWORD>(height_);
            mode.dmBitsPerPel = 16;
            mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
            if (ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
                int answer = showMessageBox(nullptr,
                                            L"The Requested Fullscreen Mode Is Not Supported By\n"
                                            L"Your Video Card. Use Windowed Mode Instead?",
                                            L"TovikDev", MB_YESNO | MB_ICONEXCLAMATION);
                if (answer != IDYES) {
                    showMessageBox(nullptr, L"Program Will Now Close.", L"Error", MB_OK | MB_ICONSTOP);
                    return false;
                }
                fullscreen_ = false;
            }
        }
        windowStyle_ = WS_POPUP;
        if (fullscreen_) {
            extendedStyle_ = WS_EX_APPWINDOW;
            ShowCursor(FALSE);
        } else {
            extendedStyle_ = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        }
        RECT frame{0, 0, width_, height_};
        AdjustWindowRectEx(&frame, windowStyle_, FALSE, extendedStyle_);

        HWND created = fullscreen_ ? CreateWindowExW(extendedStyle_, kWindowClassName, kWindowTitle, WS_POPUP, 0, 0,
                                                     frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                                     nullptr, instance_, this)
                                   : CreateWindowExW(extendedStyle_, kWindowClassName, kWindowTitle,
                                                     WS_POPUP | WS_MINIMIZEBOX, 100, 100, frame.right - frame.left,
                                                     frame.bottom - frame.top, ownerWindow_, nullptr, instance_, this);
        if (!created) {
            rethrowPendingError();
            return false;
        }
        window_.reset(created);
        // A handler that threw during creation (WM_CREATE, WM_SIZE) is reported now.
        rethrowPendingError();
    }

    rendererOwned_ = true;
    if (!startBackEnd(rendererChoice)) {
        showMessageBox(window_.get(), L"Initial device failed", L"Error", MB_OK);
        return false;
    }
    startup();
    return true;
}

bool MainWindow::startBackEnd(int rendererChoice) {
    HWND window = window_.get();
    RenderContext& context = renderContext_;
    // The renderer shows nothing itself: what a failed start has to say is shown here.
    const auto start = [&](BackEndKind kind) {
        if (startRenderer_(window, kind, context)) return true;
        if (!context.startFailure.empty()) showMessageBox(nullptr, context.startFailure.c_str(), L"ERROR", MB_OK);
        return false;
    };
    if (rendererChoice == kRendererOpenGl) return start(BackEndKind::OpenGl);
    if (rendererChoice == kRendererDirect3D) return start(BackEndKind::Direct3D8);
    if (start(BackEndKind::Direct3D8)) return true;
    if (!start(BackEndKind::OpenGl)) return false;
    if (maxTextureSize_(context) < 2048) showMessageBox(nullptr, L"please update your video driver", nullptr, MB_OK);
    return true;
}

void MainWindow::rethrowPendingError() {
    if (pendingError_) std::rethrow_exception(std::exchange(pendingError_, nullptr));
}

void MainWindow::tick() {
    schedule_.beginTick(loopTimeStamp_);
    schedule_.scheduleAfterTick(loopTimeStamp_, advanceClocks(loopTimeStamp_));
    // Minimised or in the tray nothing is seen: the clocks alone move on, and the restore's
    // messages bring the frame of the moment.
    if (active_) drawFrame();
}

void MainWindow::drawFrame() {
    painter_.clear();
    painter_.beginScene();
    updateFrame();
    if (painter_.endFrame() > 0) {
        // The device was lost and the frame not shown: once recovered, the next tick draws it.
        painter_.recoverLostDevice();
        schedule_.markChanged();
        return;
    }
    testSeams::noteFramePresented();
}

int MainWindow::run() {
    MSG message{};
    bool fatal = false;
    for (;;) {
        try {
            loopTimeStamp_ = clock_->loopTime();
            // PeekMessageW itself runs the window procedure for messages sent from other
            // threads (the server's replies arrive so), and drawing may run it too: an error
            // kept there is rethrown right after each of them.
            const BOOL got = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
            rethrowPendingError();
            if (got) {
                if (message.message == WM_QUIT) break;
                testSeams::noteMessage(message.message, message.time);
                TranslateMessage(&message);
                DispatchMessageW(&message);
                rethrowPendingError();
                continue;  // drain every message before drawing
            }
            if (const std::uint32_t wait = schedule_.waitBeforeTick(loopTimeStamp_); wait > 0) {
                clock_->waitForInput(wait);
                continue;
            }
            tick();
            rethrowPendingError();
        } catch (const std::exception& error) {
            // The text outlives the exception object: the entry shows it after this handler.
            fatalText() = error.what();
            fatal = true;
        } catch (...) {
            // Anything else, a narrow text among them, abandons this frame only: the next
            // tick tries again.
            schedule_.markChanged();
        }
        if (fatal) throw fatalText().c_str();
    }
    return leaveLoop(static_cast<int>(message.wParam));
}

void MainWindow::endAfterError() {
    if (!leftLoop_) (void)leaveLoop(0);
}

bool MainWindow::routeThroughWindowStack(HWND, UINT, WPARAM, LPARAM) {
    // No widget toolkit yet: no window of the stack takes a message.
    return false;
}

void MainWindow::releaseRendererResources() {}

int MainWindow::leaveLoop(int exitCode) {
    leftLoop_ = true;
    if (fullscreen_) {
        ChangeDisplaySettingsW(nullptr, 0);
        ShowCursor(TRUE);
    }
    if (classRegistered_ && UnregisterClassW(kWindowClassName, instance_)) classRegistered_ = false;
    // The loop has ended but the renderer still runs: textures are given back to it properly.
    releaseRendererResources();
    if (rendererOwned_) {
        stopRenderer_(renderContext_);
        rendererOwned_ = false;
    }
    shutdown();
    return exitCode;
}

LRESULT MainWindow::handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Any message may change what the window shows (a widget's answer, a server reply, a
    // timer): the next tick draws, unless the procedure said this one changed nothing. Without
    // messages the window waits for its clocks alone.
    pictureUnchanged_ = false;
    try {
        const LRESULT result = windowProc(window, message, wParam, lParam);
        if (!std::exchange(pictureUnchanged_, false)) schedule_.markChanged();
        return result;
    } catch (...) {
        schedule_.markChanged();
        keepWindowProcException(std::current_exception());
        return 0;
    }
}

LRESULT MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (routeThroughWindowStack(window, message, wParam, lParam)) return 1;
    onWindowMessage(window, message, wParam, lParam);
    switch (message) {
    case WM_SIZE:
        if (!fullscreen_) {
            GetClientRect(window, &clientRect_);
            painter_.resize(LOWORD(lParam), HIWORD(lParam));
        }
        active_ = !(wParam == SIZE_MINIMIZED || wParam == SIZE_MAXHIDE);
        break;
    case WM_CLOSE: PostQuitMessage(0); break;
    case WM_NCDESTROY:
        // The system destroys the window (DefWindowProcW on WM_CLOSE); it is no longer ours.
        if (window == window_.get()) (void)window_.release();
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::onWindowMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }
void MainWindow::reserved() {}
void MainWindow::updateFrame() {}
DueIn MainWindow::advanceClocks(Tick) { return DueIn::never(); }
void MainWindow::startup() {}
void MainWindow::shutdown() {}

}  // namespace likenex
