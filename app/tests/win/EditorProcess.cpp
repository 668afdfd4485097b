#include "app/tests/win/EditorProcess.h"

#include "app/SingleInstance.h"

#include <cstdio>
#include <cwchar>

namespace likenex::testing {
namespace {

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

}  // namespace

EditorProcess::EditorProcess(const std::wstring& arguments,
                             const std::vector<std::pair<std::wstring, std::wstring>>& environment) {
    logPath_ = tempFilePath(L"likenex-test-messages.txt");
    DeleteFileW(logPath_.c_str());
    // The child inherits this process's environment as it is at its creation.
    SetEnvironmentVariableW(L"LIKENEX_TEST_MESSAGE_LOG", logPath_.c_str());
    for (const auto& [name, value] : environment) SetEnvironmentVariableW(name.c_str(), value.c_str());
    std::wstring commandLine = L"\"" + std::wstring(LIKENEX_EXE_PATH) + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        process_.reset(info.hProcess);
        thread_.reset(info.hThread);
        id_ = info.dwProcessId;
    }
    SetEnvironmentVariableW(L"LIKENEX_TEST_MESSAGE_LOG", nullptr);
    for (const auto& [name, value] : environment) SetEnvironmentVariableW(name.c_str(), nullptr);
}

EditorProcess::~EditorProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), kProcessTimeout);
    }
}

long EditorProcess::waitForExit(DWORD timeout) const {
    if (WaitForSingleObject(process_.get(), timeout) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<long>(code);
}

std::string EditorProcess::messages() const { return readFile(logPath_); }

std::vector<HWND> markedEditorWindows(DWORD processId) {
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
        // The editor marks its window before it places and shows it: wait for both.
        auto windows = markedEditorWindows(process.id());
        if (!windows.empty() && IsWindowVisible(windows.front())) return windows.front();
        if (process.waitForExit(0) != -1) return nullptr;
        Sleep(50);
    }
    return nullptr;
}

}  // namespace likenex::testing
