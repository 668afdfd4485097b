#include "app/StartupTiming.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace likenex::startupTiming {

#ifdef LIKENEX_TEST_SEAMS

void mark(const char* step) {
    // The time is taken first, so that reading the variable and opening the file count
    // towards the next step rather than this one.
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    GetSystemTimeAsFileTime(&now);
    wchar_t path[1024];
    const DWORD length = GetEnvironmentVariableW(L"LIKENEX_TIMING_LOG", path, 1024);
    if (length == 0 || length >= 1024) return;
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    const std::uint64_t ms = (ticks(now) - ticks(created)) / 10000;
    if (FILE* file = _wfopen(path, L"a")) {
        std::fprintf(file, "step %s %llu ms after the process started\n", step, static_cast<unsigned long long>(ms));
        std::fclose(file);
    }
}

#else

void mark(const char*) {}

#endif

}  // namespace likenex::startupTiming
