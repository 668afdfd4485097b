#include "app/MainWindow.h"
#include "app/tests/win/TestSupport.h"
#include "render/DeviceResources.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordingRenderer;
using testing::TestClock;

// A message the scripted window says changes nothing shown.
constexpr UINT kQuietMessage = WM_APP + 1;

// A main window whose frames are scripted by the test: each frame runs `onFrame` with the
// frame's number, and the window quits with code 7 after `frames` frames. Unless `idle`, its
// picture changes all the time, so that a frame is due at every period; each tick runs
// `onTick` with the tick's number.
class ScriptedWindow : public MainWindow {
public:
    ScriptedWindow() {
        setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop, &RecordingRenderer::maxTextureSize);
        setClock(&clock);
        setSize(654, 537);
    }
    void updateFrame() override {
        RecordingRenderer::calls().push_back("updateFrame");
        if (onFrame) onFrame(frame);
        if (++frame == frames) PostQuitMessage(7);
    }
    DueIn advanceClocks(Tick) override {
        RecordingRenderer::calls().push_back("advanceClocks");
        if (onTick) onTick(ticks);
        ++ticks;
        return idle ? DueIn::never() : DueIn::in(0);
    }
    void startup() override { RecordingRenderer::calls().push_back("startup"); }
    void shutdown() override { RecordingRenderer::calls().push_back("shutdown"); }
    LRESULT onWindowMessage(HWND, UINT message, WPARAM, LPARAM) override {
        if (message == WM_APP) RecordingRenderer::calls().push_back("WM_APP");
        if (message == kQuietMessage) {
            RecordingRenderer::calls().push_back("quiet");
            leavePictureUnchanged();
        }
        return 0;
    }

    TestClock clock;
    int frame = 0;
    int frames = 1;
    int ticks = 0;
    bool idle = false;
    std::function<void(int)> onFrame;
    std::function<void(int)> onTick;
};

// Closes the window after a second of real time: a loop that waits for input where it should
// not is ended, and the test's expectations say what went wrong.
class Deadline {
public:
    explicit Deadline(HWND window)
        : thread_([window, this] {
              if (WaitForSingleObject(stop_.get(), 1000) == WAIT_TIMEOUT) PostMessageW(window, WM_CLOSE, 0, 0);
          }) {}
    ~Deadline() {
        SetEvent(stop_.get());
        thread_.join();
    }

private:
    UniqueHandle stop_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::reset(); }
    void TearDown() override { RecordingRenderer::reset(); }
    std::vector<std::string>& calls() { return RecordingRenderer::calls(); }
};

TEST_F(MainWindowTest, RendererChoicesStartTheirBackEnds) {
    {
        ScriptedWindow w;
        ASSERT_TRUE(w.create(kRendererOpenGl));
        EXPECT_EQ(w.renderContext().kind, BackEndKind::OpenGl);
    }
    {
        ScriptedWindow w;
        ASSERT_TRUE(w.create(kRendererDirect3D));
        EXPECT_EQ(w.renderContext().kind, BackEndKind::Direct3D8);
    }
    std::vector<std::string> starts;
    for (const auto& c : calls())
        if (c.rfind("start", 0) == 0) starts.push_back(c);
    EXPECT_EQ(starts, (std::vector<std::string>{"start OpenGL", "startup", "start Direct3D8", "startup"}));
}

TEST_F(MainWindowTest, FailingRendererShowsInitialDeviceFailedOwnedByTheWindow) {
    for (int choice : {kRendererOpenGl, kRendererDirect3D, kRendererDirect3DThenOpenGl}) {
        SCOPED_TRACE(choice);
        RecordingRenderer::reset();
        RecordingRenderer::openGlStarts = false;
        RecordingRenderer::direct3DStarts = false;
        CapturedMessages messages;
        ScriptedWindow w;
        EXPECT_FALSE(w.create(choice));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, L"Initial device failed");
        EXPECT_EQ(messages.shown[0].caption, L"Error");
        EXPECT_EQ(messages.shown[0].owner, w.window());
        EXPECT_NE(w.window(), nullptr);
        for (const auto& c : calls()) EXPECT_NE(c, "startup");
    }
}

// The renderer only reports why it could not start; the window shows it, unowned and with the
// caption "ERROR", before its own "Initial device failed".
TEST_F(MainWindowTest, WhatAFailedStartReportsIsShownBeforeInitialDeviceFailed) {
    RecordingRenderer::openGlStarts = false;
    RecordingRenderer::startFailureText = L"SetPixelFormat failed";
    CapturedMessages messages;
    ScriptedWindow w;
    EXPECT_FALSE(w.create(kRendererOpenGl));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, L"SetPixelFormat failed");
    EXPECT_EQ(messages.shown[0].caption, L"ERROR");
    EXPECT_EQ(messages.shown[0].owner, nullptr);
    EXPECT_EQ(messages.shown[1].text, L"Initial device failed");
}

TEST_F(MainWindowTest, FallbackToOpenGlWarnsAboutSmallTextureLimit) {
    {
        RecordingRenderer::direct3DStarts = false;
        RecordingRenderer::maxTextureSizeValue = 1024;
        CapturedMessages messages;
        ScriptedWindow w;
        ASSERT_TRUE(w.create(kRendererDirect3DThenOpenGl));
        EXPECT_EQ(w.renderContext().kind, BackEndKind::OpenGl);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, L"please update your video driver");
        EXPECT_FALSE(messages.shown[0].hasCaption);
    }
    {
        // With a texture limit of 2048 or more the fallback says nothing.
        RecordingRenderer::reset();
        RecordingRenderer::direct3DStarts = false;
        RecordingRenderer::maxTextureSizeValue = 2048;
        CapturedMessages messages;
        ScriptedWindow w;
        ASSERT_TRUE(w.create(kRendererDirect3DThenOpenGl));
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(MainWindowTest, WindowIsAPopupOfTheRequestedClientSize) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    wchar_t className[32]{}, title[32]{};
    GetClassNameW(w.window(), className, 32);
    GetWindowTextW(w.window(), title, 32);
    EXPECT_STREQ(className, L"Likenex");
    EXPECT_STREQ(title, L"Likenex");
    LONG_PTR style = GetWindowLongPtrW(w.window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    RECT client{};
    GetClientRect(w.window(), &client);
    EXPECT_EQ(client.right, 654);
    EXPECT_EQ(client.bottom, 537);
}

TEST_F(MainWindowTest, FramesArePacedToTwentyMilliseconds) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    w.setActive(true);
    w.frames = 3;
    std::vector<size_t> waitsBefore;
    w.onFrame = [&](int frame) {
        waitsBefore.push_back(w.clock.waits.size());
        w.clock.now += frame == 0 ? 35 : 5;  // the first frame overruns, the second is quick
    };
    EXPECT_EQ(w.run(), 7);
    ASSERT_EQ(waitsBefore.size(), 3u);
    EXPECT_EQ(waitsBefore[1], 0u) << "a 35 ms frame is followed by no wait";
    EXPECT_EQ(w.clock.waits, std::vector<std::uint32_t>{15}) << "a 5 ms frame is followed by 15 ms";
}

// Runs an idle window for two frames while another thread posts `messages`, 50 ms apart, once
// the first frame is drawn; the calls are recorded from the start of the run.
void runIdleWindowWhilePosting(ScriptedWindow& w, std::vector<UINT> messages) {
    w.idle = true;
    w.frames = 2;
    HWND window = w.window();
    std::thread poster;
    w.onFrame = [&](int frame) {
        if (frame == 0)
            poster = std::thread([window, messages] {
                for (UINT message : messages) {
                    Sleep(50);
                    PostMessageW(window, message, 0, 0);
                }
            });
    };
    const Deadline deadline(window);
    RecordingRenderer::calls().clear();
    EXPECT_EQ(w.run(), 7);
    poster.join();
}

// Nothing moves and no message comes: one frame, then the loop waits for input, and a message
// brings exactly one frame more.
TEST_F(MainWindowTest, AnIdleWindowDrawsOnlyWhenAMessageArrives) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    runIdleWindowWhilePosting(w, {WM_APP});
    EXPECT_EQ(w.clock.waits, (std::vector<std::uint32_t>{kWaitForInput, 20}))
        << "waited for input, then for the rest of the period";
    EXPECT_EQ(calls(), (std::vector<std::string>{"advanceClocks", "clear", "beginScene", "updateFrame", "endFrame",
                                                 "WM_APP", "advanceClocks", "clear", "beginScene", "updateFrame",
                                                 "endFrame", "stop", "shutdown"}));
}

// A message that changes nothing shown (a caret tick with no edit box focused) brings no frame;
// the next one that may change something does.
TEST_F(MainWindowTest, AMessageThatChangesNothingShownBringsNoFrame) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    runIdleWindowWhilePosting(w, {kQuietMessage, WM_APP});
    EXPECT_EQ(w.clock.waits, (std::vector<std::uint32_t>{kWaitForInput, kWaitForInput, 20}));
    EXPECT_EQ(calls(), (std::vector<std::string>{"advanceClocks", "clear", "beginScene", "updateFrame", "endFrame",
                                                 "quiet", "WM_APP", "advanceClocks", "clear", "beginScene",
                                                 "updateFrame", "endFrame", "stop", "shutdown"}));
}

// Minimised, the window draws nothing but its clocks go on at their pace; restored, it draws.
TEST_F(MainWindowTest, AMinimisedWindowMovesItsClocksOnAndDrawsOnceRestored) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    SendMessageW(w.window(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    EXPECT_FALSE(w.active());
    w.onTick = [&](int tick) {
        if (tick == 3) SendMessageW(w.window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(654, 537));
    };
    calls().clear();
    EXPECT_EQ(w.run(), 7);
    EXPECT_EQ(w.ticks, 4);
    EXPECT_EQ(w.frame, 1);
    EXPECT_EQ(w.clock.waits, (std::vector<std::uint32_t>{20, 20, 20}));
    EXPECT_EQ(calls(), (std::vector<std::string>{"advanceClocks", "advanceClocks", "advanceClocks", "advanceClocks",
                                                 "resize 654x537", "clear", "beginScene", "updateFrame", "endFrame",
                                                 "stop", "shutdown"}));

    SendMessageW(w.window(), WM_SIZE, SIZE_MAXHIDE, MAKELPARAM(654, 537));
    EXPECT_FALSE(w.active());
}

TEST_F(MainWindowTest, SizeMessageStoresTheClientRectangleAndResizesTheRenderer) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    calls().clear();
    SendMessageW(w.window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(calls(), std::vector<std::string>{"resize 300x200"});
    EXPECT_EQ(w.clientRect().right, 654);  // from GetClientRect, not from the message
}

TEST_F(MainWindowTest, EveryPendingMessageIsHandledBeforeAFrameIsDrawn) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    for (int i = 0; i < 3; ++i) PostMessageW(w.window(), WM_APP, 0, 0);
    calls().clear();
    w.frames = 1;
    EXPECT_EQ(w.run(), 7);
    EXPECT_EQ(calls(), (std::vector<std::string>{"WM_APP", "WM_APP", "WM_APP", "advanceClocks", "clear", "beginScene",
                                                 "updateFrame", "endFrame", "stop", "shutdown"}));
    EXPECT_EQ(w.renderContext().backEnd, nullptr);
}

TEST_F(MainWindowTest, CloseEndsTheLoopAndDestroysTheWindow) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    HWND window = w.window();
    w.frames = 1000;
    w.onFrame = [&](int frame) {
        if (frame == 0) PostMessageW(window, WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(w.run(), 0);
    EXPECT_EQ(w.frame, 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(w.window(), nullptr);
}

struct CountingResource : DeviceResource {
    void onDeviceLost() override { RecordingRenderer::calls().push_back("lost"); }
    void onDeviceReset() override { RecordingRenderer::calls().push_back("reset"); }
};

TEST_F(MainWindowTest, LostDeviceIsRecoveredAfterAFailedPresent) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererDirect3D));
    CountingResource resource;
    w.renderContext().deviceResources.add(&resource);
    RecordingRenderer::endFrameResult = 1;
    calls().clear();
    w.run();
    w.renderContext().deviceResources.remove(&resource);
    EXPECT_EQ(calls(), (std::vector<std::string>{"advanceClocks", "clear", "beginScene", "updateFrame", "endFrame",
                                                 "lost", "restoreDevice", "reset", "stop", "shutdown"}));
}

// The frame lost with the device was never seen: it is drawn again, although nothing else
// asks for a frame.
TEST_F(MainWindowTest, AFrameLostWithTheDeviceIsDrawnAgain) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererDirect3D));
    w.idle = true;
    w.frames = 2;
    RecordingRenderer::endFrameResult = 1;
    w.onFrame = [](int frame) {
        if (frame == 1) RecordingRenderer::endFrameResult = 0;
    };
    const Deadline deadline(w.window());
    EXPECT_EQ(w.run(), 7);
    EXPECT_EQ(w.frame, 2);
}

TEST_F(MainWindowTest, StandardExceptionInAFrameLeavesTheLoopAsItsText) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    w.frames = 1000;
    w.onFrame = [](int) { throw std::runtime_error("texture budget exhausted"); };
    try {
        w.run();
        FAIL() << "run returned";
    } catch (const char* text) {
        EXPECT_STREQ(text, "texture budget exhausted");
    }
}

TEST_F(MainWindowTest, OtherExceptionsAbandonOnlyTheirFrame) {
    ScriptedWindow w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    w.frames = 3;
    bool thrown = false;
    w.onFrame = [&](int) {
        if (!std::exchange(thrown, true)) throw 42;
    };
    EXPECT_EQ(w.run(), 7);
    EXPECT_EQ(w.frame, 3) << "the frame that threw is not counted; the loop went on";
}

TEST_F(MainWindowTest, ExceptionFromTheWindowProcedureReachesTheLoop) {
    struct ThrowingWindow : ScriptedWindow {
        LRESULT onWindowMessage(HWND, UINT message, WPARAM, LPARAM) override {
            if (message == WM_APP) throw std::logic_error("bad message");
            return 0;
        }
    } w;
    ASSERT_TRUE(w.create(kRendererOpenGl));
    PostMessageW(w.window(), WM_APP, 0, 0);
    try {
        w.run();
        FAIL() << "run returned";
    } catch (const char* text) {
        EXPECT_STREQ(text, "bad message");
    }
}

}  // namespace
}  // namespace likenex
