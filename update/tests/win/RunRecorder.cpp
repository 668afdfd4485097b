// Stands in for an installer, the merger and the editor in the updater's tests: appends its
// own file name and its arguments as one line to runs.txt in its current folder, waits as
// long as LIKENEX_TEST_RUN_MS says, and ends with the code LIKENEX_TEST_RUN_EXIT names
// (0 when unset).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    std::wstring line = name + L" " + arguments + L"\n";
    if (FILE* runs = _wfopen(L"runs.txt", L"ab")) {
        const std::string narrow(line.begin(), line.end());  // the tests use ASCII names
        std::fwrite(narrow.data(), 1, narrow.size(), runs);
        std::fclose(runs);
    }
    if (const char* wait = std::getenv("LIKENEX_TEST_RUN_MS")) Sleep(static_cast<DWORD>(std::atoi(wait)));
    const char* code = std::getenv("LIKENEX_TEST_RUN_EXIT");
    return code ? std::atoi(code) : 0;
}
