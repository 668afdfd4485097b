#pragma once
// The program's one top-level window: window class, creation windowed or fullscreen, the
// renderer start, the frame loop with its 20 ms pacing (app/FramePacer.h: a frame only when
// one is due), and the base window procedure.
// The Application is the one concrete MainWindow.

#include "app/FramePacer.h"
#include "platform/win/BoundWindow.h"
#include "platform/win/Handles.h"
#include "render/Painter.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace likenex {

// Renderer choices of create().
inline constexpr int kRendererDirect3DThenOpenGl = 0;  // any value other than 1 and 2
inline constexpr int kRendererDirect3D = 1;
inline constexpr int kRendererOpenGl = 2;

inline constexpr wchar_t kWindowClassName[] = L"Likenex";
inline constexpr wchar_t kWindowTitle[] = L"Likenex";

// Starts a back end; tests put in one of their own.
using RendererStarter = bool (*)(HWND window, BackEndKind kind, RenderContext& context);
using RendererStopper = void (*)(RenderContext& context);
using MaxTextureSizeQuery = int (*)(const RenderContext& context);

class MainWindow {
public:
    MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    virtual ~MainWindow();

    // Registers the class, creates the window, starts the renderer by choice (see the
    // constants above) and runs startup(). False when the window or renderer was not set
    // up (the user has been told why). Exceptions from startup() leave this call.
    virtual bool create(int rendererChoice);
    // The frame loop; returns the WM_QUIT message's wParam.
    virtual int run();
    virtual LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT onWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void reserved();
    virtual void updateFrame();
    // Moves the clocks of what the window shows on to `now`, the loop time, at every tick,
    // shown or not; says when the picture next changes by time alone.
    [[nodiscard]] virtual DueIn advanceClocks(Tick now);
    virtual void startup();
    virtual void shutdown();
    // Called once the frame loop has ended, while the renderer still runs: for what holds
    // textures until the very end (the interface archive's cache).
    virtual void releaseRendererResources();

    [[nodiscard]] HWND window() const { return window_.get(); }
    [[nodiscard]] HINSTANCE instance() const { return instance_; }
    [[nodiscard]] bool active() const { return active_; }
    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] std::uint32_t loopTimeStamp() const { return loopTimeStamp_; }
    [[nodiscard]] const RECT& clientRect() const { return clientRect_; }
    [[nodiscard]] const std::wstring& uiFontFile() const { return uiFontFile_; }
    // The window's renderer and the one painter every frame draws through.
    [[nodiscard]] RenderContext& renderContext() { return renderContext_; }
    [[nodiscard]] Painter& painter() { return painter_; }

    void setSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    // Shown (true) or minimised or hidden in the tray; shown again, the next tick draws.
    void setActive(bool active) {
        active_ = active;
        schedule_.markChanged();
    }
    void setFullscreen(bool fullscreen) { fullscreen_ = fullscreen; }
    void setOwnerWindow(HWND owner) { ownerWindow_ = owner; }
    void setUiFontFile(std::wstring file) { uiFontFile_ = std::move(file); }

    // Test seams: the clock of the frame loop and the renderer start and stop.
    void setClock(FrameClock* clock);
    void setRendererFunctions(RendererStarter start, RendererStopper stop, MaxTextureSizeQuery maxTextureSize);

    // Called by the class's window procedure when windowProc threw: the exception is kept and
    // rethrown once the system call that ran the procedure has returned (creation, PeekMessageW,
    // DispatchMessageW, drawing), so that it never unwinds through the system's frames. The
    // first error is the one reported; a later one before it is rethrown is dropped.
    void keepWindowProcException(std::exception_ptr error) {
        if (!pendingError_) pendingError_ = std::move(error);
    }

    // After an error has ended the program (the entry has shown it): releases what the end of
    // the frame loop releases (display mode, window class, renderer, then shutdown()), unless
    // the loop already left normally. Everything is then gone before static destruction.
    void endAfterError();

protected:
    // Called while a message is handled that is known to change nothing shown (a timer that no
    // widget took): it brings no frame. A message nested inside it still does.
    void leavePictureUnchanged() { pictureUnchanged_ = true; }
    // The widgets of the window stack see every message first; true when one handled it.
    virtual bool routeThroughWindowStack(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    UniqueWindow window_;
    HWND ownerWindow_ = nullptr;
    bool fullscreen_ = false;
    bool active_ = false;
    DWORD windowStyle_ = WS_POPUP;
    DWORD extendedStyle_ = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    RECT clientRect_{};
    int width_ = 640;
    int height_ = 480;
    std::uint32_t loopTimeStamp_ = 0;
    std::wstring uiFontFile_ = L"mingliu.ttc";

private:
    friend class BoundWindow<MainWindow>;
    // Runs windowProc for the window this object created; an exception is kept for the loop.
    LRESULT handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool registerWindowClass();
    [[nodiscard]] bool startBackEnd(int rendererChoice);
    void tick();
    void drawFrame();
    int leaveLoop(int exitCode);
    void rethrowPendingError();

    RenderContext renderContext_;
    Painter painter_{renderContext_};
    FrameSchedule schedule_;
    bool pictureUnchanged_ = false;
    // From the renderer start in create() until the end of the loop stopped it.
    bool rendererOwned_ = false;
    bool classRegistered_ = false;
    bool leftLoop_ = false;
    FrameClock* clock_;
    RendererStarter startRenderer_;
    RendererStopper stopRenderer_;
    MaxTextureSizeQuery maxTextureSize_;
    std::exception_ptr pendingError_;
};

}  // namespace likenex
