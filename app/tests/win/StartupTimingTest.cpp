// The timing log of the start-up, as scripts/measure-startup.sh reads it: each step of the
// entry and of the application's start-up marks its end once, in the order they run, and the
// first frame comes after them all.
#include "app/Entry.h"
#include "app/tests/win/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordingRenderer;
using testing::StartedApplication;

struct LoggedTime {
    std::string what;
    unsigned long long milliseconds = 0;
};

class StartupTimingTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::reset();
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        log_ = std::wstring(temp) + L"likenex-startup-timing.txt";
        DeleteFileW(log_.c_str());
        SetEnvironmentVariableW(L"LIKENEX_TIMING_LOG", log_.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"LIKENEX_TIMING_LOG", nullptr);
        DeleteFileW(log_.c_str());
        RecordingRenderer::reset();
    }

    // The log's lines; one the measuring script could not read fails the test.
    std::vector<LoggedTime> logged() const {
        static const std::regex line(R"(^(step .+|first frame) (\d+) ms after the process started$)");
        std::vector<LoggedTime> times;
        std::ifstream file(log_.c_str());
        for (std::string text; std::getline(file, text);) {
            if (!text.empty() && text.back() == '\r') text.pop_back();
            std::smatch match;
            if (!std::regex_match(text, match, line)) {
                ADD_FAILURE() << "unreadable line: " << text;
                continue;
            }
            times.push_back({match[1].str(), std::stoull(match[2].str())});
        }
        return times;
    }

    std::wstring log_;
};

TEST_F(StartupTimingTest, EveryStepIsMarkedOnceInOrderBeforeTheFirstFrame) {
    CapturedMessages messages;
    StartedApplication app;
    EXPECT_EQ(runEntry(app, nullptr), 0);

    const std::vector<LoggedTime> times = logged();
    std::vector<std::string> names;
    for (const LoggedTime& time : times) names.push_back(time.what);
    EXPECT_EQ(names, (std::vector<std::string>{"step running editor check",
                                               "step window and renderer",
                                               "step program directory",
                                               "step url protocol",
                                               "step interface archive",
                                               "step network",
                                               "step settings",
                                               "step language table",
                                               "step avatar data",
                                               "step scene pictures",
                                               "step bubble pictures",
                                               "step fonts",
                                               "step avatar model",
                                               "step screens",
                                               "step updater files",
                                               "step window placed",
                                               "step first server request",
                                               "step window shown",
                                               "step chat link",
                                               "first frame"}));
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end(), [](const LoggedTime& a, const LoggedTime& b) {
        return a.milliseconds < b.milliseconds;
    })) << "the times go back";
}

}  // namespace
}  // namespace likenex
