// Two processes at once: the editor running (in this test process, or as Likenex.exe) and
// a second Likenex.exe started beside it.
#include "app/Entry.h"
#include "app/SingleInstance.h"
#include "app/tests/win/EditorProcess.h"
#include "app/tests/win/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::EditorProcess;
using testing::markedEditorWindows;
using testing::RecordedRequests;
using testing::RecordingRenderer;
using testing::waitForEditorWindow;

// The first instance runs in this process on the test's thread; `whileRunning` runs on a
// second thread once its first frame is drawn, and the window closes when it returns.
class InProcessEditor : public Application {
public:
    InProcessEditor() {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop, &RecordingRenderer::maxTextureSize);
        server().setRequests(&requests);
    }
    void updateFrame() override {
        if (started_) return;
        started_ = true;
        HWND window = this->window();
        worker_ = std::thread([this, window] {
            whileRunning(window);
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
    }
    int runWith(std::function<void(HWND)> work) {
        whileRunning = std::move(work);
        int code = runEntry(*this, nullptr);
        if (worker_.joinable()) worker_.join();
        return code;
    }
    RecordedRequests requests;
    std::function<void(HWND)> whileRunning;

private:
    bool started_ = false;
    std::thread worker_;
};

class TwoInstancesTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::reset(); }
    void TearDown() override { RecordingRenderer::reset(); }
};

TEST_F(TwoInstancesTest, SecondStartRestoresTheFirstAndForwardsItsAvatarHalves) {
    InProcessEditor first;
    long secondExit = -2;
    bool iconicBefore = false, iconicAfter = true;
    std::string secondMessages;
    first.runWith([&](HWND window) {
        ShowWindow(window, SW_MINIMIZE);
        iconicBefore = IsIconic(window);
        for (const wchar_t* id : {L"\"avatar:edit:8589934593\"", L"\"avatar:edit:6442450944\""}) {
            EditorProcess second(id);
            ASSERT_TRUE(second.started());
            secondExit = second.waitForExit();
            secondMessages += second.messages();
            if (secondExit != 0) return;
        }
        iconicAfter = IsIconic(window);
    });
    EXPECT_EQ(secondExit, 0);
    EXPECT_EQ(secondMessages, "");
    EXPECT_TRUE(iconicBefore);
    EXPECT_FALSE(iconicAfter) << "the second start restores the running editor";
    EXPECT_EQ(first.requests.openedAvatars, (std::vector<std::int64_t>{8589934593LL, 6442450944LL}));
}

TEST_F(TwoInstancesTest, SecondStartWithoutAnAvatarPostsNothing) {
    InProcessEditor first;
    long secondExit = -2;
    first.runWith([&](HWND) {
        EditorProcess second(L"10.0.0.5 8000");
        ASSERT_TRUE(second.started());
        secondExit = second.waitForExit();
    });
    EXPECT_EQ(secondExit, 0);
    EXPECT_TRUE(first.requests.openedAvatars.empty());
    EXPECT_EQ(first.requests.versionQueries, 1) << "only the first instance's own query";
}

TEST_F(TwoInstancesTest, SemaphoreWithoutAMarkedWindowGivesAFurtherEditor) {
    UniqueHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, kInstanceName));
    ASSERT_TRUE(semaphore);
    ASSERT_TRUE(markedEditorWindows().empty());

    EditorProcess editor(L"");
    ASSERT_TRUE(editor.started());
    HWND window = waitForEditorWindow(editor);
    ASSERT_NE(window, nullptr) << "messages: " << editor.messages();
    EXPECT_TRUE(IsWindowVisible(window));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 654);
    EXPECT_EQ(client.bottom, 537);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(editor.waitForExit(), 0);
    EXPECT_EQ(editor.messages(), "");
}

TEST_F(TwoInstancesTest, RealEditorAndASecondStartLeaveOneWindow) {
    EditorProcess first(L"");
    ASSERT_TRUE(first.started());
    HWND window = waitForEditorWindow(first);
    ASSERT_NE(window, nullptr) << "messages: " << first.messages();

    EditorProcess second(L"\"avatar:edit:42\"");
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.waitForExit(), 0);
    EXPECT_EQ(markedEditorWindows().size(), 1u);
    EXPECT_EQ(first.waitForExit(0), -1) << "the first editor keeps running";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.waitForExit(), 0);
}

}  // namespace
}  // namespace likenex
