#include "app/TestSeams.h"

#include <windows.h>

#include "render/Painter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace likenex::testSeams {

#ifdef LIKENEX_TEST_SEAMS

void raiseRequestedFrameFault() {
    static bool raised = false;
    if (raised) return;
    raised = true;
    char kind[16]{};
    const DWORD length = GetEnvironmentVariableA("LIKENEX_TEST_FRAME_FAULT", kind, sizeof kind);
    if (length == 0 || length >= sizeof kind) return;
    static const char kText[] = "frame fault for the test";
    const std::string requested(kind, length);
    if (requested == "standard") throw std::runtime_error(kText);
    if (requested == "text") throw kText;
    if (requested == "other") throw 7;
}

bool galleryRequested() { return GetEnvironmentVariableA("LIKENEX_TEST_GALLERY", nullptr, 0) > 0; }

int galleryWidgetCount() {
    char value[16]{};
    const DWORD length = GetEnvironmentVariableA("LIKENEX_TEST_GALLERY", value, sizeof value);
    if (length == 0 || length >= sizeof value) return 0;
    const int count = std::atoi(value);
    return count > 1 ? std::min(count, 400) : 0;
}

namespace {

constexpr std::size_t kLoggedFrames = 500;

// The file a test run names in the variable, or nothing when it names none.
std::wstring pathFromEnvironment(const wchar_t* variable) {
    wchar_t path[1024];
    const DWORD length = GetEnvironmentVariableW(variable, path, 1024);
    return length > 0 && length < 1024 ? std::wstring(path, length) : std::wstring();
}

struct FrameLog {
    bool checked = false;
    std::wstring path;
    LARGE_INTEGER start{};
    std::vector<double> milliseconds;
    std::vector<int> draws;
    std::uint64_t drawnBefore = 0;
};

FrameLog& frameLog() {
    static FrameLog log;
    return log;
}

template <typename T>
T median(std::vector<T> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

}  // namespace

void beginWindowDrawing(const Painter& painter) {
    FrameLog& log = frameLog();
    if (!log.checked) {
        log.checked = true;
        log.path = pathFromEnvironment(L"LIKENEX_TEST_FRAME_LOG");
    }
    if (log.path.empty() || log.milliseconds.size() >= kLoggedFrames) return;
    // Texture draws are counted by the painter every widget draws through.
    log.drawnBefore = painter.texturesDrawn();
    QueryPerformanceCounter(&log.start);
}

void endWindowDrawing(const Painter& painter) {
    FrameLog& log = frameLog();
    if (log.path.empty() || log.milliseconds.size() >= kLoggedFrames) return;
    LARGE_INTEGER end{}, frequency{};
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    log.milliseconds.push_back(1000.0 * static_cast<double>(end.QuadPart - log.start.QuadPart) /
                               static_cast<double>(frequency.QuadPart));
    log.draws.push_back(static_cast<int>(painter.texturesDrawn() - log.drawnBefore));
    if (log.milliseconds.size() < kLoggedFrames) return;
    if (FILE* file = _wfopen(log.path.c_str(), L"a")) {
        std::fprintf(file, "window stack drawing over %zu frames: median %.3f ms, %d texture draws a frame\n",
                     log.milliseconds.size(), median(log.milliseconds), median(log.draws));
        std::fclose(file);
    }
}

namespace {

struct ClickLog {
    std::wstring path;
    bool waiting = false;
    std::uint32_t queuedMilliseconds = 0;
    LARGE_INTEGER taken{};
};

ClickLog& clickLog() {
    static ClickLog log;
    return log;
}

}  // namespace

void noteMessage(unsigned message, std::uint32_t messageTime) {
    // The choice grids act on the press (a quick second press arrives as a double click),
    // so the press is what starts the figure's change.
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK) return;
    ClickLog& log = clickLog();
    // Of presses handled before one frame, the first is timed: it waited longest.
    if (log.waiting) return;
    // Looked up at every press, which comes at a person's pace, so that a test may set it late.
    log.path = pathFromEnvironment(L"LIKENEX_CLICK_LOG");
    if (log.path.empty()) return;
    log.waiting = true;
    // A message's time and GetTickCount are the same clock, but the tick count moves in steps
    // of up to 16 ms (under Wine whenever its server is idle, on Windows always). Read just
    // after the message was taken it is fresh under Wine, so it gives the time in the queue,
    // and the performance counter the rest.
    const auto queued = static_cast<std::int32_t>(GetTickCount() - messageTime);
    log.queuedMilliseconds = queued > 0 ? static_cast<std::uint32_t>(queued) : 0;
    QueryPerformanceCounter(&log.taken);
}

void noteFramePresented() {
    ClickLog& log = clickLog();
    if (!log.waiting) return;
    log.waiting = false;
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const double elapsed = log.queuedMilliseconds + 1000.0 * static_cast<double>(now.QuadPart - log.taken.QuadPart) /
                                                        static_cast<double>(frequency.QuadPart);
    if (FILE* file = _wfopen(log.path.c_str(), L"a")) {
        std::fprintf(file, "%.1f %lu\n", elapsed, static_cast<unsigned long>(log.queuedMilliseconds));
        std::fclose(file);
    }
}

#else

void raiseRequestedFrameFault() {}
bool galleryRequested() { return false; }
int galleryWidgetCount() { return 0; }
void beginWindowDrawing(const Painter& painter) {}
void endWindowDrawing(const Painter& painter) {}
void noteMessage(unsigned, std::uint32_t) {}
void noteFramePresented() {}

#endif

}  // namespace likenex::testSeams
