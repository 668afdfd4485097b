#include "platform/win/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace likenex {
namespace {

TEST(MessageBoxes, HookSeesTextCaptionOwnerAndTypeAndAnswers) {
    std::vector<ShownMessage> shown;
    setMessageBoxHook([&](const ShownMessage& m) {
        shown.push_back(m);
        return IDNO;
    });
    EXPECT_EQ(showMessageBox(nullptr, L"Use Windowed Mode Instead?", L"TovikDev", MB_YESNO | MB_ICONEXCLAMATION), IDNO);
    EXPECT_EQ(showMessageBoxA(nullptr, "winsock error", nullptr, MB_OK), IDNO);
    setMessageBoxHook({});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, L"Use Windowed Mode Instead?");
    EXPECT_EQ(shown[0].caption, L"TovikDev");
    EXPECT_TRUE(shown[0].hasCaption);
    EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(shown[1].text, L"winsock error");
    EXPECT_FALSE(shown[1].hasCaption);
}

TEST(MessageBoxes, DefaultAnswerIsTheDefaultButton) {
    EXPECT_EQ(defaultAnswer(MB_OK), IDOK);
    EXPECT_EQ(defaultAnswer(MB_YESNO), IDYES);
    EXPECT_EQ(defaultAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(defaultAnswer(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(defaultAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
}

TEST(MessageBoxes, LogFileTakesMessagesWhenTheEnvironmentNamesOne) {
    wchar_t dir[MAX_PATH]{};
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"likenex-messagebox-test.txt";
    DeleteFileW(path.c_str());
    SetEnvironmentVariableW(L"LIKENEX_TEST_MESSAGE_LOG", path.c_str());
    int first = showMessageBox(nullptr, L"two\nlines", L"Error", MB_YESNO);
    int second = showMessageBoxA(nullptr, "no caption", nullptr, MB_OK);
    SetEnvironmentVariableW(L"LIKENEX_TEST_MESSAGE_LOG", nullptr);
    EXPECT_EQ(first, IDYES);
    EXPECT_EQ(second, IDOK);
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[256];
        size_t n = fread(buffer, 1, sizeof buffer, f);
        text.assign(buffer, n);
        fclose(f);
    }
    DeleteFileW(path.c_str());
    EXPECT_EQ(text, "Error\ttwo\\nlines\n\tno caption\n");
}

}  // namespace
}  // namespace likenex
