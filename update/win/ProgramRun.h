#pragma once
// Starting an installer or the merger and waiting for it to end.

#include <functional>
#include <string>

namespace likenex::update {

enum class RunResult {
    notStarted,  // the process could not be created; the system's error code is kept
    failed,      // it ran and ended with a non-zero exit code
    succeeded,
};

struct RunOutcome {
    RunResult result = RunResult::notStarted;
    unsigned long error = 0;  // GetLastError of a failed start
};

// Runs `application` (a full path) with `commandLine` in `folder`, handles inherited, at
// normal priority, and waits without time-out; `tick` is called once a second while it runs.
[[nodiscard]] RunOutcome runAndWait(const std::wstring& application, const std::wstring& commandLine,
                                    const std::wstring& folder, const std::function<void()>& tick);

// The system's text for an error code, or an empty text.
[[nodiscard]] std::wstring systemErrorText(unsigned long error);

}  // namespace likenex::update
