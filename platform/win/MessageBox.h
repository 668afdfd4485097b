#pragma once
// Every message box of the programs goes through these two functions.
//
// Shipped, they call MessageBoxW or MessageBoxA. Tests replace that with a hook that sees
// what would have been shown and answers at once, so a run never blocks on a box. In a build
// with the test seams (LIKENEX_TEST_SEAMS), when the environment variable
// LIKENEX_TEST_MESSAGE_LOG names a file (process-level tests set it), each message is appended
// to that file as UTF-8 lines "caption<TAB>text" (line breaks in the text written as \n) and
// answered as if its default button was pressed.

#include <windows.h>

#include <functional>
#include <string>

namespace likenex {

struct ShownMessage {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    bool hasCaption = false;  // false: a null caption, which the system shows as "Error"
    UINT type = 0;            // MB_ flags
};

// Returns the button the hook "pressed" (IDOK, IDYES, ...).
using MessageBoxHook = std::function<int(const ShownMessage&)>;

// Installs a hook for the whole process; an empty hook restores the real message box.
void setMessageBoxHook(MessageBoxHook hook);

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// Narrow texts are in the system ANSI code page.
int showMessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// The answer a box of this type gives when nobody can press a button: its default button.
int defaultAnswer(UINT type);

}  // namespace likenex
