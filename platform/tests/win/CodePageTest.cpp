#include "platform/win/CodePage.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

// Wine keeps the ANSI code page at 1252 whatever the registry says, so the code pages are
// passed in: UTF-8 is what Windows uses with "worldwide language support" turned on.
TEST(CodePage, Utf8SpellsEveryPathAndRefusesOnlyBrokenText) {
    const WindowsCodePage utf8(CP_UTF8);
    EXPECT_EQ(utf8.fromWideExact(L"C:\\Program Files\\\u00c9t\u00e9\\\u8def\u5f84"),
              "C:\\Program Files\\\xc3\x89t\xc3\xa9\\\xe8\xb7\xaf\xe5\xbe\x84");
    EXPECT_EQ(utf8.fromWideExact(L""), "");
    EXPECT_FALSE(
        utf8.fromWideExact(std::wstring(L"a\xd800"
                                        L"b")));
    EXPECT_EQ(utf8.toWide("\xe8\xb7\xaf"), L"\u8def");
}

TEST(CodePage, SingleByteCodePagesRefuseWhatTheyCannotSpell) {
    const WindowsCodePage western(1252);
    EXPECT_EQ(western.fromWideExact(L"caf\u00e9"), "caf\xe9");
    EXPECT_FALSE(western.fromWideExact(L"\u8def"));
    // A best-fit guess would turn this into a plain "a" and name another file.
    EXPECT_FALSE(western.fromWideExact(L"\u0101"));
    EXPECT_EQ(western.toWide("caf\xe9"), L"caf\u00e9");
    const WindowsCodePage japanese(932);
    EXPECT_EQ(japanese.fromWideExact(L"\u65e5\u672c"), "\x93\xfa\x96\x7b");
}

TEST(CodePage, TheSystemCodePageFollowsTheAnsiCodePage) {
    const WindowsCodePage direct(GetACP());
    EXPECT_EQ(systemCodePage().fromWideExact(L"plain"), direct.fromWideExact(L"plain"));
    EXPECT_EQ(systemCodePage().toWide("plain"), L"plain");
}

}  // namespace
}  // namespace likenex
