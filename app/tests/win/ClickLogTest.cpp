// The click log as scripts/measure-click.sh reads it: a line for each press of the left
// button, with its time to the next frame presented and its time in the queue.
#include "app/TestSeams.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace likenex {
namespace {

struct LoggedClick {
    double total = 0;
    unsigned long queued = 0;
};

class ClickLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        log_ = std::wstring(temp) + L"likenex-click-log.txt";
        DeleteFileW(log_.c_str());
        SetEnvironmentVariableW(L"LIKENEX_CLICK_LOG", log_.c_str());
    }
    void TearDown() override {
        // A press a failed case left waiting is written off before the variable goes.
        testSeams::noteFramePresented();
        SetEnvironmentVariableW(L"LIKENEX_CLICK_LOG", nullptr);
        DeleteFileW(log_.c_str());
    }

    std::vector<LoggedClick> logged() const {
        std::vector<LoggedClick> clicks;
        std::ifstream file(log_.c_str());
        for (LoggedClick click; file >> click.total >> click.queued;) clicks.push_back(click);
        return clicks;
    }

    std::wstring log_;
};

TEST_F(ClickLogTest, ThePressIsTimedToTheNextFramePresented) {
    // Other messages, and frames with no press waiting, log nothing.
    testSeams::noteFramePresented();
    testSeams::noteMessage(WM_MOUSEMOVE, GetTickCount());
    testSeams::noteMessage(WM_LBUTTONUP, GetTickCount());
    testSeams::noteFramePresented();
    EXPECT_TRUE(logged().empty());

    // Of two presses before one frame, the one that waited longer is timed.
    const DWORD now = GetTickCount();
    testSeams::noteMessage(WM_LBUTTONDOWN, now - 200);
    testSeams::noteMessage(WM_LBUTTONDOWN, now);
    Sleep(20);
    testSeams::noteFramePresented();
    testSeams::noteFramePresented();
    // A quick second press comes as a double click, and the grids act on it too.
    testSeams::noteMessage(WM_LBUTTONDBLCLK, GetTickCount());
    testSeams::noteFramePresented();

    const std::vector<LoggedClick> clicks = logged();
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_GE(clicks[0].queued, 200u);
    EXPECT_LT(clicks[0].queued, 2000u);
    EXPECT_GE(clicks[0].total, clicks[0].queued + 19.5);
    EXPECT_LT(clicks[1].total, 2000.0);
}

TEST_F(ClickLogTest, AMessageTimeAheadOfTheTickCountWaitedNoTimeInTheQueue) {
    // The tick count may lag the time a message was stamped with: no wrap to days.
    testSeams::noteMessage(WM_LBUTTONDOWN, GetTickCount() + 50);
    testSeams::noteFramePresented();
    const std::vector<LoggedClick> clicks = logged();
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].queued, 0u);
    EXPECT_LT(clicks[0].total, 2000.0);
}

TEST_F(ClickLogTest, WithoutTheVariableNothingIsWritten) {
    SetEnvironmentVariableW(L"LIKENEX_CLICK_LOG", nullptr);
    testSeams::noteMessage(WM_LBUTTONDOWN, GetTickCount());
    testSeams::noteFramePresented();
    EXPECT_EQ(GetFileAttributesW(log_.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace likenex
