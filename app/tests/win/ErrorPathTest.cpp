// How errors end (or do not end) the editor: in this process with the real application
// object, and as a Likenex.exe of its own.
#include "app/Entry.h"
#include "app/tests/win/EditorProcess.h"
#include "app/tests/win/TestSupport.h"
#include "base/WindowMessages.h"
#include "ui/InterfaceArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <thread>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::EditorProcess;
using testing::kProcessTimeout;
using testing::RecordedRequests;
using testing::RecordingRenderer;
using testing::TestClock;
using testing::waitForEditorWindow;

constexpr UINT kThrowingMessage = WM_APP + 7;

// The real application with a recording renderer; each test says what its window procedure
// and frames do. The window closes after `lastFrame` frames.
class ErrorApplication : public Application {
public:
    ErrorApplication() {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop, &RecordingRenderer::maxTextureSize);
        server().setRequests(&requests);
        setClock(&clock);
    }
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (onMessage) onMessage(message);
        return Application::windowProc(window, message, wParam, lParam);
    }
    void startup() override {
        startupRan = true;
        Application::startup();
    }
    void updateFrame() override {
        ++frames;
        if (onFrame) onFrame(frames);
        if (frames == lastFrame) PostMessageW(window(), WM_CLOSE, 0, 0);
    }
    bool routeThroughWindowStack(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_AVATAR_ACTION_END) routed.push_back({wParam, lParam});
        return false;
    }
    void releaseRendererResources() override {
        archiveLoadedAtRelease = interfaceArchive().isLoaded();
        rendererCallsAtRelease = RecordingRenderer::calls();
        Application::releaseRendererResources();
    }

    RecordedRequests requests;
    TestClock clock;
    int frames = 0;
    int lastFrame = 1;
    bool startupRan = false;
    std::function<void(UINT)> onMessage;
    std::function<void(int)> onFrame;
    std::vector<std::pair<WPARAM, LPARAM>> routed;
    bool archiveLoadedAtRelease = false;
    std::vector<std::string> rendererCallsAtRelease;
};

class ErrorPathTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::reset(); }
    void TearDown() override { RecordingRenderer::reset(); }
};

TEST_F(ErrorPathTest, ANarrowTextOrOtherExceptionAbandonsOnlyItsFrame) {
    CapturedMessages messages;
    ErrorApplication app;
    app.lastFrame = 3;
    app.onFrame = [](int frame) {
        if (frame == 1) throw "not the end";
        if (frame == 2) throw 42;
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_EQ(app.frames, 3) << "the loop went on after both";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ErrorPathTest, AStandardExceptionEndsTheLoopWithItsTextAndReleasesEverything) {
    CapturedMessages messages;
    ErrorApplication app;
    app.lastFrame = 100;
    app.onFrame = [](int frame) {
        if (frame == 2) throw std::runtime_error("frame broke");
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_EQ(app.frames, 2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"frame broke");
    EXPECT_FALSE(messages.shown[0].hasCaption);
    // The end of the loop ran all the same: renderer stopped, everything given back.
    EXPECT_EQ(RecordingRenderer::calls().back(), "stop");
    EXPECT_EQ(app.renderContext().backEnd, nullptr);
    EXPECT_FALSE(app.interfaceArchive().isLoaded());
}

// A reply from the network reaches the window procedure inside PeekMessageW, as a message
// sent from another thread: its error must end the loop there and then.
TEST_F(ErrorPathTest, AnErrorInAMessageSentFromAnotherThreadEndsTheLoopAtOnce) {
    CapturedMessages messages;
    ErrorApplication app;
    app.lastFrame = 1000000;
    int framesAtError = -1;
    std::thread sender;
    app.onMessage = [&](UINT message) {
        if (message != kThrowingMessage) return;
        framesAtError = app.frames;
        throw std::runtime_error("reply broke");
    };
    app.onFrame = [&](int frame) {
        if (frame != 1) return;
        HWND window = app.window();
        sender = std::thread([window] {
            SendMessageW(window, kThrowingMessage, 0, 0);
            // Without the error the loop would still be drawing; this only bounds the test.
            Sleep(1000);
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    if (sender.joinable()) sender.join();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"reply broke");
    EXPECT_EQ(app.frames, framesAtError) << "no frame is drawn after the error";
}

// Errors raised while the window is being created surface from creation, before start-up
// runs; of two such errors the first is the one told.
TEST_F(ErrorPathTest, TheFirstErrorOfWindowCreationIsTheOneShown) {
    CapturedMessages messages;
    ErrorApplication app;
    app.onMessage = [](UINT message) {
        if (message == WM_NCCALCSIZE) throw std::runtime_error("first");
        if (message == WM_CREATE) throw std::runtime_error("second");
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"first");
    EXPECT_FALSE(app.startupRan);
    EXPECT_EQ(app.frames, 0);
}

TEST_F(ErrorPathTest, TheEndOfAnActionGoesOnToTheWindowStack) {
    ErrorApplication app;
    LRESULT answer = -1;
    app.onFrame = [&](int) { answer = SendMessageW(app.window(), WM_AVATAR_ACTION_END, 1003, 5); };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_EQ(app.routed.size(), 1u);
    EXPECT_EQ(app.routed[0], (std::pair<WPARAM, LPARAM>{1003, 5}));
    EXPECT_EQ(answer, 0) << "no window took it, so the base procedure answered";
}

TEST_F(ErrorPathTest, TheInterfaceArchiveIsReleasedAfterTheLoopWhileTheRendererStillRuns) {
    ErrorApplication app;
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_TRUE(app.archiveLoadedAtRelease);
    ASSERT_FALSE(app.rendererCallsAtRelease.empty());
    EXPECT_NE(app.rendererCallsAtRelease.back(), "stop");
    EXPECT_FALSE(app.interfaceArchive().isLoaded());
}

// The whole program: a standard exception in a frame shows its text and the process ends
// with 0, whatever static objects it leaves behind.
TEST_F(ErrorPathTest, TheProgramEndsWithZeroAfterAFatalFrameError) {
    EditorProcess editor(L"", {{L"LIKENEX_TEST_FRAME_FAULT", L"standard"}});
    ASSERT_TRUE(editor.started());
    EXPECT_EQ(editor.waitForExit(), 0);
    EXPECT_EQ(editor.messages(), "\tframe fault for the test\n");
}

// The fault comes with the first frame; the program must go on drawing. The first frame that
// is drawn to its end writes its line to the timing log, so that line means a frame came after
// the fault (a loop that went on pumping messages without drawing would leave it out).
TEST_F(ErrorPathTest, TheProgramDrawsOnAfterANarrowTextOrOtherExceptionInAFrame) {
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring log = std::wstring(temp) + L"likenex-error-path-frames.txt";
    auto logged = [&] {
        std::string text;
        if (FILE* f = _wfopen(log.c_str(), L"rb")) {
            char buffer[256];
            for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
            fclose(f);
        }
        return text;
    };
    for (const char* kind : {"text", "other"}) {
        SCOPED_TRACE(kind);
        DeleteFileW(log.c_str());
        const std::wstring wideKind(kind, kind + std::strlen(kind));
        EditorProcess editor(L"", {{L"LIKENEX_TEST_FRAME_FAULT", wideKind}, {L"LIKENEX_TIMING_LOG", log}});
        ASSERT_TRUE(editor.started());
        HWND window = waitForEditorWindow(editor);
        ASSERT_NE(window, nullptr) << "messages: " << editor.messages();
        for (DWORD waited = 0; logged().find("first frame") == std::string::npos && waited < kProcessTimeout &&
                               editor.waitForExit(0) == -1;
             waited += 50)
            Sleep(50);
        EXPECT_NE(logged().find("first frame"), std::string::npos) << "no frame was drawn after the fault";
        EXPECT_EQ(editor.waitForExit(0), -1) << "the program is still running";
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(editor.waitForExit(), 0);
        EXPECT_EQ(editor.messages(), "");
    }
    DeleteFileW(log.c_str());
}

}  // namespace
}  // namespace likenex
