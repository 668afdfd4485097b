// Two processes at once: the editor running (in this test process, or as Likenex.exe) and
// a second Likenex.exe started beside it, which hands over an avatar number or code.
#include "app/Entry.h"
#include "app/SingleInstance.h"
#include "app/tests/win/EditorProcess.h"
#include "app/tests/win/TestSupport.h"
#include "net/AvatarCode.h"
#include "ui/MessageDialog.h"

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
    // What the window answered to each WM_COPYDATA, and the first line of the dialog in front
    // right after it.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = Application::windowProc(window, message, wParam, lParam);
        if (message == WM_COPYDATA) {
            copyDataAnswers.push_back(result);
            auto* dialog = dynamic_cast<ui::MessageDialog*>(windowStack().active());
            dialogsAfterCopyData.push_back(dialog ? dialog->lines()[0] : std::wstring());
        }
        return result;
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
    std::vector<LRESULT> copyDataAnswers;
    std::vector<std::wstring> dialogsAfterCopyData;

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

// A second start with a code hands it over and ends; the first asks whether to open it. A
// second start with something that is no code hands nothing over.
TEST_F(TwoInstancesTest, SecondStartHandsItsCodeToTheFirstWhichAsksAboutIt) {
    AvatarFields avatar;
    avatar.direction = 2;
    const AvatarCodeResult code = encodeAvatarCode(avatar);
    ASSERT_EQ(code.refusal, CodeRefusal::none);
    InProcessEditor first;
    std::vector<long> exits;
    std::string secondMessages;
    first.runWith([&](HWND) {
        for (const std::wstring& line : {L"\"avatar:code:" + std::wstring(code.code.begin(), code.code.end()) + L"\"",
                                         std::wstring(L"\"avatar:code:no*code\"")}) {
            EditorProcess second(line);
            if (!second.started()) return;
            exits.push_back(second.waitForExit());
            secondMessages += second.messages();
        }
    });
    EXPECT_EQ(exits, (std::vector<long>{0, 0}));
    EXPECT_EQ(secondMessages, "");
    EXPECT_EQ(first.copyDataAnswers, std::vector<LRESULT>{1}) << "only the code crosses";
    const std::wstring question = first.uiText(484);
    EXPECT_EQ(first.dialogsAfterCopyData, std::vector<std::wstring>{question.substr(0, question.find(L'\n'))});
    EXPECT_EQ(first.requests.versionQueries, 1) << "only the first instance's own query";
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
