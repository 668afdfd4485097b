#include "platform/win/Clipboard.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

TEST(Clipboard, UnicodeTextRoundTrips) {
    const std::wstring text = L"\u4e2d\u6587 \u041f\u0440\u0438\u0432\u0435\u0442 caf\u00e9 \U0001F600";
    ASSERT_TRUE(putClipboardText(text));
    EXPECT_EQ(clipboardText(), text);
    ASSERT_TRUE(putClipboardText(L""));
    EXPECT_EQ(clipboardText(), L"");
}

}  // namespace
}  // namespace likenex
