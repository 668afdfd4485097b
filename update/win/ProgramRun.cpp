#include "update/win/ProgramRun.h"

#include "platform/win/Handles.h"

#include <windows.h>

#include <vector>

namespace likenex::update {

RunOutcome runAndWait(const std::wstring& application, const std::wstring& commandLine, const std::wstring& folder,
                      const std::function<void()>& tick) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                        folder.c_str(), &startup, &started))
        return {RunResult::notStarted, GetLastError()};
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    while (WaitForSingleObject(process.get(), 1000) == WAIT_TIMEOUT)
        if (tick) tick();
    DWORD code = 1;
    if (!GetExitCodeProcess(process.get(), &code)) return {RunResult::failed, GetLastError()};
    return {code == 0 ? RunResult::succeeded : RunResult::failed, 0};
}

std::wstring systemErrorText(unsigned long error) {
    wchar_t text[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, static_cast<DWORD>(std::size(text)), nullptr);
    return std::wstring(text, length);
}

}  // namespace likenex::update
