#pragma once
// A Likenex.exe started by a test, and finding the editor windows of the desktop.

#include "platform/win/Handles.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace likenex::testing {

inline constexpr DWORD kProcessTimeout = 60000;

// It never outlives the test: one still running at the end is terminated. Its message boxes
// go to a log file instead of blocking; `environment` adds variables for its run only.
class EditorProcess {
public:
    explicit EditorProcess(const std::wstring& arguments,
                           const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});
    ~EditorProcess();
    EditorProcess(const EditorProcess&) = delete;
    EditorProcess& operator=(const EditorProcess&) = delete;

    [[nodiscard]] bool started() const { return static_cast<bool>(process_); }
    [[nodiscard]] DWORD id() const { return id_; }
    // The exit code, or -1 when the process has not ended in time.
    [[nodiscard]] long waitForExit(DWORD timeout = kProcessTimeout) const;
    // The message boxes it showed, one "caption<TAB>text" line each.
    [[nodiscard]] std::string messages() const;

private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
    std::wstring logPath_;
};

// Top-level windows of the editor's class that carry the instance property, optionally of
// one process only.
[[nodiscard]] std::vector<HWND> markedEditorWindows(DWORD processId = 0);

// The process's marked window once it is shown; null when the process ends first or in time.
[[nodiscard]] HWND waitForEditorWindow(const EditorProcess& process);

}  // namespace likenex::testing
