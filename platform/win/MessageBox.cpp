#include "platform/win/MessageBox.h"

#include "base/Text.h"
#include "platform/win/CodePage.h"

#include <cstdio>
#include <mutex>
#include <vector>

namespace likenex {
namespace {

std::mutex hookMutex;
MessageBoxHook& currentHook() {
    static MessageBoxHook hook;
    return hook;
}

// Appends one message to the file named by LIKENEX_TEST_MESSAGE_LOG; false when it is not set,
// and always in a build without the test seams.
bool logMessage(const ShownMessage& message) {
#ifndef LIKENEX_TEST_SEAMS
    (void)message;
    return false;
#else
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetEnvironmentVariableW(L"LIKENEX_TEST_MESSAGE_LOG", path, static_cast<DWORD>(std::size(path)));
    if (length == 0 || length >= std::size(path)) return false;
    std::string line = text::utf8FromWide(message.hasCaption ? message.caption : L"");
    line += '\t';
    for (char c : text::utf8FromWide(message.text)) {
        if (c == '\n') line += "\\n";
        else line += c;
    }
    line += '\n';
    if (FILE* file = _wfopen(path, L"ab")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
    return true;
#endif
}

int deliver(const ShownMessage& message) {
    MessageBoxHook hook;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        hook = currentHook();
    }
    if (hook) return hook(message);
    if (logMessage(message)) return defaultAnswer(message.type);
    return 0;  // not handled: the caller shows the real box
}

}  // namespace

void setMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard<std::mutex> lock(hookMutex);
    currentHook() = std::move(hook);
}

int defaultAnswer(UINT type) {
    UINT buttons = type & MB_TYPEMASK;
    UINT defaultIndex = (type & MB_DEFMASK) >> 8;  // 0 for the first button
    static const int choices[][3] = {
        {IDOK, IDOK, IDOK},                  // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},          // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},        // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},             // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},                 // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},       // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE},  // MB_CANCELTRYCONTINUE
    };
    if (buttons >= std::size(choices) || defaultIndex > 2) return IDOK;
    return choices[buttons][defaultIndex];
}

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    ShownMessage message{owner, text ? text : L"", caption ? caption : L"", caption != nullptr, type};
    if (int answer = deliver(message)) return answer;
    return MessageBoxW(owner, text, caption, type);
}

int showMessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    const CodePage& page = systemCodePage();
    ShownMessage message{owner, text ? page.toWide(text) : std::wstring(),
                         caption ? page.toWide(caption) : std::wstring(), caption != nullptr, type};
    if (int answer = deliver(message)) return answer;
    return MessageBoxA(owner, text, caption, type);
}

}  // namespace likenex
