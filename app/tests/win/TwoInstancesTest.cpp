// Two processes at once: the editor running (in this test process, or as Likenex.exe) and
// a second Likenex.exe started beside it.
#include "app/Entry.h"
#include "app/SingleInstance.h"
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
using testing::RecordedRequests;
using testing::RecordingRenderer;

constexpr DWORD kProcessTimeout = 60000;

std::wstring tempFilePath(const wchar_t* name) {
    wchar_t dir[MAX_PATH]{};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

std::string readFile(const std::wstring& path) {
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[512];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        fclose(f);
    }
    return text;
}

// A Likenex.exe started by the test. It never outlives the test: one still running at the
// end is terminated. Its message boxes go to a log file instead of blocking.
class EditorProcess {
public:
    explicit EditorProcess(const std::wstring& arguments) {
        logPath_ = tempFilePath(L"likenex-test-messages.txt");
        DeleteFileW(logPath_.c_str());
        SetEnvironmentVariableW(L"LIKENEX_MESSAGE_LOG", logPath_.c_str());
        std::wstring commandLine = L"\"" + std::wstring(LIKENEX_EXE_PATH) + L"\"";
        if (!arguments.empty()) commandLine += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &info)) {
            process_.reset(info.hProcess);
            thread_.reset(info.hThread);
            id_ = info.dwProcessId;
        }
        SetEnvironmentVariableW(L"LIKENEX_MESSAGE_LOG", nullptr);
    }
    ~EditorProcess() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 99);
            WaitForSingleObject(process_.get(), kProcessTimeout);
        }
    }
    [[nodiscard]] bool started() const { return static_cast<bool>(process_); }
    [[nodiscard]] DWORD id() const { return id_; }
    // The exit code, or -1 when the process has not ended in time.
    [[nodiscard]] long waitForExit(DWORD timeout = kProcessTimeout) const {
        if (WaitForSingleObject(process_.get(), timeout) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return static_cast<long>(code);
    }
    [[nodiscard]] std::string messages() const { return readFile(logPath_); }

private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
    std::wstring logPath_;
};

// Top-level windows of the editor's class that carry the instance property, optionally of
// one process only.
std::vector<HWND> markedEditorWindows(DWORD processId = 0) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t className[32]{};
            GetClassNameW(window, className, 32);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (wcscmp(className, L"Likenex") == 0 && GetPropW(window, kInstanceName) &&
                (s->processId == 0 || owner == s->processId))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForEditorWindow(const EditorProcess& process) {
    for (DWORD waited = 0; waited < kProcessTimeout; waited += 50) {
        auto windows = markedEditorWindows(process.id());
        if (!windows.empty()) return windows.front();
        if (process.waitForExit(0) != -1) return nullptr;
        Sleep(50);
    }
    return nullptr;
}

// The first instance runs in this process on the test's thread; `whileRunning` runs on a
// second thread once its first frame is drawn, and the window closes when it returns.
class InProcessEditor : public Application {
public:
    InProcessEditor() {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop, &RecordingRenderer::maxTextureSize);
        setServerRequests(&requests);
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
